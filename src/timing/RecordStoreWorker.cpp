#include "timing/RecordStoreWorker.h"

#include "timing/PendingRecords.h"

#include <QThread>
#include <QTimer>

namespace melvanta {

RecordStoreWorker::RecordStoreWorker(PendingRecords& pending, const QString& databasePath, int retryIntervalMs)
    : m_pending(pending), m_database(databasePath), m_retry(new QTimer(this))
{
    m_retry->setSingleShot(true);
    m_retry->setInterval(retryIntervalMs);
    connect(m_retry, &QTimer::timeout, this, &RecordStoreWorker::storeAll);
}

void RecordStoreWorker::storeAll()
{
    m_retry->stop();
    m_pending.saveIfUnsaved();
    // Shutting down leaves the rest in the pending file for the next start.
    while (!QThread::currentThread()->isInterruptionRequested()) {
        const std::optional<TimingRecord> next = m_pending.first();
        if (!next) {
            m_deferring = false;
            return;
        }
        const RecordDatabase::Result result = m_database.store(*next);
        if (!result.asidePath.isEmpty())
            Q_EMIT damagedDatabaseReplaced(result.asidePath);
        if (result.outcome == RecordDatabase::Outcome::Unavailable) {
            if (!m_deferring) {
                m_deferring = true;
                Q_EMIT deferred(result.error);
            }
            m_retry->start();
            return;
        }
        m_pending.remove(next->key);
    }
}

} // namespace melvanta
