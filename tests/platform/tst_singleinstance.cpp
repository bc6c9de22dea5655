#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace melvanta;

// What a start finds at the lock path of its program folder, and what it
// makes of it. A live copy serving the folder is a process of its own and is
// tried by the start-up tests.
class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lockFoundAtStart_data();
    void lockFoundAtStart();
};

namespace {

QByteArray lockContent(qint64 pid, const QString& folder)
{
    return QByteArray::number(pid) + '\n' + folder.toUtf8() + '\n';
}

} // namespace

void TestSingleInstance::lockFoundAtStart_data()
{
    // In `found`, PID stands for a live process that is not a copy of the
    // program, DEAD for a process id nobody has, FOLDER for this folder.
    QTest::addColumn<QByteArray>("found"); // "none", "directory" or the lock file's content
    QTest::addColumn<bool>("guarded");
    QTest::newRow("no lock") << QByteArray("none") << true;
    QTest::newRow("empty lock file") << QByteArray() << true;
    QTest::newRow("garbage") << QByteArray("\xff\xfe junk\n\n\n") << true;
    QTest::newRow("copy of this folder that crashed") << QByteArray("DEAD\nFOLDER\n") << true;
    QTest::newRow("live process of another folder") << QByteArray("PID\n/srv/other-room\n") << true;
    QTest::newRow("reused process id, this folder") << QByteArray("PID\nFOLDER\n") << true;
    QTest::newRow("lock of an older version") << QByteArray("PID\nmelvanta\nhost\n") << true;
    QTest::newRow("directory at the lock path") << QByteArray("directory") << false;
}

void TestSingleInstance::lockFoundAtStart()
{
    QFETCH(QByteArray, found);
    QFETCH(bool, guarded);
    QTemporaryDir programFolder;
    const QString folder = QDir::cleanPath(programFolder.path());
    QProcess live; // a process that is alive and is not the program
    live.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(live.waitForStarted());
    QProcess gone;
    gone.start(QStringLiteral("true"));
    QVERIFY(gone.waitForFinished());

    auto instance = std::make_unique<SingleInstance>(programFolder.path());
    const QString lock = instance->lockPath();
    QVERIFY(!QFileInfo::exists(lock));
    if (found == "directory") {
        QVERIFY(QDir().mkpath(lock));
    } else if (found != "none") {
        found.replace("DEAD", QByteArray::number(gone.processId()));
        found.replace("PID", QByteArray::number(live.processId()));
        found.replace("FOLDER", folder.toUtf8());
        QFile file(lock);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(found) == found.size());
    }

    const SingleInstance::Claim claim = instance->claim();
    if (guarded) {
        QCOMPARE(claim, SingleInstance::Claim::Owner);
        QVERIFY(instance->problem().isEmpty());
        QFile file(lock);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), lockContent(QCoreApplication::applicationPid(), folder));
        file.close();
        instance.reset();
        QVERIFY2(!QFileInfo::exists(lock), "a normal end removes the lock");
    } else {
        QCOMPARE(claim, SingleInstance::Claim::Unguarded);
        QVERIFY2(instance->problem().contains(lock), qPrintable(instance->problem()));
        instance.reset();
        QVERIFY2(QFileInfo(lock).isDir() && QDir().rmdir(lock), "what was not ours stays");
    }
    live.kill();
    live.waitForFinished();
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
