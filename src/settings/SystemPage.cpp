#include "settings/SystemPage.h"

#include "settings/FileImporter.h"
#include "settings/HotkeyCaptureBox.h"
#include "settings/NumberBox.h"
#include "settings/SettingsEntries.h"
#include "input/HotkeyText.h"
#include "support/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include <vector>

namespace melvanta {

namespace {

QCheckBox* check(const QString& name, const char* caption, QWidget* parent)
{
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(name);
    return box;
}

NumberBox* numberBox(int index, const char* accessibleName, QWidget* parent)
{
    auto* box =
        new NumberBox(QStringLiteral("Text4_") + QString::number(index), QString::fromUtf8(accessibleName), parent);
    box->setFixedWidth(60);
    return box;
}

NumberBox::Rule systemRule(SystemBox which)
{
    return [which](const QString& text, bool leaving) { return systemBoxRule(which, text, leaving); };
}

QLabel* caption(const char* text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setBuddy(buddy);
    return label;
}

void setSwitch(QCheckBox* box, bool on)
{
    const QSignalBlocker blocker(box);
    box->setChecked(on);
}

} // namespace

SystemPage::SystemPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture4"));
    auto* page = new QGridLayout(this);

    auto* timeUp = new QGroupBox(QStringLiteral("提醒与时间到"), this);
    auto* timeUpGrid = new QGridLayout(timeUp);
    alertDuration = numberBox(4, "提醒持续", timeUp);
    alertDuration->setRule(systemRule(SystemBox::AlertDuration));
    alertDurationCaption = caption("提醒持续", alertDuration, timeUp);
    timeUpGrid->addWidget(alertDurationCaption, 0, 0);
    timeUpGrid->addWidget(alertDuration, 0, 1);
    alertDurationUnit = new QLabel(QStringLiteral("秒"), timeUp);
    timeUpGrid->addWidget(alertDurationUnit, 0, 2);
    switches[0] = check(QStringLiteral("Check4_0"), "显示超时时钟", timeUp);
    switches[1] = check(QStringLiteral("Check4_1"), "时间到，时钟显示提示文字", timeUp);
    switches[2] = check(QStringLiteral("Check4_2"), "延时(秒)", timeUp);
    timeUpGrid->addWidget(switches[0], 1, 0, 1, 4);
    timeUpGrid->addWidget(switches[1], 2, 0, 1, 4);
    delay = numberBox(9, "延时(秒)", timeUp);
    delay->setRule(systemRule(SystemBox::Delay));
    delaySpin = new SpinButtons(delay, 1, 30, QStringLiteral("VScrol4_9"));
    delayAction = new QLabel(QStringLiteral("进入下一阶段"), timeUp);
    delayAction->setObjectName(QStringLiteral("Label4_15"));
    auto* delayRow = new QHBoxLayout;
    delayRow->setSpacing(0);
    delayRow->addWidget(delay);
    delayRow->addWidget(delaySpin);
    timeUpGrid->addWidget(switches[2], 3, 0);
    timeUpGrid->addLayout(delayRow, 3, 1);
    timeUpGrid->addWidget(delayAction, 3, 2, 1, 2);
    page->addWidget(timeUp, 0, 0);

    auto* logo = logoGroup = new QGroupBox(QStringLiteral("LOGO图片"), this);
    auto* logoGrid = new QGridLayout(logo);
    logoPicture = new QLineEdit(logo);
    logoPicture->setObjectName(QStringLiteral("Text4_3"));
    logoPicture->setAccessibleName(QStringLiteral("LOGO图片"));
    logoChoose = new QPushButton(QStringLiteral("选择"), logo);
    logoChoose->setObjectName(QStringLiteral("Command4"));
    logoChoose->setAccessibleName(QStringLiteral("导入LOGO"));
    logoChoose->setAutoDefault(false);
    connect(logoChoose, &QPushButton::clicked, this, [this] {
        if (const auto picture = askAndImport(ImportTarget::Logo, this)) {
            logoPicture->setText(*picture);
            logoPicture->setCursorPosition(0);
        }
    });
    logoGrid->addWidget(logoPicture, 0, 0, 1, 4);
    logoGrid->addWidget(logoChoose, 0, 4);
    switches[3] = check(QStringLiteral("Check4_3"), "自定义", logo);
    logoWidth = numberBox(7, "宽", logo);
    logoWidth->setRule(systemRule(SystemBox::LogoWidth));
    logoHeight = numberBox(8, "高", logo);
    logoHeight->setRule(systemRule(SystemBox::LogoHeight));
    logoGrid->addWidget(switches[3], 1, 0);
    logoGrid->addWidget(caption("宽", logoWidth, logo), 1, 1);
    logoGrid->addWidget(logoWidth, 1, 2);
    logoGrid->addWidget(caption("高", logoHeight, logo), 1, 3);
    logoGrid->addWidget(logoHeight, 1, 4);
    page->addWidget(logo, 1, 0);

    auto* keys = new QGroupBox(QStringLiteral("热键"), this);
    auto* keyGrid = new QGridLayout(keys);
    const char* const keyCaptions[] = {"开始", "停止", "暂停/继续"};
    for (int i = 0; i < 3; ++i) {
        hotkeys[i] = new HotkeyCaptureBox(keys);
        hotkeys[i]->setObjectName(QStringLiteral("Text4_") + QString::number(i));
        hotkeys[i]->setAccessibleName(QStringLiteral("热键 ") + QString::fromUtf8(keyCaptions[i]));
        connect(hotkeys[i], &HotkeyCaptureBox::captured, this, [this, i] { refuseRepeatedKey(i); });
        keyGrid->addWidget(caption(keyCaptions[i], hotkeys[i], keys), i, 0);
        keyGrid->addWidget(hotkeys[i], i, 1, 1, 2);
    }
    auto* hint = new QLabel(QStringLiteral("直接在键盘上输入快捷键"), keys);
    hint->setObjectName(QStringLiteral("Label4_hint"));
    keyGrid->addWidget(hint, 4, 0, 1, 3);
    stageKeyCtrl = check(QStringLiteral("Check9_0"), "Ctrl", keys);
    stageKeyAlt = check(QStringLiteral("Check9_1"), "Alt", keys);
    stageKeyCtrl->setAccessibleName(QStringLiteral("阶段热键 Ctrl"));
    stageKeyAlt->setAccessibleName(QStringLiteral("阶段热键 Alt"));
    keyGrid->addWidget(new QLabel(QStringLiteral("阶段热键"), keys), 3, 0);
    keyGrid->addWidget(stageKeyCtrl, 3, 1);
    keyGrid->addWidget(stageKeyAlt, 3, 2);
    page->addWidget(keys, 0, 1);

    auto* marquee = marqueeGroup = new QGroupBox(QStringLiteral("动态文本"), this);
    auto* marqueeGrid = new QGridLayout(marquee);
    marqueeMode = new QComboBox(marquee);
    marqueeMode->setObjectName(QStringLiteral("Combo4"));
    marqueeMode->setAccessibleName(QStringLiteral("滚动方式"));
    marqueeMode->addItems(marqueeModes());
    marqueeWidth = numberBox(5, "动态文本 宽", marquee);
    marqueeSpeed = numberBox(6, "滚动速度", marquee);
    marqueeGrid->addWidget(caption("滚动方式", marqueeMode, marquee), 0, 0);
    marqueeGrid->addWidget(marqueeMode, 0, 1);
    marqueeGrid->addWidget(caption("宽", marqueeWidth, marquee), 1, 0);
    marqueeGrid->addWidget(marqueeWidth, 1, 1);
    marqueeGrid->addWidget(caption("滚动速度", marqueeSpeed, marquee), 2, 0);
    marqueeGrid->addWidget(marqueeSpeed, 2, 1);
    page->addWidget(marquee, 1, 1);

    // Both stay in simple mode, which hides the groups above them.
    autoCycle = check(QStringLiteral("Check8"), "自动循环", this);
    simpleMode = check(QStringLiteral("Check5"), "精简模式", this);
    page->addWidget(autoCycle, 2, 1);
    page->addWidget(simpleMode, 2, 0);

    auto* remote = new QGroupBox(QStringLiteral("网络遥控"), this);
    auto* remoteRow = new QHBoxLayout(remote);
    remoteEnabled = check(QStringLiteral("Check10"), "网络遥控", remote);
    remotePort = new QLineEdit(remote);
    remotePort->setObjectName(QStringLiteral("Text4_10"));
    remotePort->setAccessibleName(QStringLiteral("网络遥控 端口"));
    remotePort->setMaxLength(5);
    remotePort->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), remotePort));
    remotePort->setFixedWidth(60);
    remoteListen = new QComboBox(remote);
    remoteListen->setObjectName(QStringLiteral("Combo9"));
    remoteListen->setAccessibleName(QStringLiteral("网络遥控 地址"));
    remoteListen->addItems({QStringLiteral("所有地址"), QStringLiteral("仅本机")});
    remoteRow->addWidget(remoteEnabled);
    remoteRow->addWidget(caption("端口", remotePort, remote));
    remoteRow->addWidget(remotePort);
    remoteRow->addWidget(caption("地址", remoteListen, remote));
    remoteRow->addWidget(remoteListen);
    remoteRow->addStretch();
    page->addWidget(remote, 3, 0, 1, 2);
    page->setRowStretch(4, 1);
}

void SystemPage::fill(const SettingsEntries& entries)
{
    for (int i = 0; i < 4; ++i)
        setSwitch(switches[i], entries.checkfour.at(i) == QLatin1Char('1'));
    alertDuration->fill(entries.alertDuration);
    delay->fill(entries.delaySeconds);
    delaySpin->follow();
    logoPicture->setText(entries.logopicture);
    logoWidth->fill(entries.logoWidth);
    logoHeight->fill(entries.logoHeight);
    hotkeys[0]->setText(entries.hotkeyStart);
    hotkeys[1]->setText(entries.hotkeyStop);
    hotkeys[2]->setText(entries.hotkeyPause);
    setSwitch(stageKeyCtrl, entries.stageKeyCtrl);
    setSwitch(stageKeyAlt, entries.stageKeyAlt);
    {
        const QSignalBlocker blocker(marqueeMode);
        marqueeMode->setCurrentIndex(entries.marqueeMode);
    }
    marqueeWidth->fill(entries.marqueeWidth);
    marqueeSpeed->fill(entries.marqueeSpeed);
    setSwitch(autoCycle, entries.autoCycle);
    setSwitch(simpleMode, entries.simpleMode);
    setSwitch(remoteEnabled, entries.remoteEnabled);
    remotePort->setText(entries.remotePort);
    {
        const QSignalBlocker blocker(remoteListen);
        remoteListen->setCurrentIndex(entries.remoteLoopback ? 1 : 0);
    }
}

void SystemPage::collect(SettingsEntries& entries) const
{
    entries.checkfour = entries.checkfour.leftJustified(4, QLatin1Char('0'), true);
    for (int i = 0; i < 4; ++i)
        entries.checkfour[i] = switches[i]->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    entries.alertDuration = alertDuration->text();
    entries.delaySeconds = delay->text();
    entries.logopicture = logoPicture->text();
    entries.logoWidth = logoWidth->text();
    entries.logoHeight = logoHeight->text();
    entries.hotkeyStart = hotkeys[0]->text();
    entries.hotkeyStop = hotkeys[1]->text();
    entries.hotkeyPause = hotkeys[2]->text();
    entries.stageKeyCtrl = stageKeyCtrl->isChecked();
    entries.stageKeyAlt = stageKeyAlt->isChecked();
    entries.marqueeMode = qMax(0, marqueeMode->currentIndex());
    entries.marqueeWidth = marqueeWidth->text();
    entries.marqueeSpeed = marqueeSpeed->text();
    entries.autoCycle = autoCycle->isChecked();
    entries.simpleMode = simpleMode->isChecked();
    entries.remoteEnabled = remoteEnabled->isChecked();
    entries.remotePort = remotePort->text();
    entries.remoteLoopback = remoteListen->currentIndex() == 1;
}

void SystemPage::refuseRepeatedKey(int index)
{
    // Start and stop may be the same key (it then toggles); each of them
    // differs from pause.
    static const std::vector<int> kComparedWith[] = {{2}, {2}, {0, 1}};
    const QString text = hotkeys[index]->text();
    if (text == QString::fromUtf8(kNoHotkey))
        return;
    for (int other : kComparedWith[index]) {
        if (hotkeys[other]->text() == text) {
            MessageBox::notice(QStringLiteral("热键设置不能相同"), 800, this);
            hotkeys[index]->setText(QString::fromUtf8(kNoHotkey));
            return;
        }
    }
}

} // namespace melvanta
