#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace melvanta {

// Every message the program shows goes through here, titled "Melvanta".
// Tests switch on the test hook so that no message ever blocks: messages
// are then recorded instead of shown.
class MessageBox
{
public:
    // A plain modal message with an OK button.
    static void inform(const QString& text, QWidget* parent = nullptr);
    // A notice that closes itself after `milliseconds`.
    static void notify(const QString& text, int milliseconds, QWidget* parent = nullptr);
    // The same without waiting for it: the caller goes on at once (a notice
    // that comes while the clock is counting).
    static void notice(const QString& text, int milliseconds, QWidget* parent = nullptr);

    static void setTestHook(bool recordInsteadOfShowing);
    static QStringList takeRecordedMessages();
};

inline constexpr char kMessageTitle[] = "Melvanta";

} // namespace melvanta
