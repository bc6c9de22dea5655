#pragma once

#include <QObject>

class QIcon;
class QMenu;
class QSystemTrayIcon;

namespace melvanta {

// The program's icon in the notification area (`cTray`): a right click
// opens the command menu, other clicks do nothing. Without a tray host the
// icon waits and appears once one starts.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    // The longest tip the notification area takes.
    static constexpr int kMostTipCharacters = 127;

    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // Shows the icon with `menu` as its right-click menu.
    void AddTrayIcon(const QIcon& icon, QMenu* menu);
    // Cut to kMostTipCharacters.
    void SetTrayTip(const QString& text);
    void DelTrayIcon();

    QSystemTrayIcon* systemTrayIcon() const { return m_icon; }

private:
    QSystemTrayIcon* m_icon = nullptr;
};

} // namespace melvanta
