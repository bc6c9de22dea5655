#include "TestSupport.h"
#include "display/MenuHost.h"
#include "storage/ProgramStores.h"

#include <QMenu>
#include <QtTest>

using namespace melvanta;

class TestMenuHost : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void menusHoldTheirItemsInOrder();
    void timingSourceFromClockmode_data();
    void timingSourceFromClockmode();
};

void TestMenuHost::menusHoldTheirItemsInOrder()
{
    // Captions in menu order: "-" for a separator, "*" after a check item.
    auto captions = [](const QWidget* menu) {
        QStringList list;
        for (const QAction* action : menu->actions())
            list << (action->isSeparator() ? QStringLiteral("-") : action->text() + (action->isCheckable() ? "*" : ""));
        return list.join(QLatin1Char(' '));
    };
    MenuHost host;
    QCOMPARE(captions(host.commandMenu()), QStringLiteral("开始 停止 暂停 复位 - 阶段选择 设置 允许调整* 背景设置 网络遥控… "
                                                          "按钮* 扩展屏显示* - 最小化 统计 帮助 在线帮助 退出"));
    QCOMPARE(captions(host.elementMenu()), QStringLiteral("设置字体 设置颜色 居中 隐藏 显示星期*"));

    // 阶段选择 stays hidden while there is no stage to choose, even when the run state offers it.
    host.applyCommandState(CommandState::forStatus(RunStatus::Idle));
    QVERIFY(!host.commandItem(MenuHost::StageSelection)->isVisible());
    host.setStageEntries({StageRow{1, QStringLiteral("一"), QString()}});
    QVERIFY(host.commandItem(MenuHost::StageSelection)->isVisible());

    // A run state swaps the caption's prefix and keeps what follows it.
    host.commandItem(MenuHost::Start)->setText(QStringLiteral("开始\tF5"));
    host.applyCommandState(CommandState::forStatus(RunStatus::Cleared));
    QCOMPARE(host.commandItem(MenuHost::Start)->text(), QStringLiteral("清零\tF5"));
    host.applyCommandState(CommandState::forStatus(RunStatus::Idle));
    QCOMPARE(host.commandItem(MenuHost::Start)->text(), QStringLiteral("开始\tF5"));
}

void TestMenuHost::timingSourceFromClockmode_data()
{
    QTest::addColumn<QString>("clockmode"); // empty: missing
    QTest::addColumn<int>("source");
    QTest::newRow("missing") << QString() << 0;
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("garbage") << "x" << 0;
    QTest::newRow("out of range") << "7" << 0;
    QTest::newRow("negative") << "-1" << 0;
    QTest::newRow("number with junk") << "2ab" << 2;
}

void TestMenuHost::timingSourceFromClockmode()
{
    QFETCH(QString, clockmode);
    QFETCH(int, source);
    TestSandbox sandbox;
    if (!clockmode.isEmpty())
        RegistryStore().setText(QStringLiteral("clockmode"), clockmode);
    ProgramStores stores(sandbox.programFolder());
    MenuHost host;
    host.load(stores, StageSettings::defaults());
    QCOMPARE(host.timingSource(), source);
}

QTEST_MAIN(TestMenuHost)
#include "tst_menuhost.moc"
