#include "DataRows.h"
#include "TestSupport.h"
#include "input/HotkeyText.h"
#include "storage/ProfileFile.h"

#include <QtTest>

using namespace melvanta;

namespace {

HotkeyProfile keys(const QString& start, const QString& stop, const QString& pause, bool startIsStop = false,
                   const QString& prefix = QString())
{
    HotkeyProfile profile;
    profile.start = start;
    profile.stop = stop;
    profile.pause = pause;
    profile.startIsStop = startIsStop;
    profile.stageKeysOn = !prefix.isEmpty();
    profile.stagePrefix = prefix;
    return profile;
}

QStringList described(const QList<HotkeyBinding>& bindings)
{
    QStringList rows;
    for (const HotkeyBinding& b : bindings)
        rows << QStringLiteral("%1:%2/%3").arg(b.id).arg(b.modifiers).arg(b.keyCode);
    return rows;
}

} // namespace

Q_DECLARE_METATYPE(HotkeyProfile)

class TestHotkeyText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Key texts as the profile holds them, hand-edited ones included.
    void keyTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<bool>("setUp");
        QTest::addRow("F5") << "F5" << 0 << 116 << true;
        QTest::addRow("Ctrl+Q") << "Ctrl+Q" << 2 << 81 << true;
        QTest::addRow("Ctrl+Alt+Num 3") << "Ctrl+Alt+Num 3" << 3 << 99 << true;
        QTest::addRow("Shift+Ctrl+Alt+Num 9") << "Shift+Ctrl+Alt+Num 9" << 7 << 105 << true;
        QTest::addRow("Shift+Alt+Enter") << "Shift+Alt+Enter" << 5 << 13 << true;
        QTest::addRow("Alt+Space") << "Alt+Space" << 1 << 32 << true;
        QTest::addRow("Shift+Ctrl+0") << "Shift+Ctrl+0" << 6 << 48 << true;
        // Modifiers in another order read as the same key.
        QTest::addRow("Alt+Ctrl+F5") << "Alt+Ctrl+F5" << 3 << 116 << true;
        QTest::addRow("Alt+Ctrl+Shift+Z") << "Alt+Ctrl+Shift+Z" << 7 << 90 << true;
        // No key, or one the tables do not know.
        QTest::addRow("无") << "无" << 0 << 0 << false;
        QTest::addRow("empty") << "" << 0 << 0 << false;
        QTest::addRow("Ctrl+") << "Ctrl+" << 2 << 0 << false;
        QTest::addRow("F13") << "F13" << 0 << 0 << false;
        QTest::addRow("F0") << "F0" << 0 << 0 << false;
        QTest::addRow("F05") << "F05" << 0 << 0 << false;
        QTest::addRow("lower case") << "ctrl+q" << 0 << 0 << false;
        QTest::addRow("Num 10") << "Num 10" << 0 << 0 << false;
        QTest::addRow("full-width digit") << "Num ３" << 0 << 0 << false;
        QTest::addRow("500 characters") << QString(499, QLatin1Char('+')) + "A" << 0 << 65 << false;
        QTest::addRow("invalid UTF-8") << QString::fromUtf8("Ctrl+\xff\xfe") << 2 << 0 << false;
        // A modifier part that cannot be read would leave the bare key.
        QTest::addRow("Win+Q") << "Win+Q" << 0 << 81 << false;
        QTest::addRow("Ctrl+Ctrl+Q") << "Ctrl+Ctrl+Q" << 0 << 81 << false;
        // A hand-edited bare letter is set up as written.
        QTest::addRow("Q") << "Q" << 0 << 81 << true;
    }
    void keyTexts()
    {
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(int, keyCode);
        QFETCH(bool, setUp);
        QCOMPARE(hotkeymodifiers(text), modifiers);
        QCOMPARE(hotkeykeycode(text), keyCode);
        QCOMPARE(hotkeyBindings(keys(text, QString(), QString()), 0).size(), setUp ? 1 : 0);
    }

    void keyNames_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<QString>("name");
        const QList<std::pair<int, const char*>> rows = {
            {13, "Enter"}, {32, "Space"}, {48, "0"}, {57, "9"}, {65, "A"}, {90, "Z"}, {96, "Num 0"}, {105, "Num 9"},
            {112, "F1"},   {123, "F12"},  {124, ""}, {47, ""},  {91, ""},  {0, ""},   {-5, ""},      {17, ""}};
        for (const auto& [code, name] : rows)
            QTest::addRow("%d", code) << code << QString::fromUtf8(name);
    }
    void keyNames()
    {
        QFETCH(int, keyCode);
        QFETCH(QString, name);
        QCOMPARE(keycodename(keyCode), name);
        if (!name.isEmpty())
            QCOMPARE(hotkeykeycode(name), keyCode);
    }

    void captureTexts_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<int>("shiftState");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refused");
        QTest::addRow("Shift+F3") << 114 << 1 << "F3" << false;
        QTest::addRow("Ctrl alone") << 0 << 2 << "Ctrl+" << false;
        QTest::addRow("Shift+Ctrl+Q") << 81 << 3 << "Shift+Ctrl+Q" << false;
        QTest::addRow("Alt+5") << 53 << 4 << "Alt+5" << false;
        QTest::addRow("Shift+Alt+Space") << 32 << 5 << "Shift+Alt+Space" << false;
        QTest::addRow("Ctrl+Alt+Num 1") << 97 << 6 << "Ctrl+Alt+Num 1" << false;
        QTest::addRow("all three") << 13 << 7 << "Shift+Ctrl+Alt+Enter" << false;
        QTest::addRow("Enter alone") << 13 << 0 << "Enter" << false;
        QTest::addRow("Q alone") << 81 << 0 << "Q" << true;
        QTest::addRow("Shift+5") << 53 << 1 << "5" << true;
        QTest::addRow("Num 7 alone") << 103 << 0 << "Num 7" << true;
    }
    void captureTexts()
    {
        QFETCH(int, keyCode);
        QFETCH(int, shiftState);
        QFETCH(QString, text);
        QFETCH(bool, refused);
        QCOMPARE(capturedKeyText(keyCode, shiftState), text);
        QCOMPARE(isBareTypingKey(keyCode, shiftState), refused);
    }

    void menuCaptions_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("keyText");
        QTest::addColumn<QString>("result");
        addTestRow("first set", QStringLiteral("开始"), QStringLiteral("F9"), QStringLiteral("开始        F9"));
        addTestRow("state kept, key replaced", QStringLiteral("清零        F9"), QStringLiteral("Ctrl+Q"),
                   QStringLiteral("清零        Ctrl+Q"));
        addTestRow("no key", QStringLiteral("暂停        F7"), QStringLiteral("无"), QStringLiteral("暂停        "));
        addTestRow("missing key", QStringLiteral("停止"), QString(), QStringLiteral("停止        "));
    }
    void menuCaptions()
    {
        QFETCH(QString, caption);
        QFETCH(QString, keyText);
        QFETCH(QString, result);
        QCOMPARE(hotkeyMenuCaption(caption, keyText), result);
    }

    void bindings_data()
    {
        QTest::addColumn<HotkeyProfile>("profile");
        QTest::addColumn<int>("stageCount");
        QTest::addColumn<QStringList>("registered");
        QTest::addRow("three keys") << keys("F9", "F10", "Ctrl+Alt+P") << 0
                                    << QStringList{"1:0/120", "2:0/121", "3:3/80"};
        QTest::addRow("start = stop") << keys("F9", "F9", "无", true) << 5 << QStringList{"1:0/120"};
        QTest::addRow("Ctrl, three stages") << keys("", "", "", false, "Ctrl+") << 3
                                            << QStringList{"4:2/49", "5:2/50", "6:2/51", "7:2/97", "8:2/98", "9:2/99"};
        QTest::addRow("no stages") << keys("", "", "", false, "Alt+") << 0 << QStringList();
        QStringList nine;
        for (int i = 1; i <= 9; ++i)
            nine << QStringLiteral("%1:1/%2").arg(3 + i).arg(48 + i);
        for (int i = 1; i <= 9; ++i)
            nine << QStringLiteral("%1:1/%2").arg(12 + i).arg(96 + i);
        QTest::addRow("twelve stages give nine") << keys("", "", "", false, "Alt+") << 12 << nine;
    }
    void bindings()
    {
        QFETCH(HotkeyProfile, profile);
        QFETCH(int, stageCount);
        QFETCH(QStringList, registered);
        QCOMPARE(described(hotkeyBindings(profile, stageCount)), registered);
    }

    void actions_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("startIsStop");
        QTest::addColumn<int>("stageCount");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("stage");
        QTest::addRow("start") << 1 << false << 0 << int(HotkeyAction::Start) << -1;
        QTest::addRow("start toggles") << 1 << true << 0 << int(HotkeyAction::StartOrStop) << -1;
        QTest::addRow("stop toggles") << 2 << true << 0 << int(HotkeyAction::StartOrStop) << -1;
        QTest::addRow("pause") << 3 << true << 0 << int(HotkeyAction::Pause) << -1;
        QTest::addRow("digit 1 of 3") << 4 << false << 3 << int(HotkeyAction::ChooseStage) << 0;
        QTest::addRow("Num 2 of 3") << 8 << false << 3 << int(HotkeyAction::ChooseStage) << 1;
        QTest::addRow("beyond 2n+3") << 10 << false << 3 << int(HotkeyAction::None) << -1;
        QTest::addRow("Num 9 of 12") << 21 << false << 12 << int(HotkeyAction::ChooseStage) << 8;
        QTest::addRow("stages gone") << 4 << false << 0 << int(HotkeyAction::None) << -1;
        QTest::addRow("id 0") << 0 << false << 3 << int(HotkeyAction::None) << -1;
    }
    void actions()
    {
        QFETCH(int, id);
        QFETCH(bool, startIsStop);
        QFETCH(int, stageCount);
        QFETCH(int, kind);
        QFETCH(int, stage);
        const HotkeyAction action = hotkeyAction(id, startIsStop, stageCount);
        QCOMPARE(int(action.kind), kind);
        QCOMPARE(action.stageIndex, stage);
    }

    void takenMessages_data()
    {
        QTest::addColumn<QList<int>>("takenIds");
        QTest::addColumn<QString>("message");
        const QString command = QStringLiteral("被其它程序占有\n\n请更改热键或关闭其他程序以便设置\n\n"
                                               "也可右键单击桌面，执行菜单相应命令");
        const QString stage = QStringLiteral("被其它程序占有\n\n请更改热键\n\n或右键单击调用");
        const QString pauseLine = QStringLiteral("\n\n要使用热键请重新设置(设置→系统热键)");
        QTest::addRow("start") << QList<int>{1} << "热键F9" + command;
        QTest::addRow("pause") << QList<int>{3} << "热键Ctrl+Alt+P" + command + pauseLine;
        QTest::addRow("start and stop") << QList<int>{1, 2} << "热键F9、F10" + command;
        QTest::addRow("a stage digit and its Num key") << QList<int>{5, 7} << "热键Ctrl+2" + stage;
        QTest::addRow("both kinds") << QList<int>{2, 4} << "热键F10" + command + "\n\n热键Ctrl+1" + stage;
        QTest::addRow("none") << QList<int>{} << "";
    }
    void takenMessages()
    {
        QFETCH(QList<int>, takenIds);
        QFETCH(QString, message);
        QList<HotkeyBinding> taken;
        for (const HotkeyBinding& binding : hotkeyBindings(keys("F9", "F10", "Ctrl+Alt+P", false, "Ctrl+"), 2))
            if (takenIds.contains(binding.id))
                taken << binding;
        QCOMPARE(takenHotkeysMessage(taken), message);
    }

    // The profile's section as written by hand, or missing altogether.
    void profileSection_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("startIsStop");
        QTest::addColumn<QString>("prefix");
        QTest::addRow("no file") << QByteArray() << false << "" << false << "";
        QTest::addRow("no section") << QByteArray("[Marquee]\nMode=2\n") << true << "" << false << "";
        QTest::addRow("set") << QByteArray("[Hotkey]\nstart= F9 \nopentogetherstop=1\noften=11\n") << true << "F9"
                             << true << "Ctrl+Alt+";
        QTest::addRow("garbage") << QByteArray("[Hotkey]\nopentogetherstop=x\noften=2\n") << true << "" << false << "";
        QTest::addRow("Alt only") << QByteArray("[Hotkey]\nopentogetherstop=7\noften=01\n") << true << "" << true
                                  << "Alt+";
    }
    void profileSection()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, exists);
        QFETCH(QString, start);
        QFETCH(bool, startIsStop);
        QFETCH(QString, prefix);
        TestSandbox sandbox;
        const QString path = exists ? sandbox.writeFile(QStringLiteral("TimeData.db"), file)
                                    : sandbox.filePath(QStringLiteral("TimeData.db"));
        const HotkeyProfile profile = readHotkeyProfile(ProfileFile(path), exists);
        QCOMPARE(profile.start, start);
        QCOMPARE(profile.startIsStop, startIsStop);
        QCOMPARE(profile.stagePrefix, prefix);
        QCOMPARE(profile.stageKeysOn, !prefix.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHotkeyText)
#include "tst_hotkeytext.moc"
