#include "storage/StageSettingsStore.h"

#include "storage/RegistryStore.h"

#include "TestSupport.h"

#include <QtTest>

using namespace melvanta;

static const QDate kToday(2024, 3, 15);

// A record unlike the defaults in every field, with texts that the INI form
// has to escape.
static StageSettings unusualRecord()
{
    const QString awkward = QStringLiteral(" 会场 %1 a,b \"q\"; # [x] =@Variant(0)\nC:\\temp\\");
    StageSettings s = StageSettings::defaults(kToday);
    for (const StageField& field : stageFields()) {
        if (field.kind() == FieldKind::Text)
            setFieldFromText(s, field, awkward.arg(QLatin1String(field.name)));
    }
    s.checkone = QStringLiteral("0101011");
    s.Time_all = QTime(1, 30, 0);
    s.time_date = QDate(2026, 12, 31);
    s.tixingtime = 3;
    return s;
}

class TestStageSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void saveLoadClear()
    {
        TestSandbox sandbox;
        QVERIFY(LoadStageSettings(RegistryStore(), kToday) == StageSettings::defaults(kToday));

        RegistryStore store;
        QVERIFY(store.setText(QString::fromLatin1(RegistryValue::vision), QStringLiteral("4")));
        QVERIFY(SaveStageSettings(store, unusualRecord()));
        // Read from a copy of the file, so that what is parsed is what reached the disk.
        const QString copy = sandbox.filePath(QStringLiteral("copy.conf"));
        QVERIFY(QFile::copy(RegistryStore::defaultLocation(), copy));
        const StageSettings loaded = LoadStageSettings(RegistryStore(copy), QDate(2000, 5, 5));
        for (const StageField& field : stageFields())
            QCOMPARE(fieldText(loaded, field), fieldText(unusualRecord(), field));

        QVERIFY(ClearStageSettings(store));
        QVERIFY(LoadStageSettings(RegistryStore(), kToday) == StageSettings::defaults(kToday));
        QCOMPARE(RegistryStore().text(QString::fromLatin1(RegistryValue::vision)), QStringLiteral("4"));
    }

    void invalidSwitchesGiveDefaults_data()
    {
        QTest::addColumn<QString>("checkone");
        QTest::addColumn<QString>("missing");
        QTest::newRow("6 characters, a text missing") << QStringLiteral("111111") << QStringLiteral("textone");
        QTest::newRow("200 characters") << QString(200, QLatin1Char('1')) << QString();
        QTest::newRow("switches missing themselves") << QStringLiteral("1111110") << QStringLiteral("checkone");
    }

    void invalidSwitchesGiveDefaults()
    {
        QFETCH(QString, checkone);
        QFETCH(QString, missing);
        TestSandbox sandbox;
        RegistryStore store;
        QVERIFY(SaveStageSettings(store, unusualRecord()) && store.setText(QStringLiteral("checkone"), checkone));
        QVERIFY(missing.isEmpty() || store.remove(missing));
        QVERIFY(LoadStageSettings(RegistryStore(), kToday) == StageSettings::defaults(kToday));
    }

    // A store edited by hand: a number where text belongs, a comma without
    // quotes, older time and date forms, unreadable values and gaps.
    void handEditedStore()
    {
        TestSandbox sandbox;
        const QString path =
            sandbox.writeFile(QStringLiteral("Kestrova.conf"),
                              "[General]\ncheckone=1111111\nfirsttext=123\ntextone=a,b\nTime_three=24:00:00\n"
                              "Time_all=1899/12/30 1:30:00\ntime_date=2026/12/31\ntixingtime=x\n");
        const StageSettings loaded = LoadStageSettings(RegistryStore(path), kToday);
        QCOMPARE(loaded.firsttext + '|' + loaded.textone + '|' + loaded.secondtext, QStringLiteral("123|a,b|"));
        QCOMPARE(loaded.Time_all, QTime(1, 30, 0));
        QCOMPARE(loaded.Time_two.toString() + ' ' + loaded.Time_three.toString(), QStringLiteral("00:00:40 00:00:30"));
        QCOMPARE(loaded.time_date, QDate(2026, 12, 31));
        QCOMPARE(loaded.tixingtime, qint16(5));
    }

    void junkFileIsSurvived()
    {
        TestSandbox sandbox;
        QByteArray junk = QByteArrayLiteral("\xFF\xFE\x00\x01garbage\n=novalue\n\x80\x81=\xC3(\n[General\n[General]\n");
        junk += "checkone=1111110\nTime_all=@Variant(\xFF)\nTime_one=@ByteArray(\x01\ntextone=@Invalid()\n";
        junk += "firsttext=\xE4\xB8\xAD\xFF\xC0\nTime_two=\"open\n[\xFF\xFE]\n\\\\\\=\\\n" + QByteArray(3000, '\x07');
        const QString path = sandbox.writeFile(QStringLiteral("Kestrova.conf"), junk);
        RegistryStore store(path);
        const StageSettings loaded = LoadStageSettings(store, kToday);
        QCOMPARE(loaded.checkone, QStringLiteral("1111110"));
        QCOMPARE(loaded.Time_all, QTime(0, 1, 0));
        QVERIFY(loaded.firsttext.startsWith(QStringLiteral("中")));
        // The store that read the damaged file saves a good record over it, and says so.
        QVERIFY(SaveStageSettings(store, unusualRecord()));
        QVERIFY(LoadStageSettings(RegistryStore(path), kToday) == unusualRecord());
    }
};

QTEST_GUILESS_MAIN(TestStageSettingsStore)
#include "tst_stagesettingsstore.moc"
