#pragma once

#include "core/AlertPhase.h"

#include <QWidget>

#include <array>

class QLabel;
class QPushButton;

namespace melvanta {

class ColourSwatch;
struct SettingsEntries;

// The "精准设置" page: per alert phase the clock colour and the background
// colour or picture, used while the per-phase looks are switched on.
class PrecisePage : public QWidget
{
    Q_OBJECT
public:
    explicit PrecisePage(QWidget* parent = nullptr);

    void fill(const SettingsEntries& entries);
    void collect(SettingsEntries& entries) const;

    std::array<QLabel*, kAlertPhaseCount> phaseLabels{};        // `Label5`(0) … (6)
    std::array<ColourSwatch*, kAlertPhaseCount> clockColours{}; // `Text5`(0) … (6)
    std::array<ColourSwatch*, kAlertPhaseCount> backgrounds{};  // `Text5`(7) … (13)
    std::array<QPushButton*, kAlertPhaseCount> imports{};       // `Command5`(7) … (13)
};

} // namespace melvanta
