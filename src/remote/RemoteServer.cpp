#include "remote/RemoteServer.h"

#include "remote/RemoteControl.h"
#include "remote/RemoteKey.h"
#include "remote/RemoteState.h"

#include <QDateTime>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

// The pages live in the resources of this library, which a static link
// would otherwise leave out.
static void initialisePages()
{
    Q_INIT_RESOURCE(remote);
}

namespace melvanta {

namespace {

using Status = QHttpServerResponder::StatusCode;

// Takes connections only up to a limit, and closes a connection that has not
// become a WebSocket after a while: a client that sends its request a byte
// at a time cannot hold the server's sockets.
class GuardedTcpServer : public QTcpServer
{
public:
    GuardedTcpServer(std::function<bool(const QTcpSocket&)> isWebSocket, QObject* parent)
        : QTcpServer(parent), m_isWebSocket(std::move(isWebSocket))
    {}

protected:
    void incomingConnection(qintptr handle) override
    {
        // The server takes the signals of an upgraded socket away, so the
        // open connections are counted by looking, not by their signals.
        m_open.removeIf([](const QPointer<QTcpSocket>& socket) { return socket.isNull(); });
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(handle) || m_open.size() >= RemoteServer::kMostConnections) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        m_open.append(socket);
        QTimer::singleShot(RemoteServer::kIdleConnectionMs, this, [this, alive = QPointer<QTcpSocket>(socket)] {
            if (alive && !m_isWebSocket(*alive))
                alive->abort();
        });
        addPendingConnection(socket);
    }

private:
    std::function<bool(const QTcpSocket&)> m_isWebSocket;
    QList<QPointer<QTcpSocket>> m_open;
};

QByteArray header(const QHttpServerRequest& request, const char* name)
{
    for (const auto& [key, value] : request.headers()) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return QByteArray();
}

QByteArray contentType(const QString& path)
{
    if (path.endsWith(QLatin1String(".html")))
        return "text/html; charset=utf-8";
    if (path.endsWith(QLatin1String(".js")))
        return "text/javascript; charset=utf-8";
    if (path.endsWith(QLatin1String(".css")))
        return "text/css; charset=utf-8";
    if (path.endsWith(QLatin1String(".svg")))
        return "image/svg+xml";
    return "application/octet-stream";
}

void respond(QHttpServerResponder responder, Status status, const QByteArray& type, const QByteArray& body,
             const QList<std::pair<QByteArray, QByteArray>>& extra = {})
{
    responder.writeStatusLine(status);
    responder.writeHeader("Content-Type", type);
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    responder.writeHeader("Cache-Control", "no-store");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Referrer-Policy", "no-referrer");
    for (const auto& [key, value] : extra)
        responder.writeHeader(key, value);
    responder.writeBody(body);
}

void respondJson(QHttpServerResponder responder, Status status, const QJsonObject& body)
{
    respond(std::move(responder), status, "application/json", QJsonDocument(body).toJson(QJsonDocument::Compact));
}

QJsonObject failure(const QString& error)
{
    return QJsonObject{{"ok", false}, {"error", error}};
}

} // namespace

RemoteServer::RemoteServer(RemoteControl& control, QString key, QObject* parent)
    : QAbstractHttpServer(parent), m_control(control), m_key(std::move(key))
{
    initialisePages();
    m_clock.start();
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &RemoteServer::acceptWebSockets);
    // Changes are looked for 25 times a second: the shown second, a phase,
    // a pause or a message reach the views well within a tenth of a second.
    m_pushTimer.setInterval(40);
    connect(&m_pushTimer, &QTimer::timeout, this, &RemoteServer::pushIfChanged);
}

RemoteServer::~RemoteServer()
{
    // Closing a socket reports its end to this server, which is going.
    const QList<Viewer> viewers = std::exchange(m_sockets, {});
    for (const Viewer& viewer : viewers) {
        viewer.socket->disconnect(this);
        delete viewer.socket;
    }
}

bool RemoteServer::start(const RemoteConfig& config, QString* error)
{
    auto* tcp = new GuardedTcpServer(
        [this](const QTcpSocket& socket) {
            return std::any_of(m_sockets.cbegin(), m_sockets.cend(), [&socket](const Viewer& viewer) {
                return viewer.socket->peerPort() == socket.peerPort() &&
                       viewer.socket->peerAddress() == socket.peerAddress();
            });
        },
        this);
    const QHostAddress address =
        config.loopbackOnly ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(QHostAddress::Any);
    if (!tcp->listen(address, quint16(config.port))) {
        if (error)
            *error = QStringLiteral("网络遥控无法使用端口 %1：%2").arg(config.port).arg(tcp->errorString());
        delete tcp;
        return false;
    }
    bind(tcp);
    m_pushTimer.start();
    return true;
}

quint16 RemoteServer::port() const
{
    const QList<QTcpServer*> listening = servers();
    return listening.isEmpty() ? 0 : listening.first()->serverPort();
}

bool RemoteServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    const QString path = request.url().path(QUrl::FullyDecoded);
    const auto method = request.method();
    if (method != QHttpServerRequest::Method::Get && method != QHttpServerRequest::Method::Post) {
        respondJson(makeResponder(request, socket), Status::MethodNotAllowed,
                    failure(QStringLiteral("only GET and POST")));
        return true;
    }
    if (request.body().size() > kLargestBody || header(request, "Content-Length").toLongLong() > kLargestBody) {
        respondJson(makeResponder(request, socket), Status::PayloadTooLarge,
                    failure(QStringLiteral("the body is too large")));
        return true;
    }
    if (path.contains(QLatin1String("..")) || path.contains(QLatin1Char('\\'))) {
        respondJson(makeResponder(request, socket), Status::BadRequest, failure(QStringLiteral("bad path")));
        return true;
    }
    if (path == QLatin1String("/")) {
        respond(makeResponder(request, socket), Status::Found, "text/plain", QByteArray(), {{"Location", "/view"}});
        return true;
    }
    if (path == QLatin1String("/ws")) {
        // Taken with nothing written, the connection becomes a WebSocket.
        if (header(request, "Upgrade").compare("websocket", Qt::CaseInsensitive) == 0)
            return true;
        respondJson(makeResponder(request, socket), Status::BadRequest, failure(QStringLiteral("a WebSocket only")));
        return true;
    }
    if (path == QLatin1String("/api/v1/state") || path == QLatin1String("/api/state")) {
        respondJson(makeResponder(request, socket), Status::Ok, toJson(m_control.snapshot()));
        return true;
    }
    if (path.startsWith(QLatin1String("/api/v1/"))) {
        answerCommand(request, socket, path.mid(8).split(QLatin1Char('/')));
        return true;
    }
    // The views and their scripts, from the program's own resources.
    static const QStringList kViews{QStringLiteral("/view"), QStringLiteral("/speaker"), QStringLiteral("/control")};
    const QString resource = QStringLiteral(":/web") + (kViews.contains(path) ? path + QStringLiteral(".html") : path);
    QFile file(resource);
    if (path.size() > 1 && file.open(QIODevice::ReadOnly)) {
        respond(makeResponder(request, socket), Status::Ok, contentType(resource), file.readAll(),
                {{"Content-Security-Policy",
                  "default-src 'self'; connect-src 'self'; img-src 'self' data:; frame-ancestors 'none'"}});
        return true;
    }
    return false;
}

void RemoteServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    respondJson(makeResponder(request, socket), Status::NotFound, failure(QStringLiteral("not found")));
}

void RemoteServer::answerCommand(const QHttpServerRequest& request, QTcpSocket* socket, const QStringList& segments)
{
    const QString address = request.remoteAddress().toString();
    const qint64 now = m_clock.elapsed();
    if (!originAllowed(header(request, "Origin"), header(request, "Host"))) {
        respondJson(makeResponder(request, socket), Status::Forbidden,
                    failure(QStringLiteral("commands come from this clock's pages only")));
        return;
    }
    // An address that has just given a wrong key waits before it may try again.
    if (m_throttle.holdsBack(address, now)) {
        respondJson(makeResponder(request, socket), Status::TooManyRequests,
                    failure(QStringLiteral("wait before the next try")));
        return;
    }
    const QString presented =
        presentedKey(header(request, "Authorization"), header(request, "X-Api-Key"), request.query());
    if (!RemoteKey::matches(m_key, presented)) {
        m_throttle.failed(address, now);
        respondJson(makeResponder(request, socket), Status::Unauthorized,
                    failure(QStringLiteral("a valid control key is needed")));
        return;
    }
    m_throttle.succeeded(address);
    const ParsedCommand parsed = parseCommand(segments, request.query());
    if (!parsed.command) {
        respondJson(makeResponder(request, socket), Status::BadRequest, failure(parsed.error));
        return;
    }
    QString error;
    if (!parsed.command->isStartOrStop() || m_doublePress.accept(address, now))
        error = m_control.execute(*parsed.command);
    auto answer = [this, error](QHttpServerResponder responder) {
        QJsonObject body{{"ok", error.isEmpty()}, {"state", toJson(m_control.snapshot())}};
        if (!error.isEmpty())
            body.insert(QStringLiteral("error"), error);
        respondJson(std::move(responder), error.isEmpty() ? Status::Ok : Status::Conflict, body);
        pushIfChanged();
    };
    if (!m_control.isSettling()) {
        answer(makeResponder(request, socket));
        return;
    }
    // The answer waits for the run control's deferred start, so that the
    // state it carries is the one the command brought.
    auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
    QTimer::singleShot(kSettleMs, this, [answer, responder, alive = QPointer<QTcpSocket>(socket)] {
        if (alive)
            answer(std::move(*responder));
    });
}

QByteArray RemoteServer::stateMessage(const RemoteSnapshot& snapshot) const
{
    return QJsonDocument(QJsonObject{{"type", "state"}, {"state", toJson(snapshot)}}).toJson(QJsonDocument::Compact);
}

void RemoteServer::acceptWebSockets()
{
    while (hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = nextPendingWebSocketConnection();
        if (!socket)
            continue;
        if (m_sockets.size() >= kMostViewers) {
            socket->close(QWebSocketProtocol::CloseCodeTooMuchData, QStringLiteral("too many viewers"));
            continue;
        }
        Viewer viewer;
        viewer.socket = socket.release();
        viewer.client =
            viewer.socket->peerAddress().toString() + QLatin1Char(':') + QString::number(viewer.socket->peerPort());
        const QUrlQuery query(viewer.socket->requestUrl());
        const QByteArray origin = viewer.socket->origin().toUtf8();
        const QByteArray host = viewer.socket->request().rawHeader("Host");
        // Another site's page may not even watch: its scripts would read the room's clock.
        if (!originAllowed(origin, host)) {
            viewer.socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("another site"));
            viewer.socket->deleteLater();
            continue;
        }
        viewer.mayCommand =
            RemoteKey::matches(m_key, query.queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded));
        viewer.socket->setParent(this);
        // A client that floods frames or sends huge ones is cut off by the socket itself.
        viewer.socket->setMaxAllowedIncomingMessageSize(kLargestBody);
        viewer.socket->setMaxAllowedIncomingFrameSize(kLargestBody);
        connect(viewer.socket, &QWebSocket::textMessageReceived, this,
                [this, viewer](const QString& text) { socketMessage(viewer, text); });
        connect(viewer.socket, &QWebSocket::disconnected, this, [this, socket = viewer.socket] {
            m_sockets.removeIf([socket](const Viewer& v) { return v.socket == socket; });
            m_budgets.remove(socket);
            socket->deleteLater();
        });
        m_sockets.append(viewer);
        viewer.socket->sendTextMessage(QString::fromUtf8(stateMessage(m_control.snapshot())));
    }
}

void RemoteServer::socketMessage(Viewer viewer, const QString& text)
{
    if (text.size() > kLargestBody) {
        viewer.socket->close(QWebSocketProtocol::CloseCodeTooMuchData, QStringLiteral("message too long"));
        return;
    }
    if (!m_budgets[viewer.socket].take(m_clock.elapsed())) {
        viewer.socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("too many messages"));
        return;
    }
    const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
    const QString cmd = message.value(QStringLiteral("cmd")).toString();
    if (cmd == QLatin1String("ping")) {
        viewer.socket->sendTextMessage(
            QString::fromUtf8(QJsonDocument(QJsonObject{{"type", "pong"},
                                                        {"id", message.value(QStringLiteral("id"))},
                                                        {"serverNow", double(QDateTime::currentMSecsSinceEpoch())}})
                                  .toJson(QJsonDocument::Compact)));
        return;
    }
    const bool stillMayCommand =
        viewer.mayCommand &&
        RemoteKey::matches(
            m_key, QUrlQuery(viewer.socket->requestUrl()).queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded));
    if (!stillMayCommand) {
        viewer.socket->close(QWebSocketProtocol::CloseCodePolicyViolated,
                             QStringLiteral("a valid control key is needed"));
        return;
    }
    const ParsedCommand parsed = parseCommand(message);
    QString error = parsed.error;
    if (parsed.command && (!parsed.command->isStartOrStop() || m_doublePress.accept(viewer.client, m_clock.elapsed())))
        error = m_control.execute(*parsed.command);
    QJsonObject answer{{"type", "result"}, {"ok", error.isEmpty()}, {"id", message.value(QStringLiteral("id"))}};
    if (!error.isEmpty())
        answer.insert(QStringLiteral("error"), error);
    viewer.socket->sendTextMessage(QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact)));
    pushIfChanged();
}

void RemoteServer::pushIfChanged()
{
    if (m_sockets.isEmpty())
        return;
    const RemoteSnapshot snapshot = m_control.snapshot();
    // The times measured now change at every look; the shown text says when
    // a second has passed, and a drift of the end below a quarter second is
    // no change.
    RemoteSnapshot compared = snapshot;
    compared.serverNow = compared.remainingMs = compared.elapsedMs = compared.overtimeMs = 0;
    if (compared.endsAt)
        compared.endsAt = *compared.endsAt / 250;
    const QByteArray key = stateMessage(compared);
    if (key == m_lastPushed)
        return;
    m_lastPushed = key;
    const QString message = QString::fromUtf8(stateMessage(snapshot));
    for (const Viewer& viewer : std::as_const(m_sockets))
        viewer.socket->sendTextMessage(message);
}

} // namespace melvanta
