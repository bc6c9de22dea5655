#include "settings/HotkeyCaptureBox.h"

#include "input/HotkeyText.h"
#include "support/MessageBox.h"

#include <QKeyEvent>

namespace melvanta {

namespace {

constexpr int kNum0 = 96;

// With NumLock off the keypad's digits arrive as the keys printed under them.
int keypadDigit(int key)
{
    switch (key) {
    case Qt::Key_Insert:
        return 0;
    case Qt::Key_End:
        return 1;
    case Qt::Key_Down:
        return 2;
    case Qt::Key_PageDown:
        return 3;
    case Qt::Key_Left:
        return 4;
    case Qt::Key_Clear:
        return 5;
    case Qt::Key_Right:
        return 6;
    case Qt::Key_Home:
        return 7;
    case Qt::Key_Up:
        return 8;
    case Qt::Key_PageUp:
        return 9;
    default:
        break;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key - Qt::Key_0;
    return -1;
}

} // namespace

int virtualKeyOf(const QKeyEvent& event)
{
    const int key = event.key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return 13;
    if (event.modifiers() & Qt::KeypadModifier) {
        const int digit = keypadDigit(key);
        return digit < 0 ? 0 : kNum0 + digit;
    }
    if (key == Qt::Key_Space)
        return 32;
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 112 + (key - Qt::Key_F1);
    // Shift with a digit of the main row gives its symbol (on a US layout).
    static const QString kShiftedDigits = QStringLiteral(")!@#$%^&*(");
    const int shifted = key < 0x80 ? kShiftedDigits.indexOf(QChar(key)) : -1;
    if (shifted >= 0 && (event.modifiers() & Qt::ShiftModifier))
        return '0' + shifted;
    return 0;
}

int shiftStateOf(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    int state = 0;
    if ((modifiers & Qt::ShiftModifier) || event.key() == Qt::Key_Shift)
        state |= 1;
    if ((modifiers & Qt::ControlModifier) || event.key() == Qt::Key_Control)
        state |= 2;
    if ((modifiers & Qt::AltModifier) || event.key() == Qt::Key_Alt)
        state |= 4;
    return state;
}

HotkeyCaptureBox::HotkeyCaptureBox(QWidget* parent) : QLineEdit(parent)
{
    // The keys are captured from the keyboard, never typed as text.
    setReadOnly(true);
}

void HotkeyCaptureBox::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    if (event->isAutoRepeat())
        return;
    const int keyCode = virtualKeyOf(*event);
    const int shiftState = shiftStateOf(*event);
    if (isBareTypingKey(keyCode, shiftState)) {
        MessageBox::notice(QStringLiteral("单独的字母或数字键会使其他程序无法输入该键，请同时按下 Ctrl 或 Alt"), 2000,
                           this);
        return;
    }
    setText(capturedKeyText(keyCode, shiftState));
    Q_EMIT captured();
}

void HotkeyCaptureBox::keyReleaseEvent(QKeyEvent* event)
{
    event->accept();
    if (event->isAutoRepeat())
        return;
    if (text().isEmpty() || text().endsWith(QLatin1Char('+')))
        setText(QString::fromUtf8(kNoHotkey));
    end(false);
}

} // namespace melvanta
