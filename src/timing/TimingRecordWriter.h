#pragma once

#include "timing/RecordSink.h"
#include "timing/RunState.h"

#include <QDateTime>
#include <QString>

namespace melvanta {

class RegistryStore;

// Appends one row to `timesum` at the end of every run while the per-user
// value `Time_Record` is on. Never disturbs the run: a missing, locked or
// damaged database loses only that one row.
class TimingRecordWriter : public RecordSink
{
public:
    TimingRecordWriter(const RegistryStore& registry, QString databasePath);

    // Writes the row for `state` (set time, used, overtime and pause times,
    // stage label). An empty `stageLabel` becomes `now` as
    // "yyyy-MM-dd hh:mm:ss" and is kept in `state`. True when a row was written.
    bool WriteTimingRecord(RunState& state, const QDateTime& now = QDateTime::currentDateTime()) override;

private:
    const RegistryStore& m_registry;
    QString m_databasePath;
};

} // namespace melvanta
