#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace melvanta {

// What the network remote tells its views and panels about the clock: one
// snapshot, made on the clock's side and sent as JSON.
struct RemoteSnapshot
{
    enum class Status
    {
        Idle,
        Running,
        Paused,
        Overtime,
        Stopped
    };
    Status status = Status::Idle;
    int stageIndex = -1; // in the stored stage list, -1 for a stage of its own
    QString stageName;
    int nextIndex = -1;
    QString nextName;
    int phase = -1; // the alert phase 0 start … 6 end, -1 for none
    QString text;   // what the clock shows
    QString prompt; // the prompt line
    QString title, subtitle;
    QString clockColour; // "#rrggbb"
    QString backgroundColour;
    bool flashing = false;
    bool countsDown = true;
    qint64 durationMs = 0;
    qint64 remainingMs = 0; // its whole seconds are the seconds the clock shows
    qint64 elapsedMs = 0;
    qint64 overtimeMs = 0;
    std::optional<qint64> endsAt; // epoch ms at which the remaining time reaches 0; none while paused
    qint64 serverNow = 0;         // epoch ms when the snapshot was made
    QString message;              // to the speaker; empty when none
    bool messageFlashes = false;
    bool messageOnScreen = false;
    QString startCaption, pauseCaption; // as the command menu shows them
    QStringList stages;                 // the stored stages' names, in the list's order
};

QString statusName(RemoteSnapshot::Status status);
QJsonObject toJson(const RemoteSnapshot& snapshot);

} // namespace melvanta
