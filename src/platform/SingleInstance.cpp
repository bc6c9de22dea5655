#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace melvanta {

SingleInstance::SingleInstance(const QString& programFolder)
{
    // One lock per program folder, in the temporary folder so that a
    // read-only installation works too.
    const QByteArray id =
        QCryptographicHash::hash(QFileInfo(programFolder).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    m_path = QDir::tempPath() + QStringLiteral("/melvanta-") + QString::fromLatin1(id) + QStringLiteral(".lock");
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    m_lock = std::make_unique<QLockFile>(m_path);
    // Never treat a live owner's lock as stale because of its age: a clock
    // may run for days. A dead owner is detected by its process id.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    m_lock.reset();
    return false;
}

} // namespace melvanta
