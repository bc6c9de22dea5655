#include "storage/IniFile.h"
#include "storage/ProfileFile.h"

#include "TestSupport.h"
#include "Unwritable.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using melvanta::IniFile;
using melvanta::iniset;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// NUL, invalid and truncated UTF-8, an encoded surrogate, a control character.
const QByteArray kJunk("\xFF\xFE\x00\x01\x80\x81 \xC3(\xED\xA0\x80]\x1B", 14);
const QString kName = QStringLiteral("TimeData.db");

// One row of a table over a profile file: its bytes, a section, a key, a
// value, and the bytes after the change.
struct Row
{
    QByteArray file;
    QString section, key, text;
    QByteArray after;
};

void add(const char* name, const QByteArray& file, const QString& section, const QString& key, const QString& text,
         const QByteArray& after = QByteArray())
{
    QTest::newRow(name) << Row{file, section, key, text, after};
}

} // namespace

Q_DECLARE_METATYPE(Row)

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void value_data()
    {
        QTest::addColumn<Row>("row");
        add("CR only", "[A]\rx=1\rk=v\r[B]\rk=w\r", "B", "k", "w");
        add("BOM, CRLF", "\xEF\xBB\xBF[Marquee]\r\nMode=1\r\n", "Marquee", "Mode", "1");
        add("duplicate section: first wins", "[A]\nk=1\n[B]\nk=0\n[a]\nk=2\n", "A", "k", "1");
        add("duplicate section: later one ignored", "[A]\nx=1\n[A]\nk=2\n", "A", "k", {});
        add("duplicate key: first wins", "[A]\nk=1\nK=2\n", "A", "k", "1");
        add("names ignore case, trimmed", "[MarQuee]\n MARQUEESPEED = 3 \n", "marquee", "MarQueespeed", "3");
        add("line without = is no key", "[A]\nk\nk 1\n", "A", "k", {});
        add("junk around keys", kJunk + "\n[A]\n" + kJunk + "\nk=1\n\x80=\x81\n[\xFF]\nk=2\n", "A", "k", "1");
        add("UTF-8 text", "[背景]\n文字= 会议 开始 \n", "背景", "文字", "会议 开始");
    }
    void value()
    {
        QFETCH(Row, row);
        TestSandbox sandbox;
        const QString path = sandbox.writeFile(kName, row.file);
        const QString actual = IniFile(path).value(row.section, row.key);
        QCOMPARE(actual.isNull(), row.text.isNull());
        QCOMPARE(actual, row.text);
        // A snapshot of the file reads the same.
        const QString snapshot = melvanta::IniSnapshot(path).value(row.section, row.key);
        QCOMPARE(snapshot.isNull(), row.text.isNull());
        QCOMPARE(snapshot, row.text);
    }

    // A null value removes the key, or with an empty key the whole section. An
    // empty `after` marks a refused write, which leaves the file as it was.
    void edit_data()
    {
        QTest::addColumn<Row>("row");
        add("replace keeps key spelling", "[A]\r\nMode=1\r\n", "a", "MODE", "2", "[A]\r\nMode=2\r\n");
        add("append in CRLF file", "[A]\r\nx=1\r\n\r\n[B]\r\n", "A", "k", "v", "[A]\r\nx=1\r\nk=v\r\n\r\n[B]\r\n");
        add("new section", "[A]\nx=1", "B", "k", "v", "[A]\nx=1\n\n[B]\nk=v\n");
        add("first of duplicate sections", "[A]\nx=1\n[A]\nk=2\n", "A", "k", "3", "[A]\nx=1\nk=3\n[A]\nk=2\n");
        add("BOM kept", "\xEF\xBB\xBF[A]\r\nk=1\r\n", "A", "k", "2", "\xEF\xBB\xBF[A]\r\nk=2\r\n");
        add("Chinese", "[背景]\n", "背景", "文字", "会议进行中", "[背景]\n文字=会议进行中\n");
        add("line breaks cannot start a new line", "[A]\nk=1\n", "A", "k", "a\r\n[B]\rc=\n", "[A]\nk=a  [B] c= \n");
        add("comments, sections kept", ";t\n[M]\n;c\nk=1\n[H]\nk=2\n", "M", "k", "0", ";t\n[M]\n;c\nk=0\n[H]\nk=2\n");
        add("junk bytes kept exactly", kJunk + "\n[A]\n" + kJunk + "\r\nk=1\n\x80=\x81\r[\xFF]\n", "A", "k", "2",
            kJunk + "\n[A]\n" + kJunk + "\r\nk=2\n\x80=\x81\r[\xFF]\n");
        add("refused: key with =", "[A]\nk=1\n", "A", "k=1", "v");
        add("refused: key with line break", "[A]\nk=1\n", "A", "k\n[B]", "v");
        add("remove first key only", "[A]\r\nk=1\r\nx=0\r\nK=2\r\n", "a", "K", {}, "[A]\r\nx=0\r\nK=2\r\n");
        add("remove key, junk kept", "[A]\n" + kJunk + "\nk=1\n\xFF\r\n", "A", "k", {}, "[A]\n" + kJunk + "\n\xFF\r\n");
        add("remove section", "[A]\r\nk=1\r\n;c\r\n\r\n[B]\r\nk=2\r\n", "a", "", {}, "[B]\r\nk=2\r\n");
        add("remove first of duplicates", "\xFF\n[A]\n[B]\n[A]\nk=2\n", "A", "", {}, "\xFF\n[B]\n[A]\nk=2\n");
    }
    void edit()
    {
        QFETCH(Row, row);
        TestSandbox sandbox;
        IniFile ini(sandbox.writeFile(kName, row.file));
        const bool done = !row.text.isNull()  ? ini.setValue(row.section, row.key, row.text)
                          : row.key.isEmpty() ? ini.removeSection(row.section)
                                              : ini.removeKey(row.section, row.key);
        QCOMPARE(done, !row.after.isEmpty());
        QCOMPARE(readBytes(ini.path()), row.after.isEmpty() ? row.file : row.after);
    }

    // A write that cannot reach its file reports 0 and leaves nothing behind;
    // on a full disk the file stays as it was.
    void unwritableLocation()
    {
        TestSandbox sandbox;
        const QString plain = sandbox.writeFile(QStringLiteral("plain"), "[A]\nk=1\n");
        QVERIFY(QDir().mkpath(sandbox.filePath(QStringLiteral("folder"))));
        for (const char* name : {"missing/TimeData.db", "plain/TimeData.db", "folder"})
            QCOMPARE(iniset("write", sandbox.filePath(QString::fromLatin1(name)), "A", "k", "2"), QVariant(0));
        {
            const Unwritable fullDisk(Unwritable::FullDisk, plain);
            QVERIFY(!fullDisk.holds() || !IniFile(plain).setValue("A", "k", "2"));
        }
        QCOMPARE(QDir(sandbox.programFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"folder", "plain"}));
        QVERIFY(QDir(sandbox.filePath(QStringLiteral("folder"))).isEmpty());
        QCOMPARE(readBytes(plain), QByteArray("[A]\nk=1\n"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
