#include "timing/TimingRecordWriter.h"

#include "storage/RegistryStore.h"
#include "timing/PendingRecords.h"
#include "timing/RecordStoreWorker.h"
#include "timing/TimingRecord.h"

#include <QMetaObject>

namespace melvanta {

TimingRecordWriter::TimingRecordWriter(const RegistryStore& registry, QString databasePath, QObject* parent)
    : QObject(parent), m_registry(registry), m_pending(std::make_unique<PendingRecords>(pendingFilePath(databasePath))),
      m_worker(new RecordStoreWorker(*m_pending, databasePath))
{
    m_thread.setObjectName(QStringLiteral("timing records"));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &RecordStoreWorker::deferred, this, [this](const QString& error) {
        qWarning("a timing record waits for the database: %s", qPrintable(error));
        Q_EMIT recordDeferred(QStringLiteral("计时记录暂时无法保存到数据库，已先行保留，稍后将自动补存"));
    });
    connect(m_worker, &RecordStoreWorker::damagedDatabaseReplaced, this, &TimingRecordWriter::damagedDatabaseReplaced);
    m_thread.start();
}

TimingRecordWriter::~TimingRecordWriter()
{
    m_thread.requestInterruption();
    m_thread.quit();
    m_thread.wait();
    if (const int lost = m_pending->unsavedCount())
        qWarning("%d timing records end with the program: %s cannot be written", lost,
                 qPrintable(m_pending->filePath()));
}

QString TimingRecordWriter::pendingFilePath(const QString& databasePath)
{
    return databasePath + QStringLiteral(".pending");
}

bool TimingRecordWriter::WriteTimingRecord(RunState& state, const QDateTime& now)
{
    if (m_registry.number(QString::fromLatin1(RegistryValue::Time_Record), 0) == 0)
        return false;
    const TimingRecord record = TimingRecord::fromRun(state, now, TimingRecord::newKey());
    // The first record of a session names the stage by its time; later
    // records keep that name, whenever this one reaches the database.
    state.stageLabel = record.filename;
    QString error;
    const bool saved = m_pending->append(record, &error);
    if (!saved && !m_toldUnsaved) {
        m_toldUnsaved = true;
        qWarning("timing records wait in memory only, %s cannot be written: %s", qPrintable(m_pending->filePath()),
                 qPrintable(error));
        Q_EMIT recordsUnsaved(
            QStringLiteral("无法保存计时记录到 %1（%2），记录暂存在内存中，数据库可以写入时将自动存入；"
                           "程序退出时仍未存入的记录将丢失")
                .arg(m_pending->filePath(), error));
    }
    // The database may take it even when the pending file did not.
    storePending();
    return saved;
}

void TimingRecordWriter::storePending()
{
    QMetaObject::invokeMethod(m_worker, &RecordStoreWorker::storeAll, Qt::QueuedConnection);
}

bool TimingRecordWriter::waitUntilStored(int timeoutMs) const
{
    QMetaObject::invokeMethod(m_worker, &RecordStoreWorker::storeAll, Qt::QueuedConnection);
    return m_pending->waitUntilEmpty(timeoutMs);
}

int TimingRecordWriter::pendingCount() const
{
    return m_pending->count();
}

} // namespace melvanta
