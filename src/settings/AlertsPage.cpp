#include "settings/AlertsPage.h"

#include "core/AlertPhase.h"
#include "settings/SettingsEntries.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace melvanta {

namespace {

// Longer than a prompt text ever is, so a stored text is never cut short
// (a line edit's own limit is 32767 characters).
constexpr int kTextLength = 1 << 20;

QCheckBox* switchBox(int index, const char* caption, const QString& phase, QWidget* parent)
{
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QStringLiteral("Check2_") + QString::number(index));
    box->setAccessibleName(phase + QLatin1Char(' ') + QString::fromUtf8(caption));
    return box;
}

QLineEdit* textBox(int index, const QString& accessibleName, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QStringLiteral("Text2_") + QString::number(index));
    box->setAccessibleName(accessibleName);
    box->setMaxLength(kTextLength);
    return box;
}

int switchIndex(PhaseEffect effect, int phase)
{
    return checktwoPosition(effect, AlertPhase(phase)) - 1;
}

} // namespace

AlertsPage::AlertsPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture2"));
    auto* grid = new QGridLayout(this);
    const QStringList phases = phaseNames();
    for (int phase = 0; phase < kAlertPhaseCount; ++phase) {
        const QString name = phases.at(phase);
        grid->addWidget(new QLabel(name, this), phase, 0);
        const int flash = switchIndex(PhaseEffect::Flash, phase);
        const int sound = switchIndex(PhaseEffect::PlaySound, phase);
        const int text = switchIndex(PhaseEffect::ShowText, phase);
        switches[flash] = switchBox(flash, "时间闪烁", name, this);
        switches[sound] = switchBox(sound, "声音文件   播放", name, this);
        switches[text] = switchBox(text, "提示文字", name, this);
        texts[7 + phase] = textBox(7 + phase, name + QStringLiteral(" 声音文件"), this);
        texts[phase] = textBox(phase, name + QStringLiteral(" 提示文字"), this);
        grid->addWidget(switches[flash], phase, 1);
        grid->addWidget(switches[sound], phase, 2);
        grid->addWidget(texts[7 + phase], phase, 3);
        grid->addWidget(switches[text], phase, 4);
        grid->addWidget(texts[phase], phase, 5);
    }
    auto* previewCaption = new QLabel(QStringLiteral("试听"), this);
    previewCombo = new QComboBox(this);
    previewCombo->setObjectName(QStringLiteral("Combo8"));
    previewCombo->setAccessibleName(QStringLiteral("试听"));
    previewCaption->setBuddy(previewCombo);
    grid->addWidget(previewCaption, kAlertPhaseCount, 0);
    grid->addWidget(previewCombo, kAlertPhaseCount, 1, 1, 2);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 2);
    grid->setRowStretch(kAlertPhaseCount + 1, 1);
}

void AlertsPage::fill(const SettingsEntries& entries)
{
    for (int i = 0; i < 21; ++i) {
        const QSignalBlocker blocker(switches[i]);
        switches[i]->setChecked(entries.checktwo.at(i) == QLatin1Char('1'));
    }
    for (int i = 0; i < 14; ++i) {
        const QSignalBlocker blocker(texts[i]);
        texts[i]->setText(entries.phaseTexts[i]);
        texts[i]->setCursorPosition(0);
    }
    const QSignalBlocker blocker(previewCombo);
    previewCombo->clear();
    previewCombo->addItems(phaseNames());
}

void AlertsPage::collect(SettingsEntries& entries) const
{
    entries.checktwo = entries.checktwo.leftJustified(21, QLatin1Char('0'), true);
    for (int i = 0; i < 21; ++i)
        entries.checktwo[i] = switches[i]->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    for (int i = 0; i < 14; ++i)
        entries.phaseTexts[i] = texts[i]->text();
}

} // namespace melvanta
