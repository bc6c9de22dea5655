#include "TestSupport.h"
#include "core/ProgramFolder.h"
#include "core/StartupGate.h"
#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"

#include <QFile>
#include <QtTest>

using namespace melvanta;

class TestStartupGate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void versionRule_data();
    void versionRule();
    void dataFiles_data();
    void dataFiles();
    void programFolderSeparator_data();
    void programFolderSeparator();
    void gateChecksVersionBeforeFiles();
};

void TestStartupGate::versionRule_data()
{
    QTest::addColumn<QString>("stored"); // "" = no value at all
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

void TestStartupGate::versionRule()
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
    if (stageCleared)
        QCOMPARE(LoadStageSettings(store).firsttext, StageSettings::defaults().firsttext);
}

void TestStartupGate::dataFiles_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("missing");
    const QStringList all{"DeskData.db", "help.html", "TimeData.db"};
    QTest::newRow("complete") << all << QStringList();
    QTest::newRow("no database") << QStringList{"help.html", "TimeData.db"} << QStringList{"DeskData.db"};
    QTest::newRow("no help page") << QStringList{"DeskData.db", "TimeData.db"} << QStringList{"help.html"};
    QTest::newRow("no profile") << QStringList{"DeskData.db", "help.html"} << QStringList{"TimeData.db"};
    QTest::newRow("empty folder") << QStringList() << all;
}

void TestStartupGate::dataFiles()
{
    QFETCH(QStringList, present);
    QFETCH(QStringList, missing);
    TestSandbox sandbox;
    for (const QString& name : present)
        sandbox.writeFile(name, "x");
    QCOMPARE(missingDataFiles(sandbox.programFolder()), missing);

    RegistryStore store;
    store.setText(QStringLiteral("vision"), QStringLiteral("4"));
    const GateOutcome outcome = runStartupGate(store, sandbox.programFolder());
    QCOMPARE(outcome.pass, missing.isEmpty());
    QCOMPARE(outcome.message, missing.isEmpty() ? QString() : QStringLiteral("保持程序完整，请重新安装"));
}

void TestStartupGate::programFolderSeparator_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("without separator") << "/opt/melvanta"
                                       << "/opt/melvanta/";
    QTest::newRow("with separator") << "/opt/melvanta/"
                                    << "/opt/melvanta/";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("windows drive root") << "C:\\"
                                        << "C:\\";
}

void TestStartupGate::programFolderSeparator()
{
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(ProgramFolder::withTrailingSeparator(folder), expected);

    // MELVANTA_HOME with or without the separator names the same files.
    TestSandbox sandbox;
    qputenv("MELVANTA_HOME", folder.toUtf8());
    QCOMPARE(ProgramFolder::file(QStringLiteral("TimeData.db")), QDir::fromNativeSeparators(expected) + "TimeData.db");
}

void TestStartupGate::gateChecksVersionBeforeFiles()
{
    // A newer settings version stops the start even in an incomplete folder,
    // and an incomplete folder does not keep the version from being recorded.
    TestSandbox sandbox;
    RegistryStore store;
    store.setText(QStringLiteral("vision"), QStringLiteral("5"));
    QCOMPARE(runStartupGate(store, sandbox.programFolder()).message, QStringLiteral("请使用最新版本"));

    store.remove(QStringLiteral("vision"));
    QCOMPARE(runStartupGate(store, sandbox.programFolder()).message, QStringLiteral("保持程序完整，请重新安装"));
    QCOMPARE(store.text(QStringLiteral("vision")).value_or(QString()), QStringLiteral("4"));
}

QTEST_GUILESS_MAIN(TestStartupGate)
#include "tst_startupgate.moc"
