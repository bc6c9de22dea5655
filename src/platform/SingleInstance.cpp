#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

namespace melvanta {

namespace {

// A copy that has just made its lock opens its socket a moment later.
constexpr int kStartingCopyWaitMs = 2000;
constexpr int kAnswerWaitMs = 1000;
const QByteArray kFrontRequest = "front\n";

bool processAlive(qint64 pid)
{
    if (pid <= 0)
        return false;
#ifdef Q_OS_UNIX
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#else
    return true; // the socket decides
#endif
}

struct LockContent
{
    qint64 pid = 0;
    QString folder;
};

LockContent readLock(const QString& path)
{
    QFile file(path);
    LockContent content;
    if (!file.open(QIODevice::ReadOnly))
        return content;
    content.pid = file.readLine(32).trimmed().toLongLong();
    content.folder = QString::fromUtf8(file.readLine(8192)).trimmed();
    return content;
}

} // namespace

SingleInstance::SingleInstance(const QString& programFolder, QObject* parent)
    : QObject(parent), m_folder(QDir::cleanPath(QFileInfo(programFolder).absoluteFilePath()))
{
    const QString id =
        QString::fromLatin1(QCryptographicHash::hash(m_folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    const QString base = QDir::tempPath() + QStringLiteral("/melvanta-") + id;
    m_lockPath = base + QStringLiteral(".lock");
    m_serverName = base + QStringLiteral(".socket");
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    // A copy that took the lock over since then keeps its own.
    if (m_ownsLock && readLock(m_lockPath).pid == QCoreApplication::applicationPid())
        QFile::remove(m_lockPath);
}

SingleInstance::Claim SingleInstance::claim()
{
    if (askRunningCopy())
        return Claim::RunningElsewhere;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (createLock()) {
            listen();
            return Claim::Owner;
        }
        const QFileInfo existing(m_lockPath);
        if (!existing.exists())
            break; // it could not be created at all
        if (!existing.isFile()) {
            m_problem = QStringLiteral("锁文件 %1 被一个文件夹占用，无法防止本程序同时运行两份").arg(m_lockPath);
            listen();
            return Claim::Unguarded;
        }
        const LockContent owner = readLock(m_lockPath);
        const bool maybeStarting =
            owner.pid != QCoreApplication::applicationPid() && owner.folder == m_folder && processAlive(owner.pid);
        if (maybeStarting && askRunningCopyFor(kStartingCopyWaitMs))
            return Claim::RunningElsewhere;
        // Stale, another folder's, or a process id that now belongs to
        // something else: this copy takes the lock over.
        QFile::remove(m_lockPath);
    }
    if (m_problem.isEmpty()) {
        QFile probe(m_lockPath);
        probe.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        m_problem =
            QStringLiteral("无法创建锁文件 %1（%2），无法防止本程序同时运行两份").arg(m_lockPath, probe.errorString());
    }
    listen();
    return Claim::Unguarded;
}

bool SingleInstance::createLock()
{
    QFile file(m_lockPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const QByteArray content = QByteArray::number(QCoreApplication::applicationPid()) + '\n' + m_folder.toUtf8() + '\n';
    m_ownsLock = file.write(content) == content.size() && file.flush();
    if (!m_ownsLock) {
        file.close();
        file.remove();
    }
    return m_ownsLock;
}

bool SingleInstance::askRunningCopy() const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(kAnswerWaitMs))
        return false;
    socket.write(kFrontRequest);
    if (!socket.waitForBytesWritten(kAnswerWaitMs))
        return false;
    QByteArray reply;
    const QDeadlineTimer deadline(kAnswerWaitMs);
    while (!reply.contains('\n') && !deadline.hasExpired() && socket.waitForReadyRead(int(deadline.remainingTime())))
        reply += socket.readAll();
    return QString::fromUtf8(reply).trimmed() == m_folder;
}

bool SingleInstance::askRunningCopyFor(int waitMs) const
{
    const QDeadlineTimer deadline(waitMs);
    do {
        if (askRunningCopy())
            return true;
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return false;
}

void SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a copy that crashed answers nobody.
    if (!m_server->listen(m_serverName)) {
        QLocalServer::removeServer(m_serverName);
        m_server->listen(m_serverName);
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::answer);
}

void SingleInstance::answer()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine(64) == kFrontRequest) {
                socket->write(m_folder.toUtf8() + '\n');
                socket->flush();
                Q_EMIT frontRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

} // namespace melvanta
