#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace melvanta {

inline constexpr char kMessageTitle[] = "Melvanta";
// The notice of the stage list and the records window when delete is
// clicked with no row selected.
inline constexpr char kSelectRowsToDelete[] =
    "请鼠标选中待删除的行\r\n同时按下shift按钮可连续多选\r\n同时按下Ctrl按钮可间隔多选";

// Every message the program shows goes through here, titled "Melvanta"
// unless told otherwise. Tests switch on the test hook so that no message
// ever blocks: messages are then recorded instead of shown, and a question
// takes the answer set with setNextAnswer() (No when none was set).
class MessageBox
{
public:
    enum class Icon
    {
        None,
        Information,
        Question,
        Exclamation
    };
    enum class Answer
    {
        Ok,
        Yes,
        No
    };

    // A plain modal message with an OK button.
    static void inform(const QString& text, QWidget* parent = nullptr, Icon icon = Icon::None,
                       const QString& title = QString::fromLatin1(kMessageTitle));
    // A message with an OK button that the caller does not wait for: the
    // box stays until the operator closes it.
    static void post(const QString& text, QWidget* parent = nullptr,
                     const QString& title = QString::fromLatin1(kMessageTitle));
    // A question with the buttons 是 and 否; modal.
    static Answer ask(const QString& text, QWidget* parent = nullptr,
                      const QString& title = QString::fromLatin1(kMessageTitle));
    // A modal notice that closes itself after `milliseconds`.
    static void notify(const QString& text, int milliseconds, QWidget* parent = nullptr);
    // A notice that closes itself after `milliseconds` without waiting for
    // it and without taking the keyboard focus: the caller goes on at once
    // (a notice while the clock counts, or while the operator types in a box).
    static void notice(const QString& text, int milliseconds, QWidget* parent = nullptr,
                       const QString& title = QString::fromLatin1(kMessageTitle));

    // What a recorded box was.
    struct Recorded
    {
        QString text;
        QString title;
        Icon icon = Icon::None;
        int milliseconds = 0; // self-closing after this long; 0 until answered
        bool question = false;
    };
    static void setTestHook(bool recordInsteadOfShowing);
    static void setNextAnswer(Answer answer);
    // The texts of the boxes recorded so far, emptying the record.
    static QStringList takeRecordedMessages();
    // The same with titles, icons and times.
    static QList<Recorded> takeRecordedBoxes();
};

} // namespace melvanta
