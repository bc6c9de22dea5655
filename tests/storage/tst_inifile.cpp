#include "storage/IniFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cstddef>

using melvanta::IniFile;

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

// A line of binary junk: NUL, invalid and truncated UTF-8, an encoded
// surrogate, a control character.
const QByteArray kJunk = raw("\xFF\xFE\x00\x01\x80\x81 \xC3(\xED\xA0\x80]\x1B");

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void value_data();
    void value();
    void missingFileReadsAsAbsent();
    void longValueIsReadWhole();
    void sectionEntries_data();
    void sectionEntries();
    void setValue_data();
    void setValue();
    void setValueCreatesMissingFile();
    void unsafeNamesAreRefused_data();
    void unsafeNamesAreRefused();
    void unwritableLocation_data();
    void unwritableLocation();
    void removeKey_data();
    void removeKey();
    void removeSection_data();
    void removeSection();
    void removingFromMissingFileCreatesNothing();
    void everyCallReadsTheFileAfresh();
};

void TestIniFile::value_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // null = absent

    const QString absent;
    QTest::newRow("LF") << QByteArray("[A]\nx=1\nk=v\n") << "A"
                        << "k" << QStringLiteral("v");
    QTest::newRow("CRLF") << QByteArray("[A]\r\nx=1\r\nk=v\r\n[B]\r\nk=w\r\n") << "A"
                          << "k" << QStringLiteral("v");
    QTest::newRow("CR only") << QByteArray("[A]\rx=1\rk=v\r[B]\rk=w\r") << "B"
                             << "k" << QStringLiteral("w");
    QTest::newRow("mixed breaks") << QByteArray("[A]\r\nx=1\rk=v\n") << "A"
                                  << "k" << QStringLiteral("v");
    QTest::newRow("no final break") << QByteArray("[A]\nk=v") << "A"
                                    << "k" << QStringLiteral("v");
    QTest::newRow("BOM before first header") << QByteArray("\xEF\xBB\xBF[Marquee]\r\nMode=1\r\n") << "Marquee"
                                             << "Mode" << QStringLiteral("1");
    QTest::newRow("duplicate section: first wins") << QByteArray("[A]\nk=1\n[B]\nk=0\n[a]\nk=2\n") << "A"
                                                   << "k" << QStringLiteral("1");
    QTest::newRow("duplicate section: later one ignored") << QByteArray("[A]\nx=1\n[A]\nk=2\n") << "A"
                                                          << "k" << absent;
    QTest::newRow("duplicate key: first wins") << QByteArray("[A]\nk=1\nK=2\n") << "A"
                                               << "k" << QStringLiteral("1");
    QTest::newRow("names ignore case") << QByteArray("[MarQuee]\nMARQUEESPEED=3\n") << "marquee"
                                       << "MarQueespeed" << QStringLiteral("3");
    QTest::newRow("names and value trimmed") << QByteArray("  [ Marquee\t]\n \tMode  =\t 2 \t\n") << "Marquee"
                                             << "Mode" << QStringLiteral("2");
    QTest::newRow("indented header") << QByteArray("\t [A]\n\tk=1\n") << "A"
                                     << "k" << QStringLiteral("1");
    QTest::newRow("lookup names trimmed") << QByteArray("[Marquee]\nMode=2\n") << " Marquee "
                                          << "\tMode " << QStringLiteral("2");
    QTest::newRow("inner blanks kept") << QByteArray("[A]\nk= a  b \n") << "A"
                                       << "k" << QStringLiteral("a  b");
    QTest::newRow("empty value is present") << QByteArray("[A]\nk=\n") << "A"
                                            << "k" << QStringLiteral("");
    QTest::newRow("blank value is present") << QByteArray("[A]\nk= \t \n") << "A"
                                            << "k" << QStringLiteral("");
    QTest::newRow("value holds =") << QByteArray("[A]\nk=a=b\n") << "A"
                                   << "k" << QStringLiteral("a=b");
    QTest::newRow("line without = is no key") << QByteArray("[A]\nk\nk 1\n") << "A"
                                              << "k" << absent;
    QTest::newRow("comment line") << QByteArray("[A]\n;k=1\n") << "A"
                                  << "k" << absent;
    QTest::newRow("indented comment line") << QByteArray("[A]\n  ;k=1\nk=2\n") << "A"
                                           << "k" << QStringLiteral("2");
    QTest::newRow("key before any header") << QByteArray("k=1\n[A]\n") << "A"
                                           << "k" << absent;
    QTest::newRow("section ends at next header") << QByteArray("[A]\n[B]\nk=1\n") << "A"
                                                 << "k" << absent;
    QTest::newRow("text after header") << QByteArray("[A] ; main\nk=1\n") << "A"
                                       << "k" << QStringLiteral("1");
    QTest::newRow("missing section") << QByteArray("[A]\nk=1\n") << "B"
                                     << "k" << absent;
    QTest::newRow("missing key") << QByteArray("[A]\nk=1\n") << "A"
                                 << "j" << absent;
    QTest::newRow("empty file") << QByteArray() << "A"
                                << "k" << absent;
    QTest::newRow("binary junk around good keys")
        << raw("\x00\xFF\n[A]\n").append(kJunk).append("\nk=1\n\x80=\x81\n[\xFF]\nk=2\n") << "A"
        << "k" << QStringLiteral("1");
    QTest::newRow("junk key name does not match") << QByteArray("[A]\n\xFF=1\nk=2\n") << "A"
                                                  << "k" << QStringLiteral("2");
    QTest::newRow("U+FEFF inside a line is text") << QByteArray("[A]\n\xEF\xBB\xBFk=\xEF\xBB\xBFv\n") << "A"
                                                  << QStringLiteral("\uFEFFk") << QStringLiteral("\uFEFFv");
    QTest::newRow("UTF-8 text") << QByteArray("[背景]\n文字= 会议 开始 \n") << "背景"
                                << "文字" << QStringLiteral("会议 开始");
}

void TestIniFile::value()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    TestSandbox sandbox;
    const IniFile ini(sandbox.writeFile(QStringLiteral("TimeData.db"), file));
    const QString actual = ini.value(section, key);
    QCOMPARE(actual.isNull(), expected.isNull());
    QCOMPARE(actual, expected);
}

void TestIniFile::missingFileReadsAsAbsent()
{
    TestSandbox sandbox;
    const IniFile ini(sandbox.filePath(QStringLiteral("TimeData.db")));
    QVERIFY(ini.value(QStringLiteral("Marquee"), QStringLiteral("Mode")).isNull());
    QVERIFY(ini.sectionEntries(QStringLiteral("Marquee")).isEmpty());
    QVERIFY(!QFile::exists(ini.path()));
}

void TestIniFile::longValueIsReadWhole()
{
    TestSandbox sandbox;
    const QByteArray big(100 * 1024, 'x');
    const IniFile ini(sandbox.writeFile(QStringLiteral("TimeData.db"), "[A]\r\nk=" + big + "\r\nj=2\r\n"));
    QCOMPARE(ini.value(QStringLiteral("A"), QStringLiteral("k")), QString::fromLatin1(big));
    QCOMPARE(ini.value(QStringLiteral("A"), QStringLiteral("j")), QStringLiteral("2"));
}

void TestIniFile::sectionEntries_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("in file order") << QByteArray("[A]\r\nb=2\r\na=1\r\n") << "A" << QStringList{"b=2", "a=1"};
    QTest::newRow("entries trimmed") << QByteArray("[A]\n  a = 1 \n\tb=\n") << "A" << QStringList{"a=1", "b="};
    QTest::newRow("comments and blank lines skipped")
        << QByteArray("[A]\n;c=1\n\n  \na=1\n") << "A" << QStringList{"a=1"};
    QTest::newRow("line without = listed")
        << QByteArray("[A]\nloose  text \na=1\n") << "A" << QStringList{"loose  text", "a=1"};
    QTest::newRow("first of duplicate sections")
        << QByteArray("[A]\na=1\n[B]\nb=1\n[A]\na=2\n") << "a" << QStringList{"a=1"};
    QTest::newRow("empty section") << QByteArray("[A]\n\n[B]\nb=1\n") << "A" << QStringList();
    QTest::newRow("missing section") << QByteArray("[A]\na=1\n") << "B" << QStringList();
    QTest::newRow("junk line kept as text")
        << QByteArray("[A]\n\xFF\na=1\n") << "A" << QStringList{QString(QChar::ReplacementCharacter), "a=1"};
}

void TestIniFile::sectionEntries()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QStringList, expected);

    TestSandbox sandbox;
    const IniFile ini(sandbox.writeFile(QStringLiteral("TimeData.db"), file));
    QCOMPARE(ini.sectionEntries(section), expected);
}

void TestIniFile::setValue_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("replace keeps key spelling") << QByteArray("[A]\r\nMode=1\r\n") << "a"
                                                << "MODE"
                                                << "2" << QByteArray("[A]\r\nMode=2\r\n");
    QTest::newRow("replace keeps indentation") << QByteArray("[A]\n  Mode = 1 \n") << "A"
                                               << "Mode"
                                               << "2" << QByteArray("[A]\n  Mode =2\n");
    QTest::newRow("replace first duplicate key") << QByteArray("[A]\nk=1\nk=2\n") << "A"
                                                 << "k"
                                                 << "3" << QByteArray("[A]\nk=3\nk=2\n");
    QTest::newRow("append after last non-blank line") << QByteArray("[A]\nx=1\n;note\n\n\n[B]\ny=2\n") << "A"
                                                      << "k"
                                                      << "v" << QByteArray("[A]\nx=1\n;note\nk=v\n\n\n[B]\ny=2\n");
    QTest::newRow("append to header-only section") << QByteArray("[A]\n\n[B]\n") << "A"
                                                   << "k"
                                                   << "v" << QByteArray("[A]\nk=v\n\n[B]\n");
    QTest::newRow("append at end without break") << QByteArray("[A]\nx=1") << "A"
                                                 << "k"
                                                 << "v" << QByteArray("[A]\nx=1\nk=v\n");
    QTest::newRow("append in CRLF file") << QByteArray("[A]\r\nx=1\r\n") << "A"
                                         << "k"
                                         << "v" << QByteArray("[A]\r\nx=1\r\nk=v\r\n");
    QTest::newRow("new section after blank line") << QByteArray("[A]\nx=1\n") << "B"
                                                  << "k"
                                                  << "v" << QByteArray("[A]\nx=1\n\n[B]\nk=v\n");
    QTest::newRow("new section in CRLF file") << QByteArray("[A]\r\nx=1") << "B"
                                              << "k"
                                              << "v" << QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n");
    QTest::newRow("new section after existing blank line") << QByteArray("[A]\nx=1\n\n") << "B"
                                                           << "k"
                                                           << "v" << QByteArray("[A]\nx=1\n\n[B]\nk=v\n");
    QTest::newRow("CR-only file gets LF lines") << QByteArray("[A]\rx=1\r") << "A"
                                                << "k"
                                                << "v" << QByteArray("[A]\rx=1\rk=v\n");
    QTest::newRow("empty file") << QByteArray() << "Marquee"
                                << "Mode"
                                << "2" << QByteArray("[Marquee]\nMode=2\n");
    QTest::newRow("BOM kept") << QByteArray("\xEF\xBB\xBF[A]\r\nk=1\r\n") << "A"
                              << "k"
                              << "2" << QByteArray("\xEF\xBB\xBF[A]\r\nk=2\r\n");
    QTest::newRow("BOM-only file") << QByteArray("\xEF\xBB\xBF") << "A"
                                   << "k"
                                   << "2" << QByteArray("\xEF\xBB\xBF[A]\nk=2\n");
    QTest::newRow("later duplicate section untouched") << QByteArray("[A]\nx=1\n[A]\nk=2\n") << "A"
                                                       << "k"
                                                       << "3" << QByteArray("[A]\nx=1\nk=3\n[A]\nk=2\n");
    QTest::newRow("names written trimmed") << QByteArray() << " A\t"
                                           << " k "
                                           << " v " << QByteArray("[A]\nk= v \n");
    QTest::newRow("line breaks in value become spaces") << QByteArray("[A]\nk=1\nj=2\n") << "A"
                                                        << "k"
                                                        << "a\r\nb\rc\n"
                                                        << QByteArray("[A]\nk=a  b c \nj=2\n");
    QTest::newRow("UTF-8 value") << QByteArray("[Marquee]\n") << "Marquee"
                                 << "backgroundText" << QStringLiteral("会议进行中")
                                 << QByteArray("[Marquee]\nbackgroundText=会议进行中\n");
    QTest::newRow("comments and other sections intact")
        << QByteArray("; settings\r\n[Marquee]\r\n;speed\r\nMode=1\r\n\r\n[Hotkey]\r\nstart=Ctrl+F5\r\n") << "Marquee"
        << "Mode"
        << "0" << QByteArray("; settings\r\n[Marquee]\r\n;speed\r\nMode=0\r\n\r\n[Hotkey]\r\nstart=Ctrl+F5\r\n");
    QTest::newRow("junk bytes kept exactly")
        << raw("\x00\xFF\n[A]\n").append(kJunk).append("\r\nk=1\n\x80=\x81\r[\xFF]\n") << "A"
        << "k"
        << "2" << raw("\x00\xFF\n[A]\n").append(kJunk).append("\r\nk=2\n\x80=\x81\r[\xFF]\n");
}

void TestIniFile::setValue()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    TestSandbox sandbox;
    IniFile ini(sandbox.writeFile(QStringLiteral("TimeData.db"), before));
    QVERIFY(ini.setValue(section, key, value));
    QCOMPARE(readBytes(ini.path()), after);
    QString expected = value;
    expected.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QCOMPARE(ini.value(section, key), expected.trimmed());
}

void TestIniFile::setValueCreatesMissingFile()
{
    TestSandbox sandbox;
    IniFile ini(sandbox.filePath(QStringLiteral("TimeData.db")));
    QVERIFY(ini.setValue(QStringLiteral("clocksite"), QStringLiteral("pictureleft3"), QStringLiteral("-100")));
    QCOMPARE(readBytes(ini.path()), QByteArray("[clocksite]\npictureleft3=-100\n"));
}

void TestIniFile::unsafeNamesAreRefused_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");

    QTest::newRow("key with =") << "A"
                                << "a=b";
    QTest::newRow("key with [") << "A"
                                << "[a";
    QTest::newRow("key with ]") << "A"
                                << "a]";
    QTest::newRow("key with LF") << "A"
                                 << "a\nb";
    QTest::newRow("key with CR") << "A"
                                 << "a\rb";
    QTest::newRow("key like a comment") << "A"
                                        << ";a";
    QTest::newRow("blank key") << "A"
                               << " \t";
    QTest::newRow("section with ]") << "a]b"
                                    << "k";
    QTest::newRow("section with [") << "[a"
                                    << "k";
    QTest::newRow("section with =") << "a=b"
                                    << "k";
    QTest::newRow("section with LF") << "a\nb"
                                     << "k";
    QTest::newRow("empty section") << ""
                                   << "k";
}

void TestIniFile::unsafeNamesAreRefused()
{
    QFETCH(QString, section);
    QFETCH(QString, key);

    TestSandbox sandbox;
    const QByteArray before("[A]\nk=1\n");
    IniFile ini(sandbox.writeFile(QStringLiteral("TimeData.db"), before));
    QVERIFY(!ini.setValue(section, key, QStringLiteral("v")));
    QCOMPARE(readBytes(ini.path()), before);
}

void TestIniFile::unwritableLocation_data()
{
    QTest::addColumn<QString>("relativePath");

    QTest::newRow("folder missing") << "missing/TimeData.db";
    QTest::newRow("parent is a file") << "plain/TimeData.db";
    QTest::newRow("path is a folder") << "folder";
}

void TestIniFile::unwritableLocation()
{
    QFETCH(QString, relativePath);

    TestSandbox sandbox;
    sandbox.writeFile(QStringLiteral("plain"), "[A]\nk=1\n");
    QVERIFY(QDir().mkpath(sandbox.filePath(QStringLiteral("folder"))));
    const QStringList before = QDir(sandbox.programFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    IniFile ini(sandbox.filePath(relativePath));
    QVERIFY(!ini.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")));
    QVERIFY(ini.value(QStringLiteral("A"), QStringLiteral("k")).isNull());

    QCOMPARE(QDir(sandbox.programFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(QDir(sandbox.filePath(QStringLiteral("folder"))).isEmpty());
    QCOMPARE(readBytes(sandbox.filePath(QStringLiteral("plain"))), QByteArray("[A]\nk=1\n"));
}

void TestIniFile::removeKey_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("first match only") << QByteArray("[A]\r\nk=1\r\nx=0\r\nK=2\r\n") << "a"
                                      << "K" << QByteArray("[A]\r\nx=0\r\nK=2\r\n");
    QTest::newRow("last line without break") << QByteArray("[A]\nx=0\nk=1") << "A"
                                             << "k" << QByteArray("[A]\nx=0\n");
    QTest::newRow("comment of that name untouched") << QByteArray("[A]\n;k=0\nk=1\n") << "A"
                                                    << "k" << QByteArray("[A]\n;k=0\n");
    QTest::newRow("later duplicate section untouched") << QByteArray("[A]\nx=0\n[A]\nk=1\n") << "A"
                                                       << "k" << QByteArray("[A]\nx=0\n[A]\nk=1\n");
    QTest::newRow("same key in other section untouched") << QByteArray("[B]\nk=0\n[A]\nk=1\n") << "A"
                                                         << "k" << QByteArray("[B]\nk=0\n[A]\n");
    QTest::newRow("missing key") << QByteArray("[A]\nx=0\n") << "A"
                                 << "k" << QByteArray("[A]\nx=0\n");
    QTest::newRow("missing section") << QByteArray("[B]\nk=0\n") << "A"
                                     << "k" << QByteArray("[B]\nk=0\n");
    QTest::newRow("junk kept") << QByteArray("[A]\n").append(kJunk).append("\nk=1\n\xFF\r\n") << "A"
                               << "k" << QByteArray("[A]\n").append(kJunk).append("\n\xFF\r\n");
}

void TestIniFile::removeKey()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);

    TestSandbox sandbox;
    IniFile ini(sandbox.writeFile(QStringLiteral("TimeData.db"), before));
    QVERIFY(ini.removeKey(section, key));
    QCOMPARE(readBytes(ini.path()), after);
}

void TestIniFile::removeSection_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("up to next header") << QByteArray("[A]\r\nk=1\r\n;c\r\n\r\n[B]\r\nk=2\r\n") << "a"
                                       << QByteArray("[B]\r\nk=2\r\n");
    QTest::newRow("last section") << QByteArray("; top\n[B]\nk=2\n\n[A]\nk=1") << "A"
                                  << QByteArray("; top\n[B]\nk=2\n\n");
    QTest::newRow("first of duplicates") << QByteArray("[A]\nk=1\n[B]\n[A]\nk=2\n") << "A"
                                         << QByteArray("[B]\n[A]\nk=2\n");
    QTest::newRow("missing section") << QByteArray("[B]\nk=2\n") << "A" << QByteArray("[B]\nk=2\n");
    QTest::newRow("junk elsewhere kept") << QByteArray("\xFF\xFE\n[A]\n\x80\n[B]\n").append(kJunk) << "A"
                                         << QByteArray("\xFF\xFE\n[B]\n").append(kJunk);
}

void TestIniFile::removeSection()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QByteArray, after);

    TestSandbox sandbox;
    IniFile ini(sandbox.writeFile(QStringLiteral("TimeData.db"), before));
    QVERIFY(ini.removeSection(section));
    QCOMPARE(readBytes(ini.path()), after);
}

void TestIniFile::removingFromMissingFileCreatesNothing()
{
    TestSandbox sandbox;
    IniFile ini(sandbox.filePath(QStringLiteral("TimeData.db")));
    QVERIFY(ini.removeKey(QStringLiteral("Marquee"), QStringLiteral("currentrow")));
    QVERIFY(ini.removeSection(QStringLiteral("Marquee")));
    QVERIFY(!QFile::exists(ini.path()));
}

void TestIniFile::everyCallReadsTheFileAfresh()
{
    TestSandbox sandbox;
    IniFile ini(sandbox.filePath(QStringLiteral("TimeData.db")));
    QVERIFY(ini.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1")));
    QCOMPARE(ini.value(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("1"));

    // Another program edits the file between two calls.
    sandbox.writeFile(QStringLiteral("TimeData.db"), "[A]\nk=2\nj=5\n");
    QCOMPARE(ini.value(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("2"));
    QVERIFY(ini.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("3")));
    QCOMPARE(readBytes(ini.path()), QByteArray("[A]\nk=3\nj=5\n"));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
