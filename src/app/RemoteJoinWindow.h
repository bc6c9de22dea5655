#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;

namespace melvanta {

// "网络遥控": how a phone joins the clock — the addresses the remote
// listens on, the view link and the control link with its key, as text to
// copy and as QR codes, and a button that issues a new control key (the
// old one stops working at once).
class RemoteJoinWindow : public QDialog
{
    Q_OBJECT
public:
    struct Hooks
    {
        bool listening = false; // the remote runs now
        int port = 0;
        bool loopbackOnly = false;
        std::function<QString()> key;
        std::function<QString()> renewKey; // the new key
    };
    RemoteJoinWindow(Hooks hooks, QWidget* parent = nullptr);

    // The addresses a phone may use, the first one first.
    static QStringList joinAddresses(bool loopbackOnly);

private:
    void showLinks();

    Hooks m_hooks;
    QComboBox* m_address = nullptr;
    QLineEdit* m_viewLink = nullptr;
    QLineEdit* m_controlLink = nullptr;
    QLabel* m_viewCode = nullptr;
    QLabel* m_controlCode = nullptr;
};

} // namespace melvanta
