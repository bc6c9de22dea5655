#include "storage/ProfileFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cstddef>

using melvanta::iniset;
using melvanta::joinSectionBlock;
using melvanta::kProfileFileName;
using melvanta::kProfileValueLimit;
using melvanta::ProfileFile;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// Bytes of a literal, embedded NULs included.
template <std::size_t N> QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

// Text with NULs written as "|", for readable block literals.
QString block(QString text)
{
    return text.replace(QLatin1Char('|'), QChar(0));
}

const QString kFileName = QString::fromLatin1(kProfileFileName);

} // namespace

class TestProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void joinSectionBlock_data();
    void joinSectionBlock();
    void readPart_data();
    void readPart();
    void readAll_data();
    void readAll();
    void readNumber_data();
    void readNumber();
    void writeThenRead_data();
    void writeThenRead();
    void writeKeepsTheRestOfTheFile();
    void deletePartFallsBackToDefault();
    void deleteAllRemovesSection();
    void failedWritesReturnZero_data();
    void failedWritesReturnZero();
    void unknownModeDoesNothing_data();
    void unknownModeDoesNothing();
};

void TestProfileFile::joinSectionBlock_data()
{
    QTest::addColumn<QString>("block");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two entries, as readall builds it") << block("a=1|b=2||") << "a=1,b=2";
    QTest::newRow("two entries, as the API counts it") << block("a=1|b=2|") << "a=1,b=2";
    QTest::newRow("one entry") << block("Mode=2||") << "Mode=2";
    QTest::newRow("empty") << QString() << "";
    QTest::newRow("terminator only") << block("|") << "";
    QTest::newRow("two NULs") << block("||") << "";
    QTest::newRow("NUL runs become one comma") << block("a|||b||") << "a,b";
    QTest::newRow("comma in entry absorbs a NUL") << block("a=1,|b=2||") << "a=1,b=2";
    QTest::newRow("leading NUL keeps its comma") << block("|a=1||") << ",a=1";
    QTest::newRow("only one trailing comma dropped") << block("a=,,|") << "a=,";
    QTest::newRow("trim comes before the comma drop") << block("  a=1 ||") << "a=1 ";
    QTest::newRow("last character ignored even if not NUL") << QStringLiteral("a=1x") << "a=1";
    QTest::newRow("Chinese text") << block("backgroundText=会议|Mode=2||") << "backgroundText=会议,Mode=2";
}

void TestProfileFile::joinSectionBlock()
{
    QFETCH(QString, block);
    QFETCH(QString, expected);
    QCOMPARE(melvanta::joinSectionBlock(block), expected);
}

void TestProfileFile::readPart_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("defaultValue");
    QTest::addColumn<QString>("expected");

    const QByteArray marquee("[Marquee]\r\nMode=1\r\nWidth=\r\nMarQueespeed=  \r\ncurrentrow=3\r\n");
    QTest::newRow("missing file") << false << QByteArray() << "Marquee"
                                  << "Mode"
                                  << "2"
                                  << "2";
    QTest::newRow("present") << true << marquee << "Marquee"
                             << "Mode"
                             << "2"
                             << "1";
    QTest::newRow("names ignore case") << true << marquee << "MARQUEE"
                                       << "marqueeSPEED"
                                       << "1"
                                       << "1";
    QTest::newRow("empty value gives default") << true << marquee << "Marquee"
                                               << "Width"
                                               << "1000"
                                               << "1000";
    QTest::newRow("blank value gives default") << true << marquee << "Marquee"
                                               << "MarQueespeed"
                                               << "1"
                                               << "1";
    QTest::newRow("missing key") << true << marquee << "Marquee"
                                 << "colckbigtext"
                                 << "0"
                                 << "0";
    QTest::newRow("missing section") << true << marquee << "pictureset"
                                     << "Option"
                                     << "0"
                                     << "0";
    QTest::newRow("empty default") << true << marquee << "Hotkey"
                                   << "start" << QString() << QString();
    QTest::newRow("text ends at NUL") << true << raw("[Hotkey]\nstart=Ctrl+F5\x00junk\n") << "Hotkey"
                                      << "start"
                                      << ""
                                      << "Ctrl+F5";
    QTest::newRow("NUL first gives default") << true << raw("[Hotkey]\nstart=\x00junk\n") << "Hotkey"
                                             << "start"
                                             << "无"
                                             << "无";
    QTest::newRow("100 kB value cut to the buffer")
        << true << QByteArray("[Marquee]\nbackgroundText=").append(QByteArray(100 * 1024, 'x')).append("\nMode=0\n")
        << "Marquee"
        << "backgroundText"
        << "" << QString(kProfileValueLimit, QLatin1Char('x'));
    QTest::newRow("cut keeps surrogate pairs whole") << true
                                                     << QByteArray("[Marquee]\nbackgroundText=")
                                                            .append(QByteArray(kProfileValueLimit - 1, 'x'))
                                                            .append("\xF0\x9F\x98\x80\n")
                                                     << "Marquee"
                                                     << "backgroundText"
                                                     << "" << QString(kProfileValueLimit - 1, QLatin1Char('x'));
}

void TestProfileFile::readPart()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, defaultValue);
    QFETCH(QString, expected);

    TestSandbox sandbox;
    const QString path = fileExists ? sandbox.writeFile(kFileName, file) : sandbox.filePath(kFileName);
    const QVariant result = iniset(QStringLiteral("readpart"), path, section, key, defaultValue);
    QCOMPARE(result.typeId(), QMetaType::QString);
    QCOMPARE(result.toString(), expected);
    QCOMPARE(ProfileFile(path).readPart(section, key, defaultValue), expected);
}

void TestProfileFile::readAll_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("defaultValue");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a=1, b=2") << true << QByteArray("[S]\na=1\nb=2\n") << "S"
                              << "none"
                              << "a=1,b=2";
    QTest::newRow("CRLF, comments and blanks skipped")
        << true << QByteArray("[S]\r\n; c\r\n\r\n a = 1 \r\nb=\r\n[T]\r\nc=3\r\n") << "s"
        << "none"
        << "a=1,b=";
    QTest::newRow("first of duplicate sections") << true << QByteArray("[S]\na=1\n[S]\nb=2\n") << "S"
                                                 << ""
                                                 << "a=1";
    QTest::newRow("empty section gives default") << true << QByteArray("[S]\n\n[T]\nc=3\n") << "S"
                                                 << "none"
                                                 << "none";
    QTest::newRow("missing section gives default") << true << QByteArray("[T]\nc=3\n") << "S"
                                                   << "none"
                                                   << "none";
    QTest::newRow("missing file gives default") << false << QByteArray() << "S"
                                                << "none"
                                                << "none";
    // "k=" + 20000 characters, its NUL and the final NUL, cut to 10000
    // characters of which the last is not looked at.
    QTest::newRow("cut to the buffer") << true << QByteArray("[S]\nk=").append(QByteArray(20000, 'x')).append("\nj=1\n")
                                       << "S"
                                       << ""
                                       << QStringLiteral("k=") + QString(kProfileValueLimit - 2, QLatin1Char('x'));
}

void TestProfileFile::readAll()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, defaultValue);
    QFETCH(QString, expected);

    TestSandbox sandbox;
    const QString path = fileExists ? sandbox.writeFile(kFileName, file) : sandbox.filePath(kFileName);
    QCOMPARE(iniset(QStringLiteral("readall"), path, section, QString(), defaultValue).toString(), expected);
    QCOMPARE(ProfileFile(path).readAll(section, defaultValue), expected);
}

void TestProfileFile::readNumber_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<double>("defaultValue");
    QTest::addColumn<double>("expected");

    QTest::newRow("number") << QByteArray("Width=800") << 1000.0 << 800.0;
    QTest::newRow("negative with blanks") << QByteArray("Width=  -100 ") << 0.0 << -100.0;
    QTest::newRow("numeric prefix") << QByteArray("Width=12ab") << 0.0 << 12.0;
    QTest::newRow("garbage reads 0") << QByteArray("Width=abc") << 1000.0 << 0.0;
    QTest::newRow("hexadecimal") << QByteArray("Width=&H10") << 0.0 << 16.0;
    QTest::newRow("empty gives default") << QByteArray("Width=") << 1000.0 << 1000.0;
    QTest::newRow("missing gives default") << QByteArray("Height=600") << -100.0 << -100.0;
}

void TestProfileFile::readNumber()
{
    QFETCH(QByteArray, line);
    QFETCH(double, defaultValue);
    QFETCH(double, expected);

    TestSandbox sandbox;
    const ProfileFile profile(sandbox.writeFile(kFileName, "[pictureset]\n" + line + "\n"));
    QCOMPARE(profile.readNumber(QStringLiteral("pictureset"), QStringLiteral("Width"), defaultValue), expected);
}

void TestProfileFile::writeThenRead_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("number") << "-100"
                            << "-100";
    QTest::newRow("Chinese text") << QStringLiteral("会议进行中，请保持安静")
                                  << QStringLiteral("会议进行中，请保持安静");
    QTest::newRow("hotkey text") << QStringLiteral("无") << QStringLiteral("无");
    QTest::newRow("blanks trimmed on read") << "  Ctrl + F5  "
                                            << "Ctrl + F5";
    QTest::newRow("line break kept on one line") << "first\r\nsecond"
                                                 << "first  second";
    QTest::newRow("cut to the buffer") << QString(20000, QLatin1Char('y'))
                                       << QString(kProfileValueLimit, QLatin1Char('y'));
}

void TestProfileFile::writeThenRead()
{
    QFETCH(QString, value);
    QFETCH(QString, readBack);

    TestSandbox sandbox;
    const QString path = sandbox.filePath(kFileName);
    const QVariant written =
        iniset(QStringLiteral("write"), path, QStringLiteral("Marquee"), QStringLiteral("backgroundText"), value);
    QCOMPARE(written.toInt(), 1);
    QCOMPARE(iniset(QStringLiteral("readpart"), path, QStringLiteral("marquee"), QStringLiteral("BACKGROUNDTEXT"),
                    QStringLiteral("default"))
                 .toString(),
             readBack);
    QVERIFY(readBytes(path).contains(readBack.toUtf8()));
}

void TestProfileFile::writeKeepsTheRestOfTheFile()
{
    TestSandbox sandbox;
    const QByteArray before("; Melvanta\r\n"
                            "[Marquee]\r\n"
                            "Mode=1\r\n"
                            "; speed of the dynamic text\r\n"
                            "MarQueespeed=3\r\n"
                            "\r\n"
                            "[clocksite]\r\n"
                            "pictureleft0=120\r\n");
    const QString path = sandbox.writeFile(kFileName, before);
    ProfileFile profile(path);

    QVERIFY(profile.write(QStringLiteral("Marquee"), QStringLiteral("Mode"), QStringLiteral("0")));
    QVERIFY(profile.write(QStringLiteral("Marquee"), QStringLiteral("currentrow"), QStringLiteral("2")));
    QVERIFY(profile.write(QStringLiteral("Hotkey"), QStringLiteral("often"), QStringLiteral("10")));

    QCOMPARE(readBytes(path), QByteArray("; Melvanta\r\n"
                                         "[Marquee]\r\n"
                                         "Mode=0\r\n"
                                         "; speed of the dynamic text\r\n"
                                         "MarQueespeed=3\r\n"
                                         "currentrow=2\r\n"
                                         "\r\n"
                                         "[clocksite]\r\n"
                                         "pictureleft0=120\r\n"
                                         "\r\n"
                                         "[Hotkey]\r\n"
                                         "often=10\r\n"));
}

void TestProfileFile::deletePartFallsBackToDefault()
{
    TestSandbox sandbox;
    const QString path = sandbox.writeFile(kFileName, "[Marquee]\nMode=1\ncurrentrow=4\n");

    QCOMPARE(iniset(QStringLiteral("readpart"), path, QStringLiteral("Marquee"), QStringLiteral("currentrow"),
                    QStringLiteral("-10"))
                 .toString(),
             QStringLiteral("4"));
    QCOMPARE(iniset(QStringLiteral("delpart"), path, QStringLiteral("Marquee"), QStringLiteral("currentrow"), QString())
                 .toInt(),
             1);
    QCOMPARE(iniset(QStringLiteral("readpart"), path, QStringLiteral("Marquee"), QStringLiteral("currentrow"),
                    QStringLiteral("-10"))
                 .toString(),
             QStringLiteral("-10"));
    QCOMPARE(readBytes(path), QByteArray("[Marquee]\nMode=1\n"));

    // Deleting again, as every program start does, still succeeds.
    QVERIFY(ProfileFile(path).deletePart(QStringLiteral("Marquee"), QStringLiteral("currentrow")));
}

void TestProfileFile::deleteAllRemovesSection()
{
    TestSandbox sandbox;
    const QString path = sandbox.writeFile(kFileName, "[Hotkey]\nstart=F5\n[Marquee]\nMode=1\n");

    QCOMPARE(iniset(QStringLiteral("delall"), path, QStringLiteral("hotkey"), QString(), QString()).toInt(), 1);
    QCOMPARE(readBytes(path), QByteArray("[Marquee]\nMode=1\n"));
    QCOMPARE(ProfileFile(path).readAll(QStringLiteral("Hotkey"), QStringLiteral("none")), QStringLiteral("none"));
    QVERIFY(ProfileFile(path).deleteAll(QStringLiteral("Hotkey")));
}

void TestProfileFile::failedWritesReturnZero_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("key");

    QTest::newRow("write, folder missing") << "missing/TimeData.db"
                                           << "write"
                                           << "Mode";
    QTest::newRow("write, parent is a file") << "plain/TimeData.db"
                                             << "write"
                                             << "Mode";
    QTest::newRow("write, path is a folder") << "folder"
                                             << "write"
                                             << "Mode";
    QTest::newRow("delpart, path is a folder") << "folder"
                                               << "delpart"
                                               << "Mode";
    QTest::newRow("delall, path is a folder") << "folder"
                                              << "delall"
                                              << "";
    QTest::newRow("write, key with =") << "TimeData.db"
                                       << "write"
                                       << "Mode=1";
    QTest::newRow("write, key with newline") << "TimeData.db"
                                             << "write"
                                             << "Mode\n[Hotkey]";
}

void TestProfileFile::failedWritesReturnZero()
{
    QFETCH(QString, relativePath);
    QFETCH(QString, mode);
    QFETCH(QString, key);

    TestSandbox sandbox;
    const QByteArray profile("[Marquee]\nMode=1\n");
    sandbox.writeFile(kFileName, profile);
    sandbox.writeFile(QStringLiteral("plain"), profile);
    QVERIFY(QDir().mkpath(sandbox.filePath(QStringLiteral("folder"))));
    const QStringList before = QDir(sandbox.programFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    const QVariant result =
        iniset(mode, sandbox.filePath(relativePath), QStringLiteral("Marquee"), key, QStringLiteral("2"));
    QCOMPARE(result.toInt(), 0);

    QCOMPARE(QDir(sandbox.programFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(QDir(sandbox.filePath(QStringLiteral("folder"))).isEmpty());
    QCOMPARE(readBytes(sandbox.filePath(kFileName)), profile);
    QCOMPARE(readBytes(sandbox.filePath(QStringLiteral("plain"))), profile);
}

void TestProfileFile::unknownModeDoesNothing_data()
{
    QTest::addColumn<QString>("mode");

    QTest::newRow("empty") << "";
    QTest::newRow("other case") << "Write";
    QTest::newRow("padded") << "readpart ";
    QTest::newRow("unknown") << "read";
}

void TestProfileFile::unknownModeDoesNothing()
{
    QFETCH(QString, mode);

    TestSandbox sandbox;
    const QByteArray profile("[Marquee]\nMode=1\n");
    const QString path = sandbox.writeFile(kFileName, profile);
    const QVariant result = iniset(mode, path, QStringLiteral("Marquee"), QStringLiteral("Mode"), QStringLiteral("2"));
    QVERIFY(!result.isValid());
    QCOMPARE(readBytes(path), profile);
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
