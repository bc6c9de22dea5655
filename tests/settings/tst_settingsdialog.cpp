#include "DataRows.h"
#include "TestSupport.h"
#include "settings/AlertsPage.h"
#include "settings/NumberBox.h"
#include "settings/SettingsDialog.h"
#include "settings/SystemPage.h"
#include "settings/TimingPage.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"
#include "support/MessageBox.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <memory>

using namespace melvanta;

// The settings dialog's controls as the operator uses them: keys typed into
// the real boxes, the spin buttons, the dependent controls and apply.
class TestSettingsDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void filledFromStageAndProfile();
    void boxRules_data();
    void boxRules();
    void monthChangeClampsTheDay();
    void pastedText_data();
    void pastedText();
    void spinButtonsCountUp();
    void longTermForcesCountdownThatStops();
    void overtimeActions_data();
    void overtimeActions();
    void systemTimeMode();
    void simpleModeFixesHiddenSwitches();
    void enterNeverApplies();
    void applyHandsOverTheEntries();
    void fillingRunsNoRule();
    void damagedStageOpensWithDefaults();

private:
    SettingsDialog& open(const StageSettings& stage);
    template <typename T> T* control(const char* name);
    // The texts of line edits, and of check boxes "1" for checked, "0" for
    // not, in the order named.
    QStringList texts(std::initializer_list<const char*> names);
    QString ticks(std::initializer_list<const char*> names);

    std::unique_ptr<TestSandbox> m_sandbox;
    std::unique_ptr<SettingsDialog> m_dialog;
    QList<SettingsEntries> m_applied;
    bool m_accept = true;
};

namespace {

StageSettings stageOf(const QTime& total, const QString& combolist, const QString& checkone = "0110000")
{
    StageSettings stage = StageSettings::defaults(QDate(2026, 12, 7));
    stage.Time_all = total;
    stage.Time_one = QTime(0, 1, 0);
    stage.Time_two = QTime(0, 0, 30);
    stage.combolist = combolist;
    stage.checkone = checkone;
    return stage;
}

// Shown on its page, whichever page is in front.
bool shown(QWidget* w)
{
    return !w->isHidden();
}

void leave(QWidget* box)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
}

} // namespace

void TestSettingsDialog::init()
{
    MessageBox::setTestHook(true);
    MessageBox::takeRecordedBoxes();
    m_sandbox = std::make_unique<TestSandbox>();
    m_sandbox->installDataFiles();
    m_applied.clear();
    m_accept = true;
}

void TestSettingsDialog::cleanup()
{
    m_dialog.reset();
    m_sandbox.reset();
}

SettingsDialog& TestSettingsDialog::open(const StageSettings& stage)
{
    ProfileFile profile(m_sandbox->filePath(QStringLiteral("TimeData.db")));
    RegistryStore registry;
    const SettingsEntries entries = fillEntries(stage, profile, registry);
    SettingsDialog::Hooks hooks;
    hooks.apply = [this](const SettingsEntries& e) {
        m_applied << e;
        return m_accept;
    };
    m_dialog = std::make_unique<SettingsDialog>(entries, hooks);
    m_dialog->show();
    return *m_dialog;
}

template <typename T> T* TestSettingsDialog::control(const char* name)
{
    T* found = m_dialog->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QStringList TestSettingsDialog::texts(std::initializer_list<const char*> names)
{
    QStringList result;
    for (const char* name : names)
        result << control<QLineEdit>(name)->text();
    return result;
}

QString TestSettingsDialog::ticks(std::initializer_list<const char*> names)
{
    QString result;
    for (const char* name : names)
        result += control<QCheckBox>(name)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    return result;
}

void TestSettingsDialog::filledFromStageAndProfile()
{
    {
        ProfileFile profile(m_sandbox->filePath(QStringLiteral("TimeData.db")));
        profile.write(QStringLiteral("Hotkey"), QStringLiteral("start"), QStringLiteral("F9"));
        profile.deletePart(QStringLiteral("Hotkey"), QStringLiteral("stop"));
        profile.write(QStringLiteral("Hotkey"), QStringLiteral("often"), QStringLiteral("01"));
        profile.write(QStringLiteral("Marquee"), QStringLiteral("Mode"), QStringLiteral("2"));
    }
    StageSettings stage = stageOf(QTime(1, 2, 3), QStringLiteral("210"));
    stage.Time_five = QTime(0, 4, 5);
    stage.textone = QStringLiteral("还剩一分钟");
    stage.tixingtime = 7;
    open(stage);

    QStringList tabs;
    for (int i = 0; i < m_dialog->tabs()->count(); ++i)
        tabs << m_dialog->tabs()->tabText(i);
    QCOMPARE(tabs, (QStringList{"计时", "提醒", "界面", "系统", "精准设置"}));
    QCOMPARE(texts({"Text1_1", "Text1_2", "Text1_3", "Text1_4", "Text1_5", "Text1_6", "Text1_7", "Text1_12", "Text1_13",
                    "Text4_4", "Text2_1", "Text4_0", "Text4_1"}),
             (QStringList{"1", "2", "3", "1", "0", "0", "30", "4", "5", "7", "还剩一分钟", "F9", "无"}));
    QStringList names;
    for (const char* name : {"Text1_1", "Text1_11", "Text7_2", "Text4_9"})
        names << control<QLineEdit>(name)->accessibleName();
    QCOMPARE(names, (QStringList{"总时长 时", "读秒 秒", "到期日期 日", "延时(秒)"}));
    QCOMPARE(ticks({"Check1_1", "Check1_3", "Check9_0", "Check9_1"}), QStringLiteral("1001"));
    QCOMPARE(control<QComboBox>("Combo1")->count(), 3);
    QCOMPARE(control<QComboBox>("Combo1")->currentText(), QStringLiteral("时:分:秒"));
    QCOMPARE(control<QComboBox>("Combo2")->currentText(), QStringLiteral("正计时"));
    QCOMPARE(control<QComboBox>("Combo3")->currentText(), QStringLiteral("超时计时"));
    QCOMPARE(control<QComboBox>("Combo4")->currentText(), QStringLiteral("不滚动"));
    auto* preview = control<QComboBox>("Combo8");
    QStringList phases;
    for (int i = 0; i < preview->count(); ++i)
        phases << preview->itemText(i);
    QCOMPARE(phases, QStringList({"开始", "报警1", "报警2", "报警3", "读秒", "超时", "结束"}));
    QVERIFY(!control<QPushButton>("Command1")->autoDefault());
    QVERIFY(!control<QPushButton>("Command3")->autoDefault());
}

namespace {

// One case of a numeric box: what is typed into it, whether it is left
// afterwards, the text it then holds and the message shown (none when empty).
void boxRow(const char* name, const char* box, const QString& typed, bool leaving, const QString& expected,
            const char* message = "")
{
    QTest::newRow(name) << QString::fromLatin1(box) << typed << leaving << expected << QString::fromUtf8(message);
}

} // namespace

void TestSettingsDialog::boxRules_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("leaving");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("message");
    const QString year = QString::number(QDate::currentDate().year());
    boxRow("hours 24", "Text1_1", "24", false, "0", "取值范围0-23之间");
    boxRow("hours left empty", "Text1_1", "", true, "");
    boxRow("seconds 60", "Text1_3", "60", false, "0", "取值范围0-59之间");
    boxRow("letters dropped", "Text1_2", "1x-5", false, "15");
    boxRow("leading zero", "Text1_5", "07", false, "7");
    boxRow("alert duration 31", "Text4_4", "31", false, "3", "取值范围0-30秒之间");
    boxRow("alert duration 0 left", "Text4_4", "0", true, "3", "取值范围1-30之间");
    boxRow("logo width 991", "Text4_7", "991", false, "100", "取值范围1-990之间");
    boxRow("delay 31", "Text4_9", "31", false, "1", "取值范围1-30之间");
    boxRow("month 13", "Text7_1", "13", false, "12");
    boxRow("year 3000", "Text7_0", "3000", false, year, "取值范围2000-2999之间");
    boxRow("year empty left", "Text7_0", "", true, year, "年份取值范围2000-2999之间");
}

void TestSettingsDialog::boxRules()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(bool, leaving);
    QFETCH(QString, expected);
    QFETCH(QString, message);
    open(stageOf(QTime(0, 5, 0), QStringLiteral("101"), QStringLiteral("0000001")));
    auto* edit = control<QLineEdit>(qPrintable(box));
    edit->clear();
    MessageBox::takeRecordedBoxes();
    QTest::keyClicks(edit, typed);
    if (leaving) {
        QCOMPARE(MessageBox::takeRecordedBoxes().size(), 0);
        leave(edit);
    }
    QCOMPARE(edit->text(), expected);
    const QList<MessageBox::Recorded> boxes = MessageBox::takeRecordedBoxes();
    if (message.isEmpty()) {
        QVERIFY(boxes.isEmpty());
        return;
    }
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, message);
    QCOMPARE(boxes[0].milliseconds, 1000);
    // The year's messages carry the program's name, the others the program's title.
    QCOMPARE(boxes[0].title,
             box == QLatin1String("Text7_0") ? QStringLiteral("tst_settingsdialog") : QStringLiteral("Melvanta"));
    QCOMPARE(edit->cursorPosition(), int(expected.size()));
}

void TestSettingsDialog::monthChangeClampsTheDay()
{
    open(stageOf(QTime(0, 5, 0), QStringLiteral("101"), QStringLiteral("0000001")));
    auto* year = control<QLineEdit>("Text7_0");
    auto* month = control<QLineEdit>("Text7_1");
    auto* day = control<QLineEdit>("Text7_2");
    year->clear();
    QTest::keyClicks(year, "2028");
    month->clear();
    QTest::keyClicks(month, "1");
    day->clear();
    QTest::keyClicks(day, "31");
    QCOMPARE(day->text(), QStringLiteral("31"));
    month->clear();
    QTest::keyClicks(month, "2");
    QCOMPARE(day->text(), QStringLiteral("29"));
    QVERIFY(MessageBox::takeRecordedMessages().isEmpty());
}

void TestSettingsDialog::pastedText_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("message");
    addTestRow("12a", "12a", "12", "");
    addTestRow("5000 digits", QString(5000, QLatin1Char('5')), "0", "取值范围0-59之间");
    addTestRow("no digits", "abc", "", "");
}

void TestSettingsDialog::pastedText()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, expected);
    QFETCH(QString, message);
    open(stageOf(QTime(0, 5, 0), QStringLiteral("101")));
    auto* minutes = control<QLineEdit>("Text1_2");
    minutes->clear();
    QApplication::clipboard()->setText(clipboard);
    QTest::keyClick(minutes, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(minutes->text(), expected);
    QCOMPARE(MessageBox::takeRecordedMessages(), message.isEmpty() ? QStringList() : QStringList{message});
}

void TestSettingsDialog::spinButtonsCountUp()
{
    open(stageOf(QTime(0, 5, 0), QStringLiteral("101")));
    auto* minutes = control<QLineEdit>("Text1_2");
    auto* spin = control<QScrollBar>("VScrol1_2");
    QCOMPARE(spin->value(), 59 - 5);
    // The up arrow at the top of the bar counts up, the bottom one down.
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, 3));
    QCOMPARE(minutes->text(), QStringLiteral("6"));
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, spin->height() - 3));
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, spin->height() - 3));
    QCOMPARE(minutes->text(), QStringLiteral("4"));
    // A typed value moves the bar with it.
    minutes->clear();
    QTest::keyClicks(minutes, "42");
    QCOMPARE(spin->value(), 59 - 42);
}

void TestSettingsDialog::longTermForcesCountdownThatStops()
{
    open(stageOf(QTime(0, 5, 0), QStringLiteral("210"), QStringLiteral("1110010")));
    auto* longTerm = control<QCheckBox>("Check1_6");
    auto* mode = control<QComboBox>("Combo2");
    auto* action = control<QComboBox>("Combo3");
    QVERIFY(shown(control<QLineEdit>("Text1_12")));
    QVERIFY(!shown(control<QWidget>("Picture8")));

    longTerm->click();
    QCOMPARE(control<QLabel>("Label1_0")->text(), QStringLiteral("启用  到期时间"));
    QVERIFY(shown(control<QWidget>("Picture8")));
    QCOMPARE(mode->currentIndex(), 0);
    QCOMPARE(action->currentIndex(), 1);
    QVERIFY(!mode->isEnabled() && !action->isEnabled());
    QCOMPARE(control<QComboBox>("Combo1")->count(), 6);
    QCOMPARE(control<QComboBox>("Combo1")->currentText(), QStringLiteral("d天"));
    QVERIFY(!shown(control<QLineEdit>("Text1_12")) && !shown(control<QCheckBox>("Check1_5")));
    QCOMPARE(ticks({"Check1_0", "Check1_1", "Check1_2", "Check1_5", "Check4_1"}), QStringLiteral("00001"));
    for (const char* name : {"Check1_0", "Check1_1", "Check1_2", "Check1_5"})
        QVERIFY2(!control<QCheckBox>(name)->isEnabled(), name);

    // The combo digits changed at once: unticking comes back to a countdown
    // that stops, not to the count-up the stage was filled with.
    longTerm->click();
    QCOMPARE(control<QLabel>("Label1_0")->text(), QStringLiteral("启用    总时长"));
    QCOMPARE(mode->currentIndex(), 0);
    QCOMPARE(action->currentIndex(), 1);
    QVERIFY(mode->isEnabled() && action->isEnabled());
    QCOMPARE(control<QComboBox>("Combo1")->currentText(), QStringLiteral("时:分:秒"));
    QCOMPARE(ticks({"Check1_0", "Check1_2", "Check1_3"}), QStringLiteral("110"));
}

void TestSettingsDialog::overtimeActions_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("overtimeRow");
    QTest::addColumn<bool>("delayRow");
    QTest::addColumn<QString>("delayCaption");
    QTest::addColumn<bool>("endText");
    addTestRow("超时计时", 0, true, false, "", false);
    addTestRow("停止计时", 1, false, false, "", true);
    addTestRow("复位", 2, false, true, "复位", true);
    addTestRow("下一阶段", 3, false, true, "进入下一阶段", true);
}

void TestSettingsDialog::overtimeActions()
{
    QFETCH(int, action);
    QFETCH(bool, overtimeRow);
    QFETCH(bool, delayRow);
    QFETCH(QString, delayCaption);
    QFETCH(bool, endText);
    StageSettings stage = stageOf(QTime(0, 5, 0), QStringLiteral("100"), QStringLiteral("0110010"));
    stage.Time_five = QTime(0, 2, 30);
    stage.checkfour = QStringLiteral("1110");
    open(stage);
    control<QComboBox>("Combo3")->setCurrentIndex(action);
    for (const char* name : {"Check1_5", "Text1_12", "Text1_13", "VScrol1_12", "VScrol1_13", "Label1_12", "Label1_17"})
        QVERIFY2(shown(control<QWidget>(name)) == overtimeRow, name);
    for (const char* name : {"Check4_2", "Text4_9", "VScrol4_9", "Label4_15"})
        QVERIFY2(shown(control<QWidget>(name)) == delayRow, name);
    QVERIFY(!shown(control<QWidget>("Check4_0")) && !shown(control<QWidget>("Check4_1")));
    // Check4_2: the stage's digit is 1.
    QCOMPARE(ticks({"Check4_0", "Check4_1", "Check4_2"}), QStringLiteral("0%1%2").arg(int(endText)).arg(int(delayRow)));
    if (delayRow)
        QCOMPARE(control<QLabel>("Label4_15")->text(), delayCaption);
    const QString overtime = overtimeRow ? QStringLiteral("2") : QStringLiteral("0");
    QCOMPARE(control<QLineEdit>("Text1_12")->text(), overtime);
    QCOMPARE(control<QCheckBox>("Check1_5")->isEnabled(), overtimeRow);
}

void TestSettingsDialog::systemTimeMode()
{
    open(stageOf(QTime(0, 5, 0), QStringLiteral("002")));
    control<QComboBox>("Combo2")->setCurrentIndex(2);
    auto* format = control<QComboBox>("Combo1");
    QCOMPARE(format->count(), 3);
    QCOMPARE(format->itemText(0), QStringLiteral("时:分:秒"));
    QCOMPARE(format->itemText(1), QStringLiteral("时:分"));
    QCOMPARE(format->currentIndex(), 2);
    QCOMPARE(control<QComboBox>("Combo3")->currentIndex(), 0); // 复位 became 超时计时
    // Choosing the first format moves it to the third, the same text.
    format->setCurrentIndex(0);
    QCOMPARE(format->currentIndex(), 2);
    control<QComboBox>("Combo3")->setCurrentIndex(2);
    QCOMPARE(control<QComboBox>("Combo3")->currentIndex(), 0);

    control<QComboBox>("Combo2")->setCurrentIndex(0);
    QCOMPARE(format->itemText(0), QStringLiteral("秒"));
    QCOMPARE(format->currentIndex(), 0);
}

void TestSettingsDialog::simpleModeFixesHiddenSwitches()
{
    RegistryStore().setNumber(QStringLiteral("simple"), 1);
    StageSettings stage = stageOf(QTime(0, 5, 0), QStringLiteral("103"), QStringLiteral("1111110"));
    stage.checkfour = QStringLiteral("1000");
    open(stage);
    for (const char* name : {"Check4_0", "Check4_1", "Check4_2", "Text4_9", "VScrol4_9", "Label4_15"})
        QVERIFY2(!shown(control<QWidget>(name)), name);
    // Check1_3: the alarm simple mode keeps.
    QCOMPARE(ticks({"Check4_0", "Check4_1", "Check4_2", "Check5", "Check1_3", "Check1_1"}), QStringLiteral("011110"));
    QCOMPARE(control<QLineEdit>("Text4_9")->text(), QStringLiteral("2"));
}

void TestSettingsDialog::enterNeverApplies()
{
    open(stageOf(QTime(0, 5, 0), QStringLiteral("101")));
    auto* hours = control<QLineEdit>("Text1_1");
    QTest::keyClick(hours, Qt::Key_Return);
    QTest::keyClick(hours, Qt::Key_Enter);
    QTest::keyClick(control<QComboBox>("Combo1"), Qt::Key_Return);
    QVERIFY(m_applied.isEmpty());
    QVERIFY(m_dialog->isVisible());
}

void TestSettingsDialog::applyHandsOverTheEntries()
{
    open(stageOf(QTime(0, 5, 0), QStringLiteral("101")));
    auto* hours = control<QLineEdit>("Text1_1");
    hours->clear();
    QTest::keyClicks(hours, "2");
    const QString longText(10000, QChar(0x4e2d));
    control<QLineEdit>("Text2_6")->setText(longText);
    control<QCheckBox>("Check2_20")->setChecked(true); // flash at the end
    control<QComboBox>("Combo4")->setCurrentIndex(1);
    m_accept = false;
    control<QPushButton>("Command1")->click();
    QCOMPARE(m_applied.size(), 1);
    QVERIFY(m_dialog->isVisible()); // a refused apply leaves the entries to mend

    m_accept = true;
    control<QPushButton>("Command1")->click();
    QCOMPARE(m_applied.size(), 2);
    const SettingsEntries& e = m_applied.last();
    QCOMPARE(e.timeBoxes[1], QStringLiteral("2"));
    QCOMPARE(e.phaseTexts[6], longText);
    QCOMPARE(e.checktwo.at(20), QLatin1Char('1'));
    QCOMPARE(e.marqueeMode, 1);
    const StageSettings stage = stageFromEntries(e).stage;
    QCOMPARE(stage.Time_all, QTime(2, 5, 0));
    QCOMPARE(stage.textend, longText);
    QVERIFY(stage.phaseEffect(PhaseEffect::Flash, AlertPhase::End));

    control<QPushButton>("Command3")->click();
    QVERIFY(!m_dialog->isVisible());
}

void TestSettingsDialog::fillingRunsNoRule()
{
    // Stored values out of a box's range are shown as they are, without a
    // message, until the operator changes them.
    StageSettings stage = stageOf(QTime(0, 5, 0), QStringLiteral("101"));
    stage.tixingtime = 0;
    open(stage);
    QCOMPARE(control<QLineEdit>("Text4_4")->text(), QStringLiteral("0"));
    QVERIFY(MessageBox::takeRecordedMessages().isEmpty());
    m_dialog->fillsettings(m_dialog->entries());
    QVERIFY(MessageBox::takeRecordedMessages().isEmpty());
}

void TestSettingsDialog::damagedStageOpensWithDefaults()
{
    // What a hand-edited store can leave in a stage: no times, switch
    // strings of the wrong length, combo digits that name no item.
    StageSettings stage = StageSettings::defaults(QDate(2026, 12, 7));
    stage.Time_all = QTime();
    stage.Time_one = QTime();
    stage.time_date = QDate();
    stage.checkone = QStringLiteral("1x");
    stage.checktwo.clear();
    stage.checkfour = QStringLiteral("11111111111");
    stage.combolist = QStringLiteral("9z7");
    {
        ProfileFile profile(m_sandbox->filePath(QStringLiteral("TimeData.db")));
        profile.write(QStringLiteral("Marquee"), QStringLiteral("Mode"), QStringLiteral("-7"));
        profile.write(QStringLiteral("pictureset"), QStringLiteral("Width"), QStringLiteral("wide"));
    }
    open(stage);
    QCOMPARE(texts({"Text1_1", "Text1_4", "Text7_0", "Text4_7"}), (QStringList{"0", "0", "2000", "800"}));
    QCOMPARE(ticks({"Check1_0", "Check2_0"}), QStringLiteral("10"));
    for (const char* name : {"Combo1", "Combo2", "Combo3"})
        QVERIFY2(control<QComboBox>(name)->currentIndex() >= 0, name);
    QCOMPARE(control<QComboBox>("Combo4")->currentIndex(), 0);
    QVERIFY(m_dialog->applyEntries());
    const SettingsEntries applied = m_applied.last();
    QCOMPARE(applied.checkone.size(), 7);
    QCOMPARE(applied.checktwo.size(), 21);
    QCOMPARE(applied.checkfour.size(), 4);
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
