#include "DataRows.h"
#include "core/ProgramFolder.h"
#include "stages/DatabaseSchema.h"
#include "storage/UserDataFolder.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace melvanta;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A database with `rows` rows in a table of its own: the user's stages and
// records, as far as the folder is concerned.
void writeDatabase(const QString& path, int rows)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("CREATE TABLE mine (n INTEGER, text TEXT)")));
        for (int n = 0; n < rows; ++n)
            QVERIFY(query.exec(QStringLiteral("INSERT INTO mine VALUES (%1, '%2')").arg(n).arg(QString(200, 'x'))));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
}

} // namespace

// The folder an installed copy keeps its data in: made and filled from the
// shipped defaults, never overwritten, a damaged database kept aside.
class TestUserDataFolder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_shipped;

    QString userFolder() const { return m_dir.filePath(QStringLiteral("home/.local/share/Melvanta/")); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.path()));
        // What an installation ships, read-only as a package leaves it.
        m_shipped = m_dir.filePath(QStringLiteral("usr/share/melvanta/"));
        QVERIFY(QDir().mkpath(m_shipped));
        QVERIFY(DatabaseSchema::create(m_shipped + QLatin1String(kDatabaseFileName)));
        writeBytes(m_shipped + QStringLiteral("TimeData.db"), "[Marquee]\ncolckbigtext=0\n");
        writeBytes(m_shipped + QStringLiteral("help.html"), "<html></html>");
        writeBytes(m_shipped + QStringLiteral("sounds/alarm.wav"), "RIFF alarm");
        writeBytes(m_shipped + QStringLiteral("sounds/Stop.wav"), "RIFF stop");
        writeBytes(m_shipped + QStringLiteral("picture/1.jpg"), "JPEG");
        for (const QString& file : {QStringLiteral("DeskData.db"), QStringLiteral("TimeData.db"),
                                    QStringLiteral("sounds/alarm.wav"), QStringLiteral("picture/1.jpg")})
            QFile::setPermissions(m_shipped + file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }

    void folderChoice_data()
    {
        QTest::addColumn<bool>("named");         // MELVANTA_HOME set
        QTest::addColumn<bool>("profileBeside"); // "TimeData.db" beside the executable
        QTest::addColumn<bool>("shipped");       // "../share/melvanta" holds the defaults
        QTest::addColumn<bool>("perUserKnown");  // the system names a per-user data folder
        QTest::addColumn<QString>("expected");   // which folder is used
        addTestRow("named folder wins", true, false, true, true, QStringLiteral("named"));
        addTestRow("build folder copy", false, true, true, true, QStringLiteral("beside"));
        addTestRow("installed copy", false, false, true, true, QStringLiteral("perUser"));
        addTestRow("incomplete copy", false, false, false, true, QStringLiteral("beside"));
        addTestRow("no per-user folder known", false, false, true, false, QStringLiteral("beside"));
    }
    void folderChoice()
    {
        QFETCH(bool, named);
        QFETCH(bool, profileBeside);
        QFETCH(bool, shipped);
        QFETCH(bool, perUserKnown);
        QFETCH(QString, expected);
        const QString bin = m_dir.filePath(QStringLiteral("usr/bin/"));
        QVERIFY(QDir().mkpath(bin));
        if (profileBeside)
            writeBytes(bin + QStringLiteral("TimeData.db"), "");
        if (!shipped)
            QVERIFY(QFile::remove(m_shipped + QStringLiteral("help.html")));
        const QString namedHome = m_dir.filePath(QStringLiteral("event"));

        const FolderChoice choice =
            ProgramFolder::choose(named ? namedHome : QString(), bin, perUserKnown ? userFolder() : QString());
        const QMap<QString, QString> folders{{QStringLiteral("named"), namedHome + QLatin1Char('/')},
                                             {QStringLiteral("beside"), bin},
                                             {QStringLiteral("perUser"), userFolder()}};
        QCOMPARE(choice.folder, folders.value(expected));
        QCOMPARE(choice.perUser, expected == QLatin1String("perUser"));
        QCOMPARE(choice.shippedFolder, choice.perUser ? m_shipped : choice.folder);
    }

    // The first start fills what is missing; what the user already has, a
    // changed stage database, a profile or sounds of their own, stays as it is.
    void fillsOnlyWhatIsMissing_data()
    {
        QTest::addColumn<QStringList>("present");
        addTestRow("first start", QStringList());
        addTestRow("stages and profile of the user's", QStringList{"DeskData.db", "TimeData.db"});
        addTestRow("own sounds, picture deleted", QStringList{"DeskData.db", "TimeData.db", "sounds"});
        addTestRow("everything there", UserDataFolder::itemNames());
    }
    void fillsOnlyWhatIsMissing()
    {
        QFETCH(QStringList, present);
        const QString user = userFolder();
        if (present.contains(QStringLiteral("DeskData.db")))
            writeDatabase(user + QStringLiteral("DeskData.db"), 3);
        for (const QString& name :
             {QStringLiteral("TimeData.db"), QStringLiteral("sounds/mine.wav"), QStringLiteral("picture/mine.jpg")}) {
            if (present.contains(name.section(QLatin1Char('/'), 0, 0)))
                writeBytes(user + name, "the user's own " + name.toUtf8());
        }
        QMap<QString, QByteArray> before;
        for (const QString& name : {QStringLiteral("DeskData.db"), QStringLiteral("TimeData.db")})
            before[name] = contents(user + name);

        const FolderPreparation prepared = UserDataFolder(user, m_shipped).prepare();
        QVERIFY2(prepared.usable, qPrintable(prepared.message));
        QCOMPARE(prepared.message, QString());
        QStringList missing = UserDataFolder::itemNames();
        for (const QString& name : present)
            missing.removeAll(name);
        QCOMPARE(prepared.filled, missing);

        for (const QString& name : {QStringLiteral("DeskData.db"), QStringLiteral("TimeData.db")}) {
            const QByteArray expected = present.contains(name) ? before.value(name) : contents(m_shipped + name);
            QCOMPARE(contents(user + name), expected);
            // Copies of read-only shipped files are the user's to change.
            QVERIFY(QFileInfo(user + name).permissions() & QFile::WriteOwner);
        }
        const QStringList sounds = QDir(user + QStringLiteral("sounds")).entryList(QDir::Files, QDir::Name);
        const QStringList expectedSounds = present.contains(QStringLiteral("sounds"))
                                               ? QStringList{QStringLiteral("mine.wav")}
                                               : QStringList{QStringLiteral("Stop.wav"), QStringLiteral("alarm.wav")};
        QCOMPARE(sounds, expectedSounds);
        if (!present.contains(QStringLiteral("sounds")))
            QCOMPARE(contents(user + QStringLiteral("sounds/alarm.wav")), QByteArray("RIFF alarm"));
        // Nothing half-made is left behind.
        QCOMPARE(QDir(user).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 4);
    }

    // A place where no folder can be made: the start stops with a message
    // that names the folder.
    void folderThatCannotBeMadeIsNamed()
    {
        writeBytes(m_dir.filePath(QStringLiteral("home/.local")), "a file where the folder should be");
        const FolderPreparation prepared = UserDataFolder(userFolder(), m_shipped).prepare();
        QVERIFY(!prepared.usable);
        QVERIFY2(prepared.message.contains(QDir::toNativeSeparators(QDir::cleanPath(userFolder()))),
                 qPrintable(prepared.message));
        QVERIFY(prepared.filled.isEmpty());
    }

    // A damaged database or profile file is renamed with a time stamp, never
    // deleted, and the shipped one takes its place; a healthy database with
    // many pages is left alone.
    void damagedFilesAreKeptAside_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("damaged"); // the file set aside, if any
        addTestRow("database: not a database", QStringLiteral("garbage"), QStringLiteral("DeskData.db"));
        addTestRow("database: overwritten pages", QStringLiteral("scribbled"), QStringLiteral("DeskData.db"));
        addTestRow("database: healthy", QStringLiteral("healthy"), QString());
        addTestRow("profile: 3 MB of junk", QStringLiteral("oversized profile"), QStringLiteral("TimeData.db"));
    }
    void damagedFilesAreKeptAside()
    {
        QFETCH(QString, kind);
        QFETCH(QString, damaged);
        const QString user = userFolder();
        const QString database = user + QStringLiteral("DeskData.db");
        writeDatabase(database, 200);
        writeBytes(user + QStringLiteral("TimeData.db"), "[Mine]\nkept=yes\n");
        if (kind == QLatin1String("garbage")) {
            writeBytes(database, QByteArray(5000, 'z'));
        } else if (kind == QLatin1String("scribbled")) {
            QFile file(database);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(4096));
            file.write(QByteArray(8192, '\x5a'));
        } else if (kind == QLatin1String("oversized profile")) {
            writeBytes(user + QStringLiteral("TimeData.db"), QByteArray(3 * 1024 * 1024, 'j'));
        }
        QMap<QString, QByteArray> before;
        for (const QString& name : {QStringLiteral("DeskData.db"), QStringLiteral("TimeData.db")})
            before[name] = contents(user + name);
        const QDateTime now(QDate(2026, 12, 8), QTime(10, 15, 0));

        const FolderPreparation prepared = UserDataFolder(user, m_shipped).prepare(now);
        QVERIFY(prepared.usable);
        QCOMPARE(prepared.damagedAside,
                 damaged == QLatin1String("DeskData.db") ? database + ".damaged-20261208-101500" : QString());
        for (const QString& name : {QStringLiteral("DeskData.db"), QStringLiteral("TimeData.db")}) {
            const bool setAside = name == damaged;
            QCOMPARE(contents(user + name), setAside ? contents(m_shipped + name) : before.value(name));
            QCOMPARE(prepared.filled.contains(name), setAside);
            if (setAside)
                QCOMPARE(contents(user + name + ".damaged-20261208-101500"), before.value(name));
        }
        if (damaged.isEmpty()) {
            QCOMPARE(prepared.message, QString());
            return;
        }
        QVERIFY2(prepared.message.contains(QDir::toNativeSeparators(QDir::cleanPath(user))) &&
                     prepared.message.contains(damaged + QStringLiteral(".damaged-20261208-101500")),
                 qPrintable(prepared.message));
    }
};

QTEST_GUILESS_MAIN(TestUserDataFolder)
#include "tst_userdatafolder.moc"
