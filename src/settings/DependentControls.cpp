#include "settings/DependentControls.h"

#include "settings/NumberBox.h"
#include "settings/SystemPage.h"
#include "settings/TimingPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

namespace melvanta {

namespace {

constexpr int kSystemTime = 2;
constexpr int kOvertimeCounts = 0;
constexpr int kStopTiming = 1;
constexpr int kReset = 2;
constexpr int kNextStage = 3;

void setIndex(QComboBox* combo, int index)
{
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(qBound(0, index, combo->count() - 1));
}

void setItems(QComboBox* combo, const QStringList& items)
{
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItems(items);
}

void setSwitch(QCheckBox* box, bool on)
{
    const QSignalBlocker blocker(box);
    box->setChecked(on);
}

bool digitOn(const QString& switches, int position)
{
    return position >= 1 && position <= switches.size() && switches.at(position - 1) == QLatin1Char('1');
}

} // namespace

DependentControls::DependentControls(TimingPage& timing, SystemPage& system, SettingsEntries& working, QObject* parent)
    : QObject(parent), m_timing(timing), m_system(system), m_working(working)
{
    connect(timing.switches[5], &QCheckBox::toggled, this, &DependentControls::overtimeSwitchRule);
    connect(timing.switches[6], &QCheckBox::toggled, this, &DependentControls::longTermRule);
    connect(timing.formatCombo, &QComboBox::currentIndexChanged, this, &DependentControls::formatRule);
    connect(timing.modeCombo, &QComboBox::currentIndexChanged, this, &DependentControls::modeRule);
    connect(timing.actionCombo, &QComboBox::currentIndexChanged, this, &DependentControls::overtimeActionRule);
}

void DependentControls::settle()
{
    longTermRule();
}

int DependentControls::comboDigit(int position) const
{
    const QString& digits = m_working.stage.combolist;
    if (position >= digits.size() || !digits.at(position).isDigit())
        return 0;
    return digits.at(position).digitValue();
}

bool DependentControls::systemTime() const
{
    return m_timing.modeCombo->currentIndex() == kSystemTime;
}

void DependentControls::overtimeSwitchRule()
{
    QCheckBox* overtime = m_timing.switches[5];
    const bool enabled = overtime->isEnabled();
    // Simple mode has no overtime row.
    const bool shown = enabled && !m_system.simpleMode->isChecked();
    QWidget* const row[] = {m_timing.timeBoxes[12], m_timing.timeSpins[12], m_timing.timeBoxes[13],
                            m_timing.timeSpins[13], m_timing.overtimeSecondLabel};
    for (QWidget* w : row) {
        w->setEnabled(enabled);
        w->setVisible(shown);
    }
    m_timing.overtimeMinuteLabel->setVisible(shown);
    overtime->setVisible(shown);
}

void DependentControls::longTermRule()
{
    const bool longTerm = m_timing.switches[6]->isChecked();
    m_timing.totalLabel->setText(longTerm ? QStringLiteral("启用  到期时间") : QStringLiteral("启用    总时长"));
    m_timing.dateFrame->setVisible(longTerm);
    m_timing.totalFrame->setVisible(!longTerm);
    for (int i = 0; i < 6; ++i) {
        setSwitch(m_timing.switches[i], longTerm ? false : digitOn(m_working.checkone, i + 1));
        m_timing.switches[i]->setEnabled(!longTerm);
    }
    QCheckBox* endText = m_system.switches[1];
    if (longTerm) {
        setItems(m_timing.formatCombo, timeFormats(true, 0));
        setIndex(m_timing.modeCombo, 0);
        m_timing.modeCombo->setEnabled(false);
        setIndex(m_timing.actionCombo, kStopTiming);
        m_timing.actionCombo->setEnabled(false);
        m_working.stage.combolist = QString::number(comboDigit(0)) + QStringLiteral("01");
        setIndex(m_timing.formatCombo, comboDigit(0));
        endText->setVisible(false);
        setSwitch(endText, true);
        endText->setEnabled(false);
    } else {
        setItems(m_timing.formatCombo, timeFormats(false, comboDigit(1)));
        setIndex(m_timing.formatCombo, comboDigit(0));
        setIndex(m_timing.modeCombo, comboDigit(1));
        setIndex(m_timing.actionCombo, comboDigit(2));
        m_timing.modeCombo->setEnabled(true);
        m_timing.actionCombo->setEnabled(true);
        endText->setVisible(!m_system.simpleMode->isChecked());
        setSwitch(endText, digitOn(m_working.checkfour, 2));
        endText->setEnabled(true);
    }
    // The weekday switch of the appearance page is off for a long-term stage.
    const bool weekday = !longTerm && digitOn(m_working.stage.checkthree, 2);
    m_working.checkthree = m_working.checkthree.leftJustified(6, QLatin1Char('0'), true);
    m_working.checkthree[1] = weekday ? QLatin1Char('1') : QLatin1Char('0');
    overtimeActionRule();
}

void DependentControls::formatRule()
{
    if (!systemTime())
        return;
    if (m_timing.formatCombo->currentIndex() == 0)
        setIndex(m_timing.formatCombo, 2);
    if (m_timing.actionCombo->currentIndex() == kReset)
        setIndex(m_timing.actionCombo, kOvertimeCounts);
    for (int i : {0, 1}) {
        m_system.switches[i]->setVisible(false);
        setSwitch(m_system.switches[i], false);
    }
}

void DependentControls::modeRule()
{
    if (systemTime()) {
        setItems(m_timing.formatCombo, timeFormats(false, kSystemTime));
        const int digit = comboDigit(0);
        const int index = digit > 2 ? 0 : digit;
        setIndex(m_timing.formatCombo, index == 0 ? 2 : index);
        if (m_timing.actionCombo->currentIndex() == kReset)
            setIndex(m_timing.actionCombo, kOvertimeCounts);
        m_system.switches[0]->setVisible(false);
        setSwitch(m_system.switches[0], false);
    } else {
        setItems(m_timing.formatCombo, timeFormats(digitOn(m_working.checkone, 7), 0));
        setIndex(m_timing.formatCombo, comboDigit(0));
    }
    formatRule();
    overtimeActionRule();
}

void DependentControls::showDelayRow(bool shown)
{
    QWidget* const row[] = {m_system.switches[2], m_system.delay, m_system.delaySpin, m_system.delayAction};
    for (QWidget* w : row)
        w->setVisible(shown);
}

void DependentControls::overtimeActionRule()
{
    if (systemTime()) {
        if (m_timing.formatCombo->currentIndex() == 0)
            setIndex(m_timing.formatCombo, 2);
        if (m_timing.actionCombo->currentIndex() == kReset)
            setIndex(m_timing.actionCombo, kOvertimeCounts);
    }
    QCheckBox* const* timeUp = m_system.switches.data();
    timeUp[0]->setVisible(false);
    timeUp[1]->setVisible(false);
    if (m_system.simpleMode->isChecked()) {
        showDelayRow(false);
        setSwitch(timeUp[0], false);
        setSwitch(timeUp[1], true);
        setSwitch(timeUp[2], true);
        m_system.delay->setText(QStringLiteral("2"));
    } else {
        const int action = m_timing.actionCombo->currentIndex();
        setSwitch(timeUp[0], false);
        setSwitch(timeUp[1], action != kOvertimeCounts);
        const bool delayed = action == kReset || action == kNextStage;
        showDelayRow(delayed);
        setSwitch(timeUp[2], delayed && digitOn(m_working.checkfour, 3));
        if (delayed)
            m_system.delayAction->setText(action == kReset ? QStringLiteral("复位") : QStringLiteral("进入下一阶段"));
        if (action != kOvertimeCounts) {
            m_timing.timeBoxes[12]->setText(QStringLiteral("0"));
            m_timing.timeBoxes[13]->setText(QStringLiteral("0"));
        }
        m_timing.switches[5]->setEnabled(action == kOvertimeCounts);
    }
    overtimeSwitchRule();
}

} // namespace melvanta
