#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace melvanta {

struct RunState;

// One finished run as it goes into a row of `timesum`. The key goes into the
// otherwise unused leading column `ID`, so that a record that reached the
// database before the program went down is not stored a second time.
struct TimingRecord
{
    qint64 key = 0;
    QString setTime;   // set_time
    QString useTime;   // use_time
    QString outTime;   // out_time
    QString pauseTime; // pause_time
    QString filename;  // filename: the stage label

    // The record of `state`: the set duration as it is, the counted totals
    // rounded to whole seconds (a half to the even second) as "hh:mm:ss" (hours
    // beyond 23 as they are), and
    // the stage label, or `now` as "yyyy-MM-dd hh:mm:ss" when it is empty.
    static TimingRecord fromRun(const RunState& state, const QDateTime& now, qint64 key);

    // A key no other record has: 62 random bits, never 0.
    static qint64 newKey();

    // One line of UTF-8 JSON without the line break, and back; nothing for a
    // line that is not a record.
    QByteArray toLine() const;
    static std::optional<TimingRecord> fromLine(const QByteArray& line);

    bool operator==(const TimingRecord& o) const
    {
        return key == o.key && setTime == o.setTime && useTime == o.useTime && outTime == o.outTime &&
               pauseTime == o.pauseTime && filename == o.filename;
    }
};

} // namespace melvanta
