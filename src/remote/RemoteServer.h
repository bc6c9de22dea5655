#pragma once

#include "remote/RemoteConfig.h"
#include "remote/RequestGuard.h"

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QTimer>

#include <memory>

class QWebSocket;

namespace melvanta {

class RemoteControl;
struct RemoteSnapshot;

// The clock on the room's network: the browser views (/view, /speaker,
// /control), the HTTP API for show-control panels (/api/v1/…) and the
// WebSocket (/ws) that pushes the state to the views and takes commands.
// Views need no key; every command needs the control key.
class RemoteServer : public QAbstractHttpServer
{
    Q_OBJECT
public:
    RemoteServer(RemoteControl& control, QString key, QObject* parent = nullptr);
    ~RemoteServer() override;

    // Listens as `config` says; false with `error` set when it cannot (a
    // port taken by another program, say).
    bool start(const RemoteConfig& config, QString* error);
    quint16 port() const;
    // A new key: the old one stops working at once, on every channel.
    void setKey(const QString& key) { m_key = key; }
    int viewerCount() const { return int(m_sockets.size()); }

    static constexpr int kLargestBody = 4096;
    static constexpr int kMostViewers = 64;
    static constexpr int kMostConnections = 128;
    static constexpr int kIdleConnectionMs = 10000;
    // A command's answer comes this long after it was carried out.
    static constexpr int kSettleMs = 200;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Viewer
    {
        QWebSocket* socket = nullptr;
        bool mayCommand = false;
        QString client;
    };
    void answerCommand(const QHttpServerRequest& request, QTcpSocket* socket, const QStringList& segments);
    void acceptWebSockets();
    void socketMessage(Viewer viewer, const QString& text);
    void pushIfChanged();
    QByteArray stateMessage(const RemoteSnapshot& snapshot) const;

    RemoteControl& m_control;
    QString m_key;
    FailureThrottle m_throttle;
    DoublePressFilter m_doublePress;
    QElapsedTimer m_clock;
    QList<Viewer> m_sockets;
    QHash<const QWebSocket*, MessageBudget> m_budgets;
    QTimer m_pushTimer;
    QByteArray m_lastPushed;
};

} // namespace melvanta
