#include "timing/PendingRecords.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSaveFile>

#include <utility>

namespace melvanta {

PendingRecords::PendingRecords(QString filePath) : m_filePath(std::move(filePath))
{
    load();
}

void PendingRecords::load()
{
    QFile file(m_filePath);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("timing records waiting in %s cannot be read: %s", qPrintable(m_filePath),
                 qPrintable(file.errorString()));
        return;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        if (const std::optional<TimingRecord> record = TimingRecord::fromLine(line))
            m_records << *record;
        else
            qWarning("a line in %s is no timing record and is left out", qPrintable(m_filePath));
    }
}

bool PendingRecords::save()
{
    if (m_records.isEmpty()) {
        m_saved = !QFile::exists(m_filePath) || QFile::remove(m_filePath);
        return m_saved;
    }
    QSaveFile file(m_filePath);
    if (file.open(QIODevice::WriteOnly)) {
        for (const TimingRecord& record : std::as_const(m_records))
            file.write(record.toLine() + '\n');
        m_saved = file.commit();
    } else {
        m_saved = false;
    }
    return m_saved;
}

bool PendingRecords::append(const TimingRecord& record)
{
    const QMutexLocker lock(&m_mutex);
    m_records << record;
    return save();
}

std::optional<TimingRecord> PendingRecords::first() const
{
    const QMutexLocker lock(&m_mutex);
    if (m_records.isEmpty())
        return std::nullopt;
    return m_records.first();
}

void PendingRecords::remove(qint64 key)
{
    const QMutexLocker lock(&m_mutex);
    for (qsizetype i = 0; i < m_records.size(); ++i) {
        if (m_records.at(i).key == key) {
            m_records.removeAt(i);
            break;
        }
    }
    // A record left in the file because this write failed is in the database
    // already and is skipped by its key when it is read again.
    save();
    if (m_records.isEmpty())
        m_emptied.wakeAll();
}

void PendingRecords::saveIfUnsaved()
{
    const QMutexLocker lock(&m_mutex);
    if (!m_saved)
        save();
}

int PendingRecords::count() const
{
    const QMutexLocker lock(&m_mutex);
    return int(m_records.size());
}

bool PendingRecords::waitUntilEmpty(int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    QMutexLocker lock(&m_mutex);
    while (!m_records.isEmpty()) {
        if (!m_emptied.wait(&m_mutex, deadline))
            break;
    }
    return m_records.isEmpty();
}

} // namespace melvanta
