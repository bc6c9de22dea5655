#include "TestSupport.h"
#include "display/MenuHost.h"
#include "storage/RegistryStore.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

using namespace melvanta;

namespace {

QStringList captions(const QMenu* menu)
{
    QStringList list;
    for (const QAction* action : menu->actions())
        list << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return list;
}

QList<int> checkableItems(const QMenu* menu)
{
    QList<int> list;
    const QList<QAction*> actions = menu->actions();
    for (int i = 0; i < actions.size(); ++i) {
        if (actions.at(i)->isCheckable())
            list << i;
    }
    return list;
}

} // namespace

class TestMenuHost : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void menusHoldTheirItemsInOrder();
    void itemsReadTheirCaptionsToScreenReaders();
    void choosingAnItemReportsItsIndex_data();
    void choosingAnItemReportsItsIndex();
    void stageSelectionNeedsEntries();
    void commandStateOfEachRunStatus_data();
    void commandStateOfEachRunStatus();
    void captionKeepsTextAfterItsPrefix();
    void timingSourceFromClockmode_data();
    void timingSourceFromClockmode();
    void weekdayCheckFollowsTheStage_data();
    void weekdayCheckFollowsTheStage();
    void minimiseCaptionFollowsTheWindow();
};

void TestMenuHost::menusHoldTheirItemsInOrder()
{
    MenuHost host;
    QCOMPARE(host.objectName(), QStringLiteral("Frm_black"));
    QCOMPARE(host.commandMenu()->objectName(), QStringLiteral("desktopclock"));
    QCOMPARE(host.commandMenu()->title(), QStringLiteral("全屏时钟"));
    const QStringList commands{"开始",   "停止",     "暂停",     "复位",     "-",          "阶段选择",
                               "设置",   "允许调整", "背景设置", "按钮",     "扩展屏显示", "-",
                               "最小化", "统计",     "帮助",     "在线帮助", "退出"};
    QCOMPARE(captions(host.commandMenu()), commands);
    QCOMPARE(checkableItems(host.commandMenu()), (QList<int>{7, 9, 10}));
    QCOMPARE(host.commandItem(MenuHost::StageSelection)->menu(), host.stageMenu());
    QCOMPARE(host.stageMenu()->objectName(), QStringLiteral("menu_often"));

    QCOMPARE(host.elementMenu()->objectName(), QStringLiteral("clocksetMenu"));
    QCOMPARE(host.elementMenu()->title(), QStringLiteral("运行设置"));
    QCOMPARE(captions(host.elementMenu()), (QStringList{"设置字体", "设置颜色", "居中", "隐藏", "显示星期"}));
    QCOMPARE(checkableItems(host.elementMenu()), QList<int>{4});
    QVERIFY(!host.isVisible());
}

void TestMenuHost::itemsReadTheirCaptionsToScreenReaders()
{
    MenuHost host;
    host.applyCommandState(CommandState::forStatus(RunStatus::Paused));
    for (QMenu* menu : {host.commandMenu(), host.elementMenu()}) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(menu);
        QVERIFY(accessible);
        const QList<QAction*> actions = menu->actions();
        QCOMPARE(accessible->childCount(), actions.size());
        for (int i = 0; i < actions.size(); ++i) {
            if (!actions.at(i)->isSeparator())
                QCOMPARE(accessible->child(i)->text(QAccessible::Name), actions.at(i)->text());
        }
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(host.commandMenu())->child(2)->text(QAccessible::Name),
             QStringLiteral("继续"));
}

void TestMenuHost::choosingAnItemReportsItsIndex_data()
{
    QTest::addColumn<bool>("elementMenu");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("checkedAfter");
    QTest::newRow("开始") << false << 0 << false;
    QTest::newRow("允许调整 toggles on") << false << 7 << true;
    QTest::newRow("扩展屏显示 toggles on") << false << 10 << true;
    QTest::newRow("退出") << false << 16 << false;
    QTest::newRow("设置字体") << true << 0 << false;
    QTest::newRow("显示星期 toggles on") << true << 4 << true;
}

void TestMenuHost::choosingAnItemReportsItsIndex()
{
    QFETCH(bool, elementMenu);
    QFETCH(int, index);
    QFETCH(bool, checkedAfter);
    MenuHost host;
    QSignalSpy commands(&host, &MenuHost::commandChosen);
    QSignalSpy elements(&host, &MenuHost::elementCommandChosen);
    QAction* item = elementMenu ? host.elementItem(index) : host.commandItem(index);
    item->trigger();
    QSignalSpy& fired = elementMenu ? elements : commands;
    QSignalSpy& silent = elementMenu ? commands : elements;
    QCOMPARE(fired.count(), 1);
    QCOMPARE(fired.at(0).at(0).toInt(), index);
    QCOMPARE(silent.count(), 0);
    QCOMPARE(item->isChecked(), checkedAfter);
}

void TestMenuHost::stageSelectionNeedsEntries()
{
    MenuHost host;
    QAction* selection = host.commandItem(MenuHost::StageSelection);
    QVERIFY(!selection->isVisible());

    host.setStageEntries({"开幕致辞", "O'Brien 报告", "总结"}, 1);
    QVERIFY(selection->isVisible());
    QCOMPARE(host.stageEntries(), (QStringList{"开幕致辞", "O'Brien 报告", "总结"}));
    QList<QAction*> entries = host.stageMenu()->actions();
    QVERIFY(entries.at(1)->isChecked());

    QSignalSpy chosen(&host, &MenuHost::stageChosen);
    entries.at(2)->trigger();
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toInt(), 2);
    QVERIFY(!entries.at(1)->isChecked());
    QVERIFY(entries.at(2)->isChecked());

    // A run state that shows the selection cannot show an empty one.
    host.setStageEntries({});
    host.applyCommandState(CommandState::forStatus(RunStatus::Idle));
    QVERIFY(!selection->isVisible());
    host.setStageEntries({"一"});
    QVERIFY(selection->isVisible());
    CommandState hidden = CommandState::forStatus(RunStatus::Running);
    hidden.stageSelectionShown = false;
    host.applyCommandState(hidden);
    QVERIFY(!selection->isVisible());
    host.setStageEntries({"一", "二"});
    QVERIFY(!selection->isVisible());
}

void TestMenuHost::commandStateOfEachRunStatus_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("pause");
    // Enabled: 开始 停止 暂停 复位 设置 允许调整 按钮 最小化 退出
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<bool>("lowerItemsShown");

    QTest::newRow("idle") << int(RunStatus::Idle) << "开始"
                          << "暂停"
                          << "100011111" << true;
    QTest::newRow("running") << int(RunStatus::Running) << "开始"
                             << "暂停"
                             << "011101110" << false;
    QTest::newRow("paused") << int(RunStatus::Paused) << "开始"
                            << "继续"
                            << "011101110" << false;
    QTest::newRow("cleared") << int(RunStatus::Cleared) << "清零"
                             << "暂停"
                             << "100011111" << true;
}

void TestMenuHost::commandStateOfEachRunStatus()
{
    QFETCH(int, status);
    QFETCH(QString, first);
    QFETCH(QString, pause);
    QFETCH(QString, enabled);
    QFETCH(bool, lowerItemsShown);
    MenuHost host;
    // Start from the opposite state so that every property has to change.
    host.applyCommandState(
        CommandState::forStatus(status == int(RunStatus::Running) ? RunStatus::Cleared : RunStatus::Paused));
    host.applyCommandState(CommandState::forStatus(static_cast<RunStatus>(status)));

    QCOMPARE(host.commandItem(MenuHost::Start)->text(), first);
    QCOMPARE(host.commandItem(MenuHost::Pause)->text(), pause);
    const QList<int> items{MenuHost::Start,   MenuHost::Stop,     MenuHost::Pause,
                           MenuHost::Reset,   MenuHost::Settings, MenuHost::AllowAdjusting,
                           MenuHost::Buttons, MenuHost::Minimise, MenuHost::Exit};
    QString actual;
    for (int item : items)
        actual += host.commandItem(item)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(actual, enabled);
    for (int item = MenuHost::Statistics; item <= MenuHost::Exit; ++item)
        QCOMPARE(host.commandItem(item)->isVisible(), lowerItemsShown);
    // Items the run state does not own stay as they are.
    QVERIFY(host.commandItem(MenuHost::BackgroundSettings)->isVisible());
    QVERIFY(host.commandItem(MenuHost::BackgroundSettings)->isEnabled());
    QVERIFY(host.commandItem(MenuHost::ExtendedScreen)->isEnabled());
}

void TestMenuHost::captionKeepsTextAfterItsPrefix()
{
    MenuHost host;
    host.commandItem(MenuHost::Start)->setText(QStringLiteral("开始\tF5"));
    host.commandItem(MenuHost::Pause)->setText(QStringLiteral("暂停（空格）"));
    host.applyCommandState(CommandState::forStatus(RunStatus::Cleared));
    QCOMPARE(host.commandItem(MenuHost::Start)->text(), QStringLiteral("清零\tF5"));
    host.applyCommandState(CommandState::forStatus(RunStatus::Paused));
    QCOMPARE(host.commandItem(MenuHost::Start)->text(), QStringLiteral("开始\tF5"));
    QCOMPARE(host.commandItem(MenuHost::Pause)->text(), QStringLiteral("继续（空格）"));
}

void TestMenuHost::timingSourceFromClockmode_data()
{
    QTest::addColumn<QString>("clockmode"); // empty: missing
    QTest::addColumn<int>("source");
    QTest::newRow("missing") << QString() << 0;
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("2") << "2" << 2;
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
    MenuHost host;
    host.load(StageSettings::defaults());
    QCOMPARE(host.timingSource(), source);
}

void TestMenuHost::weekdayCheckFollowsTheStage_data()
{
    QTest::addColumn<QString>("checkthree");
    QTest::addColumn<bool>("checked");
    QTest::newRow("on") << "010000" << true;
    QTest::newRow("off") << "101111" << false;
    QTest::newRow("too short") << "0" << false;
}

void TestMenuHost::weekdayCheckFollowsTheStage()
{
    QFETCH(QString, checkthree);
    QFETCH(bool, checked);
    TestSandbox sandbox;
    StageSettings stage = StageSettings::defaults();
    stage.checkthree = checkthree;
    MenuHost host;
    host.elementItem(MenuHost::ShowWeekday)->setChecked(!checked);
    host.load(stage);
    QCOMPARE(host.elementItem(MenuHost::ShowWeekday)->isChecked(), checked);
}

void TestMenuHost::minimiseCaptionFollowsTheWindow()
{
    MenuHost host;
    host.setWindowMinimised(true);
    QCOMPARE(host.commandItem(MenuHost::Minimise)->text(), QStringLiteral("最大化"));
    host.setWindowMinimised(false);
    QCOMPARE(host.commandItem(MenuHost::Minimise)->text(), QStringLiteral("最小化"));
}

QTEST_MAIN(TestMenuHost)
#include "tst_menuhost.moc"
