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

bool PendingRecords::save(QString* error)
{
    if (m_records.isEmpty()) {
        QFile file(m_filePath);
        m_saved = !file.exists() || file.remove();
        if (!m_saved && error)
            *error = file.errorString();
        return m_saved;
    }
    QSaveFile file(m_filePath);
    m_saved = file.open(QIODevice::WriteOnly);
    for (qsizetype i = 0; m_saved && i < m_records.size(); ++i) {
        const QByteArray line = m_records.at(i).toLine() + '\n';
        m_saved = file.write(line) == line.size();
    }
    // A failed flush (a full disk) must stop the commit, which would miss it
    // and put the short file in place of the old one.
    m_saved = m_saved && file.flush() && file.commit();
    if (!m_saved && error)
        *error = file.errorString().isEmpty() ? QStringLiteral("未知错误") : file.errorString();
    return m_saved;
}

bool PendingRecords::append(const TimingRecord& record, QString* error)
{
    const QMutexLocker lock(&m_mutex);
    m_records << record;
    return save(error);
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

int PendingRecords::unsavedCount() const
{
    const QMutexLocker lock(&m_mutex);
    return m_saved ? 0 : int(m_records.size());
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
