#include "settings/PrecisePage.h"

#include "settings/ColourSwatch.h"
#include "settings/FileImporter.h"
#include "settings/SettingsEntries.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace melvanta {

PrecisePage::PrecisePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture5"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("时间颜色"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("背景颜色     图片"), this), 0, 2, 1, 2);
    const QStringList phases = phaseNames();
    for (int phase = 0; phase < kAlertPhaseCount; ++phase) {
        const QString name = phases.at(phase);
        phaseLabels[phase] = new QLabel(name, this);
        phaseLabels[phase]->setObjectName(QStringLiteral("Label5_") + QString::number(phase));
        clockColours[phase] = new ColourSwatch(QStringLiteral("Text5_") + QString::number(phase),
                                               QStringLiteral("时间颜色 ") + name, false, this);
        backgrounds[phase] = new ColourSwatch(QStringLiteral("Text5_") + QString::number(phase + 7),
                                              QStringLiteral("背景颜色 ") + name, true, this);
        imports[phase] = new QPushButton(QStringLiteral("图片"), this);
        imports[phase]->setObjectName(QStringLiteral("Command5_") + QString::number(phase + 7));
        imports[phase]->setAccessibleName(QStringLiteral("导入背景 ") + name);
        imports[phase]->setAutoDefault(false);
        connect(imports[phase], &QPushButton::clicked, this, [this, phase] {
            if (const auto picture = askAndImport(ImportTarget::Background, this))
                backgrounds[phase]->setPicture(*picture);
        });
        grid->addWidget(phaseLabels[phase], phase + 1, 0);
        grid->addWidget(clockColours[phase], phase + 1, 1);
        grid->addWidget(backgrounds[phase], phase + 1, 2);
        grid->addWidget(imports[phase], phase + 1, 3);
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(kAlertPhaseCount + 1, 1);
}

void PrecisePage::fill(const SettingsEntries& entries)
{
    for (int phase = 0; phase < kAlertPhaseCount; ++phase) {
        const PhaseLook& look = entries.phaseLooks[phase];
        clockColours[phase]->setColourText(look.clockColour);
        backgrounds[phase]->setColourText(look.backColour);
        backgrounds[phase]->setPicture(look.picture);
    }
}

void PrecisePage::collect(SettingsEntries& entries) const
{
    for (int phase = 0; phase < kAlertPhaseCount; ++phase) {
        PhaseLook& look = entries.phaseLooks[phase];
        look.clockColour = clockColours[phase]->colourText();
        look.backColour = backgrounds[phase]->colourText();
        look.picture = backgrounds[phase]->picture();
    }
}

} // namespace melvanta
