#include "app/RemoteJoinWindow.h"

#include "app/QrImage.h"
#include "support/DialogButton.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace melvanta {

namespace {

constexpr int kModulePixels = 4;

QLineEdit* linkBox(const char* name, const char* accessibleName, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(QString::fromUtf8(accessibleName));
    box->setReadOnly(true);
    box->setMinimumWidth(380);
    return box;
}

QLabel* codeLabel(const char* name, const char* accessibleName, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAccessibleName(QString::fromUtf8(accessibleName));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

QStringList RemoteJoinWindow::joinAddresses(bool loopbackOnly)
{
    if (loopbackOnly)
        return {QStringLiteral("127.0.0.1")};
    QStringList addresses;
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            addresses << address.toString();
    }
    addresses << QStringLiteral("127.0.0.1");
    return addresses;
}

RemoteJoinWindow::RemoteJoinWindow(Hooks hooks, QWidget* parent) : QDialog(parent), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("Frm_remote"));
    setWindowTitle(QStringLiteral("网络遥控"));
    auto* layout = new QVBoxLayout(this);
    QPushButton* close = dialogButton("Command3", "关闭", this);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    if (!m_hooks.listening) {
        auto* off =
            new QLabel(QStringLiteral("网络遥控没有开启。请在“设置”的“系统”页勾选“网络遥控”，然后应用。"), this);
        off->setObjectName(QStringLiteral("Label_off"));
        off->setWordWrap(true);
        layout->addWidget(off);
        layout->addWidget(close, 0, Qt::AlignRight);
        return;
    }
    auto* grid = new QGridLayout;
    m_address = new QComboBox(this);
    m_address->setObjectName(QStringLiteral("Combo_address"));
    m_address->setAccessibleName(QStringLiteral("地址"));
    m_address->addItems(joinAddresses(m_hooks.loopbackOnly));
    m_viewLink = linkBox("Text_view", "观看链接", this);
    m_controlLink = linkBox("Text_control", "控制链接", this);
    m_viewCode = codeLabel("Image_view", "观看链接二维码", this);
    m_controlCode = codeLabel("Image_control", "控制链接二维码", this);
    grid->addWidget(new QLabel(QStringLiteral("地址"), this), 0, 0);
    grid->addWidget(m_address, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("观看"), this), 1, 0);
    grid->addWidget(m_viewLink, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("控制"), this), 2, 0);
    grid->addWidget(m_controlLink, 2, 1);
    layout->addLayout(grid);
    auto* codes = new QHBoxLayout;
    codes->addWidget(m_viewCode);
    codes->addWidget(m_controlCode);
    layout->addLayout(codes);
    auto* hint = new QLabel(QStringLiteral("控制链接含有控制密钥，只交给操作人员。"), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* buttons = new QHBoxLayout;
    QPushButton* renew = dialogButton("Command_renew", "新密钥", this);
    buttons->addWidget(renew);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_address, &QComboBox::currentIndexChanged, this, &RemoteJoinWindow::showLinks);
    connect(renew, &QPushButton::clicked, this, [this] {
        if (m_hooks.renewKey)
            m_hooks.renewKey();
        showLinks();
    });
    showLinks();
}

void RemoteJoinWindow::showLinks()
{
    const QString base = QStringLiteral("http://%1:%2").arg(m_address->currentText()).arg(m_hooks.port);
    const QString view = base + QStringLiteral("/view");
    const QString control = base + QStringLiteral("/control?token=") + (m_hooks.key ? m_hooks.key() : QString());
    m_viewLink->setText(view);
    m_controlLink->setText(control);
    m_viewCode->setPixmap(QPixmap::fromImage(qrImage(view, kModulePixels)));
    m_controlCode->setPixmap(QPixmap::fromImage(qrImage(control, kModulePixels)));
}

} // namespace melvanta
