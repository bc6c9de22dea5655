#include "input/TrayIcon.h"

#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

namespace melvanta {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent)
{}

TrayIcon::~TrayIcon()
{
    DelTrayIcon();
}

void TrayIcon::AddTrayIcon(const QIcon& icon, QMenu* menu)
{
    if (!m_icon)
        m_icon = new QSystemTrayIcon(icon, this);
    // The tray itself opens the menu on a right click; the other clicks
    // (activated with Trigger, DoubleClick, MiddleClick) are left unanswered.
    m_icon->setContextMenu(menu);
    m_icon->show();
}

void TrayIcon::SetTrayTip(const QString& text)
{
    if (m_icon)
        m_icon->setToolTip(text.left(kMostTipCharacters));
}

void TrayIcon::DelTrayIcon()
{
    if (!m_icon)
        return;
    m_icon->hide();
    delete m_icon;
    m_icon = nullptr;
}

} // namespace melvanta
