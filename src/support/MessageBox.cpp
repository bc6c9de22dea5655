#include "support/MessageBox.h"

#include <QMessageBox>
#include <QTimer>

namespace melvanta {

namespace {

bool g_recordOnly = false;
QList<MessageBox::Recorded> g_recorded;
MessageBox::Answer g_nextAnswer = MessageBox::Answer::No;

QMessageBox::Icon boxIcon(MessageBox::Icon icon)
{
    switch (icon) {
    case MessageBox::Icon::Information:
        return QMessageBox::Information;
    case MessageBox::Icon::Question:
        return QMessageBox::Question;
    case MessageBox::Icon::Exclamation:
        return QMessageBox::Warning;
    case MessageBox::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

bool recorded(const MessageBox::Recorded& box)
{
    if (g_recordOnly)
        g_recorded << box;
    return g_recordOnly;
}

} // namespace

void MessageBox::inform(const QString& text, QWidget* parent, Icon icon, const QString& title)
{
    if (recorded({text, title, icon, 0, false}))
        return;
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Ok, parent);
    box.exec();
}

void MessageBox::post(const QString& text, QWidget* parent, const QString& title)
{
    if (recorded({text, title, Icon::None, 0, false}))
        return;
    auto* box = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

MessageBox::Answer MessageBox::ask(const QString& text, QWidget* parent, const QString& title)
{
    if (recorded({text, title, Icon::Question, 0, true})) {
        const Answer answer = g_nextAnswer;
        g_nextAnswer = Answer::No;
        return answer;
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void MessageBox::notify(const QString& text, int milliseconds, QWidget* parent)
{
    const QString title = QString::fromLatin1(kMessageTitle);
    if (recorded({text, title, Icon::None, milliseconds, false}))
        return;
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    QTimer::singleShot(milliseconds, &box, &QMessageBox::accept);
    box.exec();
}

void MessageBox::notice(const QString& text, int milliseconds, QWidget* parent, const QString& title)
{
    if (recorded({text, title, Icon::Information, milliseconds, false}))
        return;
    auto* box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The operator may be typing: the notice shows without taking the focus.
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    box->setModal(false);
    QTimer::singleShot(milliseconds, box, &QMessageBox::close);
    box->show();
}

void MessageBox::setTestHook(bool recordInsteadOfShowing)
{
    g_recordOnly = recordInsteadOfShowing;
    g_recorded.clear();
    g_nextAnswer = Answer::No;
}

void MessageBox::setNextAnswer(Answer answer)
{
    g_nextAnswer = answer;
}

QStringList MessageBox::takeRecordedMessages()
{
    QStringList texts;
    for (const Recorded& box : takeRecordedBoxes())
        texts << box.text;
    return texts;
}

QList<MessageBox::Recorded> MessageBox::takeRecordedBoxes()
{
    QList<Recorded> boxes;
    boxes.swap(g_recorded);
    return boxes;
}

} // namespace melvanta
