#include "storage/StageSettingsStore.h"

#include "storage/RegistryStore.h"

#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <cstddef>
#include <optional>

using namespace melvanta;

namespace {

const QDate kToday(2024, 3, 15);

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A record that differs from the defaults in every field kind, with texts
// that the INI form has to escape.
StageSettings unusualRecord()
{
    StageSettings s = StageSettings::defaults(kToday);
    s.Time_all = QTime(1, 30, 0);
    s.Time_one = QTime(0, 20, 5);
    s.time_date = QDate(2026, 12, 31);
    s.checkone = QStringLiteral("0101011");
    s.checktwo = QStringLiteral("010101010101010101010");
    s.textstart = QStringLiteral("请 开始发言");
    s.textone = QStringLiteral("a,b");
    s.texttwo = QStringLiteral("say \"hi\" \\ C:\\temp\\ end\\");
    s.textthree = QStringLiteral("; not a comment = # [x]");
    s.textfour = QStringLiteral("@Variant(abc)");
    s.textfive = QStringLiteral("  padded  ");
    s.textend = QStringLiteral("line one\nline two\ttab");
    s.musicend = QStringLiteral("结束.wav");
    s.firsttext = QStringLiteral("年度总结会");
    s.secondtext = QStringLiteral("副标题");
    s.firstcolour = QStringLiteral("255");
    s.background = QStringLiteral("65535\\");
    s.sizethree = QStringLiteral("10/20/30/40/50/60/");
    s.combolist = QStringLiteral("213");
    s.logopicture = QStringLiteral("logo.png");
    s.tixingtime = 3;
    s.highsetend = QStringLiteral("255\\0\\会场.jpg");
    return s;
}

// Bytes of a literal, embedded NULs included.
template <std::size_t N> QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

// Saves `s` as the current stage of the default store.
void saveRecord(const StageSettings& s)
{
    RegistryStore store;
    QVERIFY(SaveStageSettings(store, s));
}

// Gives the store file a modification time of its own, so that a store
// opened afterwards reads the edited file rather than a cached copy.
void touchStore()
{
    static int edits = 0;
    QFile file(RegistryStore::defaultLocation());
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)).addSecs(++edits),
                             QFileDevice::FileModificationTime));
}

// Edits the store file by hand: the line of value `name` becomes `line`
// (or goes away when `line` is empty).
void handEdit(const QString& name, const QByteArray& line)
{
    const QString path = RegistryStore::defaultLocation();
    QList<QByteArray> lines = readBytes(path).split('\n');
    bool found = false;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith(name.toUtf8() + '=')) {
            found = true;
            if (line.isEmpty())
                lines.removeAt(i);
            else
                lines[i] = line;
            break;
        }
    }
    QVERIFY2(found, qPrintable(name));
    writeBytes(path, lines.join('\n'));
    touchStore();
}

// Writes `bytes` as the whole store file.
void writeStore(const QByteArray& bytes)
{
    writeBytes(RegistryStore::defaultLocation(), bytes);
    touchStore();
}

} // namespace

class TestStageSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void emptyStoreGivesDefaults();
    void roundTrip();
    void storedForms();
    void saveKeepsOtherValues();
    void clearGivesDefaults();
    void invalidSwitchesGiveDefaults_data();
    void invalidSwitchesGiveDefaults();
    void gapsWithValidSwitches_data();
    void gapsWithValidSwitches();
    void numberWhereTextBelongs();
    void olderLocaleForms();
    void junkFileIsSurvived();
    void unwritableStore();
    void number_data();
    void number();

private:
    std::optional<TestSandbox> m_sandbox;
};

void TestStageSettingsStore::init()
{
    m_sandbox.emplace();
    QVERIFY(RegistryStore::defaultLocation().startsWith(m_sandbox->configFolder()));
}

void TestStageSettingsStore::cleanup()
{
    m_sandbox.reset();
}

void TestStageSettingsStore::emptyStoreGivesDefaults()
{
    const RegistryStore store;
    QVERIFY(!store.contains(QStringLiteral("checkone")));
    QVERIFY(LoadStageSettings(store, kToday) == StageSettings::defaults(kToday));
    QCOMPARE(LoadStageSettings(store, kToday).time_date, kToday);
    // Loading writes nothing.
    QVERIFY(!QFile::exists(RegistryStore::defaultLocation()));
}

void TestStageSettingsStore::roundTrip()
{
    const StageSettings saved = unusualRecord();
    {
        RegistryStore store;
        QVERIFY(SaveStageSettings(store, saved));
    }
    const RegistryStore store;
    const StageSettings loaded = LoadStageSettings(store, QDate(2000, 5, 5));
    for (const StageField& field : stageFields())
        QCOMPARE(fieldText(loaded, field), fieldText(saved, field));
    QCOMPARE(loaded.textone, QStringLiteral("a,b"));
    QCOMPARE(loaded.tixingtime, qint16(3));
    QVERIFY(loaded == saved);

    // A second save over the first one replaces every value.
    const StageSettings defaults = StageSettings::defaults(kToday);
    {
        RegistryStore again;
        QVERIFY(SaveStageSettings(again, defaults));
    }
    QVERIFY(LoadStageSettings(RegistryStore(), QDate(2000, 5, 5)) == defaults);
}

void TestStageSettingsStore::storedForms()
{
    RegistryStore store;
    QVERIFY(SaveStageSettings(store, StageSettings::defaults(kToday)));

    const QString file = QString::fromUtf8(readBytes(RegistryStore::defaultLocation()));
    QVERIFY2(file.contains(QStringLiteral("Time_all=00:01:00\n")), qPrintable(file));
    QVERIFY2(file.contains(QStringLiteral("Time_five=00:00:10\n")), qPrintable(file));
    QVERIFY2(file.contains(QStringLiteral("time_date=2024-03-15\n")), qPrintable(file));
    QVERIFY2(file.contains(QStringLiteral("tixingtime=5\n")), qPrintable(file));
    QVERIFY2(file.contains(QStringLiteral("checkone=1111110\n")), qPrintable(file));

    const std::optional<QString> look = RegistryStore().text(QStringLiteral("highsetfour"));
    QVERIFY(look);
    QCOMPARE(*look, QStringLiteral("0\\65535\\"));
    QCOMPARE(RegistryStore().number(QStringLiteral("tixingtime")), 5);
}

void TestStageSettingsStore::saveKeepsOtherValues()
{
    RegistryStore store;
    QVERIFY(store.setText(QString::fromLatin1(RegistryValue::vision), QStringLiteral("4")));
    QVERIFY(store.setNumber(RegistryValue::pictureLeft(3), 1500));
    QVERIFY(SaveStageSettings(store, unusualRecord()));
    QVERIFY(ClearStageSettings(store));

    const RegistryStore reread;
    QCOMPARE(reread.text(QString::fromLatin1(RegistryValue::vision)), std::optional<QString>(QStringLiteral("4")));
    QCOMPARE(reread.number(RegistryValue::pictureLeft(3)), 1500);
    for (const StageField& field : stageFields())
        QVERIFY2(!reread.contains(QString::fromLatin1(field.name)), field.name);
}

void TestStageSettingsStore::clearGivesDefaults()
{
    RegistryStore store;
    QVERIFY(SaveStageSettings(store, unusualRecord()));
    QVERIFY(LoadStageSettings(store, kToday) != StageSettings::defaults(kToday));
    QVERIFY(ClearStageSettings(store));
    QVERIFY(LoadStageSettings(store, kToday) == StageSettings::defaults(kToday));
    QVERIFY(LoadStageSettings(RegistryStore(), kToday) == StageSettings::defaults(kToday));
}

void TestStageSettingsStore::invalidSwitchesGiveDefaults_data()
{
    QTest::addColumn<QString>("checkone");
    QTest::addColumn<QString>("missing");

    QTest::newRow("6 characters, a text missing") << "111111"
                                                  << "textone";
    QTest::newRow("6 characters, a time missing") << "111111"
                                                  << "Time_two";
    QTest::newRow("8 characters, the last value missing") << "11111100"
                                                          << "highsetend";
    QTest::newRow("200 characters, a sound missing") << QString(200, QLatin1Char('1')) << "musicone";
    QTest::newRow("200 characters, nothing missing") << QString(200, QLatin1Char('1')) << QString();
    QTest::newRow("empty, reminder missing") << ""
                                             << "tixingtime";
    QTest::newRow("switches missing themselves") << "1111110"
                                                 << "checkone";
}

void TestStageSettingsStore::invalidSwitchesGiveDefaults()
{
    QFETCH(QString, checkone);
    QFETCH(QString, missing);

    StageSettings stored = unusualRecord();
    stored.checkone = checkone;
    saveRecord(stored);
    if (!missing.isEmpty())
        QVERIFY(RegistryStore().remove(missing));

    const RegistryStore store;
    QVERIFY(store.contains(QStringLiteral("firsttext")));
    QVERIFY(missing.isEmpty() || !store.contains(missing));
    QVERIFY(LoadStageSettings(store, kToday) == StageSettings::defaults(kToday));
}

void TestStageSettingsStore::gapsWithValidSwitches_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value"); // null: the value is missing
    QTest::addColumn<QString>("expected");

    const QString missing;
    QTest::newRow("missing text is empty") << "firsttext" << missing << "";
    QTest::newRow("missing sound is empty") << "musicstart" << missing << "";
    QTest::newRow("missing look is empty") << "highsetfour" << missing << "";
    QTest::newRow("missing time keeps its default") << "Time_two" << missing << "00:00:40";
    QTest::newRow("missing date is today") << "time_date" << missing << "2024-03-15";
    QTest::newRow("missing reminder is 5") << "tixingtime" << missing << "5";
    QTest::newRow("unreadable time keeps its default") << "Time_all"
                                                       << "abc"
                                                       << "00:01:00";
    QTest::newRow("time of 24 hours keeps its default") << "Time_three"
                                                        << "24:00:00"
                                                        << "00:00:30";
    QTest::newRow("unreadable date is today") << "time_date"
                                              << "never"
                                              << "2024-03-15";
    QTest::newRow("unreadable reminder is 5") << "tixingtime"
                                              << "x"
                                              << "5";
    QTest::newRow("reminder above 16 bits is 5") << "tixingtime"
                                                 << "70000"
                                                 << "5";
    QTest::newRow("empty text is kept") << "secondtext"
                                        << ""
                                        << "";
}

void TestStageSettingsStore::gapsWithValidSwitches()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, expected);

    const StageSettings stored = unusualRecord();
    saveRecord(stored);
    {
        RegistryStore store;
        QVERIFY(value.isNull() ? store.remove(field) : store.setText(field, value));
    }

    const StageSettings loaded = LoadStageSettings(RegistryStore(), kToday);
    for (const StageField& f : stageFields()) {
        if (QLatin1String(f.name) == field)
            QCOMPARE(fieldText(loaded, f), expected);
        else
            QCOMPARE(fieldText(loaded, f), fieldText(stored, f));
    }
}

void TestStageSettingsStore::numberWhereTextBelongs()
{
    const StageSettings stored = unusualRecord();
    saveRecord(stored);
    handEdit(QStringLiteral("firsttext"), "firsttext=123");
    const StageSettings loaded = LoadStageSettings(RegistryStore(), kToday);
    QCOMPARE(loaded.firsttext, QStringLiteral("123"));
    QCOMPARE(loaded.secondtext, stored.secondtext);

    // A value typed with a comma and no quotes keeps its text too.
    handEdit(QStringLiteral("textone"), "textone=a,b");
    QCOMPARE(LoadStageSettings(RegistryStore(), kToday).textone, QStringLiteral("a,b"));
}

void TestStageSettingsStore::olderLocaleForms()
{
    StageSettings stored = unusualRecord();
    stored.checkone = QStringLiteral("1111111");
    saveRecord(stored);
    handEdit(QStringLiteral("Time_all"), "Time_all=1899/12/30 1:30:00");
    handEdit(QStringLiteral("Time_one"), "Time_one=0:20:05");
    handEdit(QStringLiteral("time_date"), "time_date=2026/12/31");

    const StageSettings loaded = LoadStageSettings(RegistryStore(), kToday);
    QVERIFY(loaded == stored);
    QVERIFY(loaded.longTerm());
}

void TestStageSettingsStore::junkFileIsSurvived()
{
    QByteArray junk = raw("\xFF\xFE\x00\x01garbage without equals\n=novalue\n\x80\x81=\xC3(\n[General\n");
    junk += "[General]\ncheckone=1111110\nTime_all=@Variant(\xFF)\nTime_one=@ByteArray(\x01\x02\n";
    junk += "textone=@Invalid()\nfirsttext=\xE4\xB8\xAD\xFF\xC0\n";
    // An open quote runs on to the end of the file.
    junk += "Time_two=\"open\n";
    junk += raw("[\xFF\xFE]\n\\\\\\=\\\n\x00=\x00\n") + QByteArray(3000, '\x07') + '\n';
    writeStore(junk);

    const RegistryStore store;
    const StageSettings loaded = LoadStageSettings(store, kToday);
    const StageSettings defaults = StageSettings::defaults(kToday);
    QCOMPARE(loaded.checkone, QStringLiteral("1111110"));
    QCOMPARE(loaded.Time_all, defaults.Time_all);
    QVERIFY(loaded.Time_one.isValid());
    QVERIFY(loaded.Time_two.isValid());
    QCOMPARE(loaded.time_date, kToday);
    QCOMPARE(loaded.tixingtime, qint16(5));
    QVERIFY(loaded.textone.isEmpty());
    QVERIFY(loaded.firsttext.startsWith(QStringLiteral("中")));
    QCOMPARE(store.number(QStringLiteral("no such value"), 9), 9);

    // The damaged store can still be overwritten with a good record.
    saveRecord(unusualRecord());
    QVERIFY(LoadStageSettings(RegistryStore(), kToday) == unusualRecord());
}

void TestStageSettingsStore::unwritableStore()
{
    // A store whose folder would have to be made inside a plain file.
    const QString blocker = m_sandbox->writeFile(QStringLiteral("blocker"), "not a folder");
    RegistryStore store(blocker + QStringLiteral("/Kestrova.conf"));
    QVERIFY(!SaveStageSettings(store, unusualRecord()));
    QVERIFY(!ClearStageSettings(store));
    QCOMPARE(readBytes(blocker), QByteArray("not a folder"));
}

void TestStageSettingsStore::number_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<qint32>("expected");

    QTest::newRow("number prefix") << QByteArray("v=12ab") << qint32(12);
    QTest::newRow("no number") << QByteArray("v=abc") << qint32(0);
    QTest::newRow("empty") << QByteArray("v=") << qint32(0);
    QTest::newRow("negative") << QByteArray("v=-2147483643") << qint32(-2147483643);
    QTest::newRow("hex") << QByteArray("v=&H10") << qint32(16);
    QTest::newRow("missing") << QByteArray("w=1") << qint32(-100);
}

void TestStageSettingsStore::number()
{
    QFETCH(QByteArray, line);
    QFETCH(qint32, expected);

    const QString path = m_sandbox->writeFile(QStringLiteral("store.conf"), "[General]\n" + line + '\n');
    const RegistryStore store(path);
    QCOMPARE(store.number(QStringLiteral("v"), -100), expected);
}

QTEST_GUILESS_MAIN(TestStageSettingsStore)
#include "tst_stagesettingsstore.moc"
