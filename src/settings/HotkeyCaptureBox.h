#pragma once

#include <QLineEdit>

class QKeyEvent;

namespace melvanta {

// The virtual-key code of a pressed key as the key tables name it ("A" 65,
// "Num 1" 97, "F9" 120 …), 0 for a key outside them. A key of the numeric
// keypad counts as its digit with NumLock off too.
int virtualKeyOf(const QKeyEvent& event);
// Shift 1, Ctrl 2, Alt 4, the pressed key itself included when it is one of them.
int shiftStateOf(const QKeyEvent& event);

// A box that takes a hotkey from the keyboard (`Text4`(0) … (2)): the
// pressed combination is written as its key text, a release that leaves no
// usable key gives "无". A bare letter or digit is refused with a notice.
class HotkeyCaptureBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit HotkeyCaptureBox(QWidget* parent = nullptr);

Q_SIGNALS:
    // A key press wrote a new key text.
    void captured();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};

} // namespace melvanta
