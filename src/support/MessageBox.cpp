#include "support/MessageBox.h"

#include <QMessageBox>
#include <QTimer>

namespace melvanta {

namespace {
bool g_recordOnly = false;
QStringList g_recorded;
} // namespace

void MessageBox::inform(const QString& text, QWidget* parent)
{
    if (g_recordOnly) {
        g_recorded << text;
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageTitle), text, QMessageBox::Ok, parent);
    box.exec();
}

void MessageBox::notify(const QString& text, int milliseconds, QWidget* parent)
{
    if (g_recordOnly) {
        g_recorded << text;
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageTitle), text, QMessageBox::Ok, parent);
    QTimer::singleShot(milliseconds, &box, &QMessageBox::accept);
    box.exec();
}

void MessageBox::notice(const QString& text, int milliseconds, QWidget* parent)
{
    if (g_recordOnly) {
        g_recorded << text;
        return;
    }
    auto* box =
        new QMessageBox(QMessageBox::Information, QString::fromLatin1(kMessageTitle), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    QTimer::singleShot(milliseconds, box, &QMessageBox::close);
    box->show();
}

void MessageBox::setTestHook(bool recordInsteadOfShowing)
{
    g_recordOnly = recordInsteadOfShowing;
    g_recorded.clear();
}

QStringList MessageBox::takeRecordedMessages()
{
    QStringList messages;
    messages.swap(g_recorded);
    return messages;
}

} // namespace melvanta
