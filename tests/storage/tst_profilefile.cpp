#include "storage/ProfileFile.h"

#include "storage/IniFile.h"
#include "storage/UnsavedProfileChanges.h"

#include "TestSupport.h"
#include "Unwritable.h"

#include <QtTest>

using namespace melvanta;

namespace {

const QByteArray kProfile("[clocksite]\npictureleft9=1\npictureleft0=500\n[Marquee]\ncurrentrow=4\nMode=2\n"
                          "[Hotkey]\noften=00\n");

} // namespace

class TestProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { UnsavedProfileChanges::setListener({}); }

    // Missing files, empty values and deleted keys read as the default; a long
    // value is cut to the read buffer; unknown modes do nothing at all.
    void readPart()
    {
        TestSandbox sandbox;
        const QString missing = sandbox.filePath(QStringLiteral("none.db"));
        QCOMPARE(iniset("readpart", missing, "Marquee", "Mode", "2").toString(), QStringLiteral("2"));
        QCOMPARE(iniset("readall", missing, "Marquee", "", "none").toString(), QStringLiteral("none"));
        const QByteArray text = QByteArray(100 * 1024, 'x');
        const QString path =
            sandbox.writeFile(kProfileFileName, "[Marquee]\nWidth=\nHex=&H10\ncurrentrow=4\nText=" + text);
        for (const char* mode : {"", "Write", "readpart ", "read"})
            QVERIFY2(!iniset(mode, path, "Marquee", "Width", "2").isValid(), mode);
        QCOMPARE(iniset("readpart", path, "Marquee", "Width", "1000").toString(), QStringLiteral("1000"));
        QCOMPARE(iniset("readpart", path, "marquee", "TEXT", "").toString(),
                 QString::fromLatin1(text.left(kProfileValueLimit)));
        const ProfileFile profile(path); // numbers read as the program always read them
        QCOMPARE(profile.readNumber("Marquee", "Hex", 0), 16.0);
        QCOMPARE(profile.readNumber("Marquee", "Width", 1000), 1000.0);
        for (int start = 0; start < 2; ++start) // every program start deletes it
            QCOMPARE(iniset("delpart", path, "Marquee", "currentrow", ""), QVariant(1));
        QCOMPARE(iniset("readpart", path, "Marquee", "currentrow", "-10").toString(), QStringLiteral("-10"));
    }

    // A text that starts with "[" is a file read with "readall" ("|" a line
    // break); any other is a section block ("|" a NUL) given to joinSectionBlock.
    void readAll_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const char* rows[][3] = {
            {"readall", "[S]|a=1|b=2", "a=1,b=2"},
            {"readall: comments and blanks skipped", "[S]|;c||  a = 1 |b=|[T]|c=3", "a=1,b="},
            {"readall: empty section gives default", "[S]||[T]|c=3", "none"},
            {"join: as readall builds it", "a=1|b=2||", "a=1,b=2"},
            {"join: NUL runs become one comma", "a|||b||", "a,b"},
            {"join: leading NUL keeps its comma", "|a=1||", ",a=1"},
            {"join: only one trailing comma dropped", "a=,,|", "a=,"},
            {"join: trim comes before the comma drop", "  a=1 ||", "a=1 "},
            {"join: last character ignored even if not NUL", "a=1x", "a=1"},
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]);
    }
    void readAll()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        TestSandbox sandbox;
        const QString path = sandbox.writeFile(kProfileFileName, QString(text).replace('|', '\n').toUtf8());
        QCOMPARE(text.startsWith('[') ? iniset("readall", path, "s", "", "none").toString()
                                      : joinSectionBlock(text.replace('|', QChar(0))),
                 expected);
    }

    // Changes a profile file refuses hold for every later read of this run,
    // through iniset and a snapshot alike; the file stays as it was and no
    // temporary file is left. The operator is told once, with the file's
    // path and the reason. The first change the file takes again brings
    // the kept ones along.
    void refusedChangesHoldForTheRun_data()
    {
        QTest::addColumn<Unwritable::Kind>("refusal");
        QTest::newRow("read-only file") << Unwritable::ReadOnlyFile;
        QTest::newRow("read-only folder") << Unwritable::ReadOnlyFolder;
        QTest::newRow("folder in the file's place") << Unwritable::FolderInPlace;
        QTest::newRow("full disk") << Unwritable::FullDisk;
    }
    void refusedChangesHoldForTheRun()
    {
        QFETCH(Unwritable::Kind, refusal);
        TestSandbox sandbox;
        const QString path = sandbox.writeFile(kProfileFileName, kProfile);
        QList<QStringList> told;
        UnsavedProfileChanges::setListener([&](const QString& file, const QString& reason) {
            told.append({file, reason});
        });
        std::optional<Unwritable> unwritable(std::in_place, refusal, path);
        if (!unwritable->holds())
            QSKIP("root writes whatever the permissions say; the other rows refuse writes anyway");

        ProfileFile profile(path);
        QVERIFY(!profile.write("clocksite", "pictureleft9", "2"));
        QVERIFY(!profile.write(" ClockSite ", "PictureLeft0", " 700 "));
        QVERIFY(!profile.deletePart("marquee", "currentrow"));
        QVERIFY(!profile.deleteAll("Hotkey"));
        QVERIFY(!profile.write("Hotkey", "often", "11")); // after its section went
        QVERIFY(!profile.write("Logo", "Option", "1"));   // a section the file never had
        QCOMPARE(told.size(), 1);
        QCOMPARE(told.at(0).at(0), QFileInfo(path).absoluteFilePath());
        QVERIFY(!told.at(0).at(1).isEmpty());

        const ProfileSnapshot snapshot(path);
        for (const ProfileReader* reader : std::initializer_list<const ProfileReader*>{&profile, &snapshot}) {
            QCOMPARE(reader->readPart("clocksite", "pictureleft9", ""), QStringLiteral("2"));
            QCOMPARE(reader->readNumber("CLOCKSITE", "pictureleft0", 0), 700.0);
            QCOMPARE(reader->readPart("Marquee", "currentrow", "-10"), QStringLiteral("-10"));
            QCOMPARE(reader->readPart("Logo", "Option", "0"), QStringLiteral("1"));
        }
        QCOMPARE(profile.readAll("Hotkey", "none"), QStringLiteral("often=11"));
        QCOMPARE(profile.readAll("Marquee", "none"), refusal == Unwritable::FolderInPlace ? "none" : "Mode=2");
        QCOMPARE(profile.readAll("clocksite", "none"), refusal == Unwritable::FolderInPlace
                                                           ? "pictureleft9=2,PictureLeft0=700"
                                                           : "pictureleft9=2,pictureleft0=700");

        unwritable.reset();
        QCOMPARE(QDir(sandbox.programFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{kProfileFileName});
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == kProfile);
        QVERIFY(profile.write("Hotkey", "other", "5")); // into the section still removed in memory
        const IniFile stored(path);                     // the file alone
        QCOMPARE(stored.value("clocksite", "pictureleft9"), QStringLiteral("2"));
        QCOMPARE(stored.value("clocksite", "pictureleft0"), QStringLiteral("700"));
        QVERIFY(stored.value("Marquee", "currentrow").isNull());
        QCOMPARE(stored.value("Marquee", "Mode"), QStringLiteral("2"));
        QCOMPARE(stored.sectionEntries("Hotkey"), (QStringList{"often=11", "other=5"}));
        QCOMPARE(stored.value("Logo", "Option"), QStringLiteral("1"));
        QVERIFY(UnsavedProfileChanges::overlay(path).isEmpty());
        QCOMPARE(told.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
