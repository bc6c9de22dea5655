#include "settings/AlertsPage.h"

#include "core/AlertPhase.h"
#include "settings/FileImporter.h"
#include "settings/SettingsEntries.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
        phaseLabels[phase] = new QLabel(name, this);
        phaseLabels[phase]->setObjectName(QStringLiteral("Label2_") + QString::number(phase));
        grid->addWidget(phaseLabels[phase], phase, 0);
        const int flash = switchIndex(PhaseEffect::Flash, phase);
        const int sound = switchIndex(PhaseEffect::PlaySound, phase);
        const int text = switchIndex(PhaseEffect::ShowText, phase);
        switches[flash] = switchBox(flash, "时间闪烁", name, this);
        switches[sound] = switchBox(sound, "声音文件   播放", name, this);
        switches[text] = switchBox(text, "提示文字", name, this);
        texts[7 + phase] = textBox(7 + phase, name + QStringLiteral(" 声音文件"), this);
        texts[phase] = textBox(phase, name + QStringLiteral(" 提示文字"), this);
        soundImports[phase] = new QPushButton(QStringLiteral("..."), this);
        soundImports[phase]->setObjectName(QStringLiteral("Command2_") + QString::number(7 + phase));
        soundImports[phase]->setAccessibleName(QStringLiteral("导入声音 ") + name);
        soundImports[phase]->setAutoDefault(false);
        soundImports[phase]->setFixedWidth(32);
        connect(soundImports[phase], &QPushButton::clicked, this, [this, phase] {
            if (const auto sound = askAndImport(ImportTarget::Sound, this)) {
                texts[7 + phase]->setText(*sound);
                texts[7 + phase]->setCursorPosition(0);
            }
        });
        grid->addWidget(switches[flash], phase, 1);
        grid->addWidget(switches[sound], phase, 2);
        grid->addWidget(texts[7 + phase], phase, 3);
        grid->addWidget(soundImports[phase], phase, 4);
        grid->addWidget(switches[text], phase, 5);
        grid->addWidget(texts[phase], phase, 6);
    }
    auto* previewCaption = new QLabel(QStringLiteral("试听"), this);
    previewCombo = new QComboBox(this);
    previewCombo->setObjectName(QStringLiteral("Combo8"));
    previewCombo->setAccessibleName(QStringLiteral("试听"));
    previewCaption->setBuddy(previewCombo);
    fillPreviewList();
    connect(previewCombo, &QComboBox::activated, this, [this](int index) {
        const int phase = previewPhase(index);
        if (phase >= 0)
            Q_EMIT previewRequested(phase);
    });
    grid->addWidget(previewCaption, kAlertPhaseCount, 0);
    grid->addWidget(previewCombo, kAlertPhaseCount, 1, 1, 2);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(6, 2);
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
}

void AlertsPage::setSimpleMode(bool on)
{
    m_simple = on;
    fillPreviewList();
}

int AlertsPage::previewPhase(int index) const
{
    static constexpr int kSimplePhases[] = {0, 3, 5, 6};
    if (!m_simple)
        return index >= 0 && index < kAlertPhaseCount ? index : -1;
    return index >= 0 && index < 4 ? kSimplePhases[index] : -1;
}

void AlertsPage::fillPreviewList()
{
    const QSignalBlocker blocker(previewCombo);
    previewCombo->clear();
    if (m_simple)
        previewCombo->addItems(
            {QStringLiteral("开始"), QStringLiteral("报警1"), QStringLiteral("超时"), QStringLiteral("结束")});
    else
        previewCombo->addItems(phaseNames());
    previewCombo->setCurrentIndex(-1);
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
