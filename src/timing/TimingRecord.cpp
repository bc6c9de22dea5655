#include "timing/TimingRecord.h"

#include "timing/RunState.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

namespace melvanta {

namespace {

// Whole seconds of a millisecond total, a half rounding to the even second
// (1500 ms is 2 s, 2500 ms is 2 s too). A negative total counts as 0.
qint64 roundedSeconds(qint64 milliseconds)
{
    if (milliseconds <= 0)
        return 0;
    qint64 seconds = milliseconds / 1000;
    const qint64 rest = milliseconds % 1000;
    if (rest > 500 || (rest == 500 && seconds % 2 != 0))
        ++seconds;
    return seconds;
}

// A millisecond total as "hh:mm:ss". Totals of a day or more keep their
// real hours ("25:01:01"): long overtime or pauses must not read as short ones.
QString totalText(qint64 milliseconds)
{
    const qint64 seconds = roundedSeconds(milliseconds);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

const QString kKey = QStringLiteral("key");
const QString kSetTime = QStringLiteral("set_time");
const QString kUseTime = QStringLiteral("use_time");
const QString kOutTime = QStringLiteral("out_time");
const QString kPauseTime = QStringLiteral("pause_time");
const QString kFilename = QStringLiteral("filename");

} // namespace

TimingRecord TimingRecord::fromRun(const RunState& state, const QDateTime& now, qint64 key)
{
    TimingRecord record;
    record.key = key;
    record.setTime = state.setDuration;
    record.useTime = totalText(state.accumulatedMs[1]);
    record.outTime = totalText(state.accumulatedMs[2]);
    record.pauseTime = totalText(state.accumulatedMs[3]);
    record.filename =
        state.stageLabel.isEmpty() ? now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) : state.stageLabel;
    return record;
}

qint64 TimingRecord::newKey()
{
    qint64 key = 0;
    while (key == 0)
        key = static_cast<qint64>(QRandomGenerator::system()->generate64() >> 2);
    return key;
}

QByteArray TimingRecord::toLine() const
{
    // The key as text: JSON readers in general hold numbers as doubles,
    // which lose the low bits of a 62-bit key.
    const QJsonObject object{{kKey, QString::number(key)}, {kSetTime, setTime},     {kUseTime, useTime},
                             {kOutTime, outTime},          {kPauseTime, pauseTime}, {kFilename, filename}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<TimingRecord> TimingRecord::fromLine(const QByteArray& line)
{
    const QJsonDocument document = QJsonDocument::fromJson(line);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    bool ok = false;
    TimingRecord record;
    record.key = object.value(kKey).toString().toLongLong(&ok);
    if (!ok || record.key == 0)
        return std::nullopt;
    record.setTime = object.value(kSetTime).toString();
    record.useTime = object.value(kUseTime).toString();
    record.outTime = object.value(kOutTime).toString();
    record.pauseTime = object.value(kPauseTime).toString();
    record.filename = object.value(kFilename).toString();
    return record;
}

} // namespace melvanta
