#include "input/HotkeyControl.h"
#include "platform/GlobalHotkeys.h"

#include <QtTest>

using namespace melvanta;

// Setting the keys up where the session has no system-wide keys (Wayland):
// the captions still show them and the operator hears of it once.
class TestHotkeyControl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void withoutSystemWideKeys_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("reports");
        QTest::addRow("a key set") << "F9" << 1;
        QTest::addRow("no key set") << "无" << 0;
    }
    void withoutSystemWideKeys()
    {
        QFETCH(QString, start);
        QFETCH(int, reports);
        NullGlobalHotkeys keys;
        QStringList captions{QStringLiteral("开始"), QStringLiteral("停止"), QStringLiteral("继续        F7")};
        QStringList reported;
        HotkeyControl::Hooks hooks;
        hooks.profile = [start] {
            HotkeyProfile profile;
            profile.start = start;
            profile.pause = QStringLiteral("无");
            return profile;
        };
        hooks.caption = [&captions](int item) { return captions.at(item); };
        hooks.setCaption = [&captions](int item, const QString& caption) { captions[item] = caption; };
        hooks.stageCount = [] { return 3; };
        hooks.startEnabled = [] { return true; };
        hooks.act = [](const HotkeyAction&) { QFAIL("no key can be pressed"); };
        hooks.report = [&reported](const QString& message) { reported << message; };
        HotkeyControl control(keys, hooks);
        control.hotkey_del(); // before any set-up: nothing to release
        for (int i = 0; i < 3; ++i) {
            control.hotkey_del();
            control.Hotkey_set();
        }
        control.Hotkey_set(); // again without hotkey_del
        QCOMPARE(captions,
                 (QStringList{"开始        " + (start == "无" ? QString() : start), "停止        ", "继续        "}));
        QVERIFY(control.registeredIds().isEmpty());
        QCOMPARE(reported.size(), reports);
        if (reports)
            QCOMPARE(reported.first(), QStringLiteral("此桌面环境不支持全局热键，请用右键菜单或托盘图标执行命令"));
    }
};

QTEST_GUILESS_MAIN(TestHotkeyControl)
#include "tst_hotkeycontrol.moc"
