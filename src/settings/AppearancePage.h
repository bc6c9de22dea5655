#pragma once

#include "settings/AppearanceChoices.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace melvanta {

class AdjustmentPanel;
class ColourSwatch;
struct SettingsEntries;

// The "界面" page: per display element its font, size, colour and (for
// the titles) text, the display switches, the background colour or
// picture, and the tool that moves and sizes the elements on the screen.
class AppearancePage : public QWidget
{
    Q_OBJECT
public:
    explicit AppearancePage(QWidget* parent = nullptr);

    void fill(const SettingsEntries& entries);
    void collect(SettingsEntries& entries) const;
    // The "天数" row is for long-term timing only.
    void setDateLineEnabled(bool enabled);
    // Fills the font lists from the program's fonts or the installed ones;
    // `Timer1` runs it once the dialog shows, so the dialog opens at once.
    void fillFontLists();

    std::array<QLabel*, kAppearanceRows> rowLabels{};     // `Label3`(0) … (5)
    std::array<QComboBox*, kAppearanceRows> fontBoxes{};  // `Combo6`
    std::array<QComboBox*, kAppearanceRows> sizeBoxes{};  // `Combo7`
    std::array<ColourSwatch*, kAppearanceRows> colours{}; // `Text3`(0) … (5)
    QLineEdit* mainTitle = nullptr;                       // `Text3`(6)
    QLineEdit* subtitle = nullptr;                        // `Text3`(7)
    // `Check3`(0) … (5): per-phase looks, weekday, dynamic text, and the
    // "居中" switches of the main title, the subtitle and the clock row.
    std::array<QCheckBox*, 6> switches{};
    QLabel* backgroundLabel = nullptr;       // `Label3`(11)
    ColourSwatch* background = nullptr;      // `Text5`(14)
    QPushButton* backgroundImport = nullptr; // `Command5`(14)
    QTimer* fontTimer = nullptr;             // `Timer1`
    AdjustmentPanel* adjustment = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // While the per-phase looks are on, the precise page supplies the
    // clock colour and the background.
    void followPhaseLooksSwitch();
};

} // namespace melvanta
