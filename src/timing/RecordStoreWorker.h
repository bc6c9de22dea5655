#pragma once

#include "timing/RecordDatabase.h"

#include <QObject>
#include <QString>

class QTimer;

namespace melvanta {

class PendingRecords;

// Lives on the storing thread and moves pending records into the database,
// oldest first, each once. While the database refuses them it tries again
// about once a second by itself.
class RecordStoreWorker : public QObject
{
    Q_OBJECT

public:
    RecordStoreWorker(PendingRecords& pending, const QString& databasePath, int retryIntervalMs = 1000);

public Q_SLOTS:
    // Stores every pending record, stopping at the first that cannot be stored.
    void storeAll();

Q_SIGNALS:
    // The first record that could not be stored since the queue was last
    // empty; `error` is the database's text.
    void deferred(const QString& error);
    void damagedDatabaseReplaced(const QString& asidePath);

private:
    PendingRecords& m_pending;
    RecordDatabase m_database;
    QTimer* m_retry;
    bool m_deferring = false;
};

} // namespace melvanta
