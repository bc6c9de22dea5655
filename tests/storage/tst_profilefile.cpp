#include "storage/ProfileFile.h"

#include "TestSupport.h"

#include <QtTest>

using namespace melvanta;

class TestProfileFile : public QObject
{
    Q_OBJECT

private slots:
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
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
