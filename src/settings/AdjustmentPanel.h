#pragma once

#include "display/AdjustableScreen.h"

#include <QGroupBox>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTimer;

namespace melvanta {

// The adjustment tool of the "界面" page: the element chooser `Combo5`, the
// buttons `Command7`(0) … (4) "居中", "上移", "左移", "右移", "下移" that
// repeat while held, and `Check7` "调整大小", with which 上移 and 下移 step
// the element's size up and down its size list.
class AdjustmentPanel : public QGroupBox
{
    Q_OBJECT
public:
    enum Button
    {
        Centre,
        Up,
        Left,
        Right,
        Down,
        ButtonCount
    };
    // `sizeBox(row)` is the size box of an appearance row.
    AdjustmentPanel(std::function<QComboBox*(int)> sizeBox, QWidget* parent = nullptr);

    void setScreen(AdjustableScreen* screen) { m_screen = screen; }
    // The end phase's prompt text, shown as the end text while sizing.
    void setEndText(std::function<QString()> endText) { m_endText = std::move(endText); }
    // The dialog closes: what was shown for adjusting goes again.
    void finish();

    QComboBox* chooser = nullptr; // `Combo5`
    std::array<QPushButton*, ButtonCount> buttons{};
    QCheckBox* sizing = nullptr; // `Check7`
    QTimer* repeat = nullptr;    // `Timer2`

    // How often a held button repeats its step.
    static constexpr int kRepeatMilliseconds = 100;
    // How far one step moves an element.
    static constexpr int kStepTwips = 50;

private:
    void chosen(int target);
    void pressed(int button);
    void step();
    void sizingToggled(bool on);
    // The appearance row whose size an element takes; -1 for the logo.
    static int sizeRow(int target);

    std::function<QComboBox*(int)> m_sizeBox;
    std::function<QString()> m_endText;
    AdjustableScreen* m_screen = nullptr;
    int m_pressed = -1;
    bool m_used = false;
};

} // namespace melvanta
