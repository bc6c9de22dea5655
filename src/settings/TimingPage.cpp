#include "settings/TimingPage.h"

#include "settings/NumberBox.h"
#include "settings/SettingsEntries.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

namespace melvanta {

namespace {

const char* const kUnits[] = {"时", "分", "秒"};

QString indexed(const char* base, int index)
{
    return QString::fromLatin1(base) + QLatin1Char('_') + QString::number(index);
}

QComboBox* combo(const char* name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

TimingPage::TimingPage(const QString& programName, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    auto* grid = new QGridLayout(this);

    const char* const switchCaptions[] = {"持续提醒",   "报警1 剩余", "报警2 剩余", "报警3 剩余",
                                          "读秒  剩余", "超时  超过", "长期计时"};
    for (int i = 0; i < 7; ++i) {
        switches[i] = new QCheckBox(QString::fromUtf8(switchCaptions[i]), this);
        switches[i]->setObjectName(indexed("Check1", i));
    }

    // The total, or the due date in its place for a long-term stage.
    totalLabel = new QLabel(QStringLiteral("启用    总时长"), this);
    totalLabel->setObjectName(QStringLiteral("Label1_0"));
    grid->addWidget(totalLabel, 0, 0);
    totalFrame = new QWidget(this);
    auto* totalRow = new QGridLayout(totalFrame);
    totalRow->setContentsMargins(0, 0, 0, 0);
    buildTimeRow(totalRow, 0, nullptr, 1, 3, QStringLiteral("总时长"));
    dateFrame = buildDateFrame(programName);
    auto* totalCell = new QHBoxLayout;
    totalCell->addWidget(totalFrame);
    totalCell->addWidget(dateFrame);
    grid->addLayout(totalCell, 0, 1, 1, 6);

    const char* const pointNames[] = {"报警1", "报警2", "报警3", "读秒", "超时"};
    for (int k = 0; k < 5; ++k)
        buildTimeRow(grid, 1 + k, switches[1 + k], 4 + 2 * k, 2, QString::fromUtf8(pointNames[k]));
    overtimeMinuteLabel = m_unitLabels[12];
    overtimeMinuteLabel->setObjectName(QStringLiteral("Label1_12"));
    overtimeSecondLabel = m_unitLabels[13];
    overtimeSecondLabel->setObjectName(QStringLiteral("Label1_17"));

    grid->addWidget(switches[0], 6, 0);
    grid->addWidget(switches[6], 6, 1, 1, 3);

    formatCombo = combo("Combo1", this);
    modeCombo = combo("Combo2", this);
    actionCombo = combo("Combo3", this);
    const char* const comboCaptions[] = {"时间格式", "计时方式", "超时动作"};
    QComboBox* const combos[] = {formatCombo, modeCombo, actionCombo};
    for (int k = 0; k < 3; ++k) {
        auto* caption = new QLabel(QString::fromUtf8(comboCaptions[k]), this);
        caption->setBuddy(combos[k]);
        combos[k]->setAccessibleName(caption->text());
        grid->addWidget(caption, 7 + k, 0);
        grid->addWidget(combos[k], 7 + k, 1, 1, 4);
    }
    modeCombo->addItems(timingModes());
    actionCombo->addItems(overtimeActions());
    grid->setRowStretch(10, 1);
    grid->setColumnStretch(7, 1);
}

void TimingPage::buildTimeRow(QGridLayout* grid, int row, QWidget* lead, int firstBox, int boxCount,
                              const QString& rowName)
{
    if (lead)
        grid->addWidget(lead, row, 0);
    for (int k = 0; k < boxCount; ++k) {
        const int index = firstBox + k;
        const char* unit = kUnits[3 - boxCount + k];
        auto* box = new NumberBox(indexed("Text1", index), rowName + QLatin1Char(' ') + QString::fromUtf8(unit),
                                  grid->parentWidget());
        box->setFixedWidth(44);
        box->setRule([index](const QString& text, bool) { return timeBoxRule(index, text); });
        auto* spin = new SpinButtons(box, 0, timeBoxMaximum(index), indexed("VScrol1", index));
        auto* cell = new QHBoxLayout;
        cell->setSpacing(0);
        cell->addWidget(box);
        cell->addWidget(spin);
        grid->addLayout(cell, row, 1 + 2 * k);
        m_unitLabels[index] = new QLabel(QString::fromUtf8(unit), grid->parentWidget());
        m_unitLabels[index]->setObjectName(indexed("Label1", index));
        grid->addWidget(m_unitLabels[index], row, 2 + 2 * k);
        timeBoxes[index] = box;
        timeSpins[index] = spin;
    }
}

QWidget* TimingPage::buildDateFrame(const QString& programName)
{
    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("Picture8"));
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(0, 0, 0, 0);
    const char* const units[] = {"年", "月", "日"};
    for (int i = 0; i < 3; ++i) {
        auto* box =
            new NumberBox(indexed("Text7", i), QStringLiteral("到期日期 ") + QString::fromUtf8(units[i]), frame);
        box->setFixedWidth(i == 0 ? 60 : 44);
        dateBoxes[i] = box;
        row->addWidget(box);
        row->addWidget(new QLabel(QString::fromUtf8(units[i]), frame));
    }
    dateBoxes[0]->setRule([programName](const QString& text, bool leaving) {
        return yearRule(text, leaving, QDate::currentDate().year(), programName);
    });
    dateBoxes[1]->setRule(monthRule);
    dateBoxes[2]->setRule([this](const QString& text, bool leaving) {
        return dayRule(text, leaving, dateBoxes[0]->text(), dateBoxes[1]->text());
    });
    // A new month may end before the day in the box.
    connect(dateBoxes[1], &NumberBox::ruled, this, [this] {
        const BoxVerdict day = dayRule(dateBoxes[2]->text(), false, dateBoxes[0]->text(), dateBoxes[1]->text());
        if (day.text != dateBoxes[2]->text())
            dateBoxes[2]->setText(day.text);
    });
    row->addStretch();
    return frame;
}

void TimingPage::fill(const SettingsEntries& entries)
{
    for (int i = 1; i < 14; ++i) {
        timeBoxes[i]->fill(entries.timeBoxes[i]);
        timeSpins[i]->follow();
    }
    for (int i = 0; i < 3; ++i)
        dateBoxes[i]->fill(entries.dateBoxes[i]);
    for (int i = 0; i < 7; ++i) {
        const QSignalBlocker blocker(switches[i]);
        switches[i]->setChecked(entries.checkone.at(i) == QLatin1Char('1'));
    }
    const QSignalBlocker modeBlocker(modeCombo);
    const QSignalBlocker actionBlocker(actionCombo);
    const QSignalBlocker formatBlocker(formatCombo);
    modeCombo->setCurrentIndex(entries.modeIndex);
    actionCombo->setCurrentIndex(entries.actionIndex);
    formatCombo->clear();
    formatCombo->addItems(timeFormats(entries.checkone.at(6) == QLatin1Char('1'), entries.modeIndex));
    formatCombo->setCurrentIndex(entries.formatIndex);
}

void TimingPage::collect(SettingsEntries& entries) const
{
    for (int i = 1; i < 14; ++i)
        entries.timeBoxes[i] = timeBoxes[i]->text();
    for (int i = 0; i < 3; ++i)
        entries.dateBoxes[i] = dateBoxes[i]->text();
    entries.checkone = entries.checkone.leftJustified(7, QLatin1Char('0'), true);
    for (int i = 0; i < 7; ++i)
        entries.checkone[i] = switches[i]->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    entries.formatIndex = qMax(0, formatCombo->currentIndex());
    entries.modeIndex = qMax(0, modeCombo->currentIndex());
    entries.actionIndex = qMax(0, actionCombo->currentIndex());
}

} // namespace melvanta
