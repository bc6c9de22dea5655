#include "TestSupport.h"
#include "storage/StartupGate.h"
#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"

#include <QDir>
#include <QtTest>

using namespace melvanta;

class TestStartupGate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void versionRule_data()
    {
        QTest::addColumn<QString>("stored"); // null: no value at all
        QTest::addColumn<bool>("passes");
        QTest::addColumn<bool>("stageCleared");
        QTest::addColumn<QString>("visionAfter");
        QTest::newRow("first start") << QString() << true << true << "4";
        QTest::newRow("zero counts as old") << "0" << true << true << "4";
        QTest::newRow("older release") << "3.5" << true << true << "4";
        QTest::newRow("garbage counts as old") << "abc" << true << true << "4";
        QTest::newRow("same release") << "4" << true << false << "4";
        QTest::newRow("same release as decimal") << "4.0" << true << false << "4.0";
        QTest::newRow("newer release") << "5" << false << false << "5";
        QTest::newRow("newer minor release") << "4.1" << false << false << "4.1";
    }
    void versionRule()
    {
        QFETCH(QString, stored);
        QFETCH(bool, passes);
        QFETCH(bool, stageCleared);
        QFETCH(QString, visionAfter);
        TestSandbox sandbox;
        RegistryStore store;
        if (!stored.isNull())
            store.setText(QStringLiteral("vision"), stored);
        StageSettings custom = StageSettings::defaults();
        custom.firsttext = QStringLiteral("年度报告");
        SaveStageSettings(store, custom);

        const GateOutcome outcome = checkSettingsVersion(store);
        QCOMPARE(outcome.pass, passes);
        QCOMPARE(outcome.message, passes ? QString() : QStringLiteral("请使用最新版本"));
        QCOMPARE(store.text(QStringLiteral("vision")).value_or(QString()), visionAfter);
        QCOMPARE(store.contains(QStringLiteral("firsttext")), !stageCleared);
        QCOMPARE(LoadStageSettings(store).firsttext,
                 stageCleared ? StageSettings::defaults().firsttext : custom.firsttext);
    }

    // A profile file over 1 MB is set aside unread and the start stops; a
    // normal one passes untouched.
    void oversizedProfileIsSetAside_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("passes");
        QTest::newRow("1 MB") << qint64(1024 * 1024) << true;
        QTest::newRow("5 MB of junk") << qint64(5 * 1024 * 1024) << false;
    }
    void oversizedProfileIsSetAside()
    {
        QFETCH(qint64, size);
        QFETCH(bool, passes);
        TestSandbox sandbox;
        for (const char* name : {"DeskData.db", "help.html"})
            sandbox.writeFile(QLatin1String(name), "x");
        const QByteArray junk(size, 'j');
        const QString profile = sandbox.writeFile(QStringLiteral("TimeData.db"), junk);
        RegistryStore store;
        const GateOutcome outcome = runStartupGate(store, sandbox.programFolder());
        QCOMPARE(outcome.pass, passes);
        QCOMPARE(QFileInfo::exists(profile), passes);
        const QStringList aside = QDir(sandbox.programFolder()).entryList({QStringLiteral("TimeData.db.damaged-*")});
        QCOMPARE(aside.size(), passes ? 0 : 1);
        if (!passes) {
            QCOMPARE(outcome.message, QStringLiteral("保持程序完整，请重新安装"));
            QFile kept(sandbox.filePath(aside.first()));
            QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == junk); // nothing destroyed
        }
    }

    void dataFiles_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("missing");
        // An installed copy reads the help page from the shipped folder, not its own.
        QTest::addColumn<QStringList>("shipped"); // null: the program folder is the shipped folder
        const QStringList all{"DeskData.db", "help.html", "TimeData.db"};
        const QStringList own{"DeskData.db", "TimeData.db"};
        QTest::newRow("complete") << all << QStringList() << QStringList();
        QTest::newRow("no database") << QStringList{"help.html", "TimeData.db"} << QStringList{"DeskData.db"}
                                     << QStringList();
        QTest::newRow("no help page") << own << QStringList{"help.html"} << QStringList();
        QTest::newRow("no profile") << QStringList{"DeskData.db", "help.html"} << QStringList{"TimeData.db"}
                                    << QStringList();
        QTest::newRow("empty folder") << QStringList() << all << QStringList();
        QTest::newRow("installed: help page shipped") << own << QStringList() << QStringList{"help.html"};
        QTest::newRow("installed: help page only in the user's folder")
            << all << QStringList{"help.html"} << QStringList{"DeskData.db"};
    }
    void dataFiles()
    {
        QFETCH(QStringList, present);
        QFETCH(QStringList, missing);
        QFETCH(QStringList, shipped);
        TestSandbox sandbox;
        for (const QString& name : present)
            sandbox.writeFile(name, "x");
        const QString shippedFolder = shipped.isEmpty() ? QString() : sandbox.filePath(QStringLiteral("share"));
        for (const QString& name : shipped)
            sandbox.writeFile(QStringLiteral("share/") + name, "x");
        QCOMPARE(missingDataFiles(sandbox.programFolder(), shippedFolder), missing);

        RegistryStore store; // first start: no settings version yet
        const GateOutcome outcome = runStartupGate(store, sandbox.programFolder(), kProgramVersion, shippedFolder);
        QCOMPARE(outcome.pass, missing.isEmpty());
        QCOMPARE(outcome.message, missing.isEmpty() ? QString() : QStringLiteral("保持程序完整，请重新安装"));
        // The version is checked and recorded first, whatever files are missing.
        QCOMPARE(store.text(QStringLiteral("vision")).value_or(QString()), QStringLiteral("4"));
        store.setText(QStringLiteral("vision"), QStringLiteral("5"));
        QCOMPARE(runStartupGate(store, sandbox.programFolder()).message, QStringLiteral("请使用最新版本"));
    }
};

QTEST_GUILESS_MAIN(TestStartupGate)
#include "tst_startupgate.moc"
