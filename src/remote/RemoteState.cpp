#include "remote/RemoteState.h"

#include <QJsonArray>
#include <QJsonValue>

namespace melvanta {

QString statusName(RemoteSnapshot::Status status)
{
    switch (status) {
    case RemoteSnapshot::Status::Running:
        return QStringLiteral("running");
    case RemoteSnapshot::Status::Paused:
        return QStringLiteral("paused");
    case RemoteSnapshot::Status::Overtime:
        return QStringLiteral("overtime");
    case RemoteSnapshot::Status::Stopped:
        return QStringLiteral("stopped");
    case RemoteSnapshot::Status::Idle:
        break;
    }
    return QStringLiteral("idle");
}

QJsonObject toJson(const RemoteSnapshot& s)
{
    auto stage = [](int index, const QString& name) {
        return index < 0 && name.isEmpty() ? QJsonValue() : QJsonValue(QJsonObject{{"index", index}, {"name", name}});
    };
    QJsonArray stages;
    for (int i = 0; i < s.stages.size(); ++i)
        stages.append(QJsonObject{{"index", i}, {"name", s.stages.at(i)}});
    QJsonObject message;
    if (!s.message.isEmpty())
        message = QJsonObject{{"text", s.message}, {"flash", s.messageFlashes}, {"onScreen", s.messageOnScreen}};
    return QJsonObject{
        {"status", statusName(s.status)},
        {"stage", stage(s.stageIndex, s.stageName)},
        {"next", stage(s.nextIndex, s.nextName)},
        {"phase", s.phase < 0 ? QJsonValue() : QJsonValue(s.phase)},
        {"text", s.text},
        {"prompt", s.prompt},
        {"title", s.title},
        {"subtitle", s.subtitle},
        {"clockColour", s.clockColour},
        {"backgroundColour", s.backgroundColour},
        {"flashing", s.flashing},
        {"countsDown", s.countsDown},
        {"durationMs", double(s.durationMs)},
        {"remainingMs", double(s.remainingMs)},
        {"elapsedMs", double(s.elapsedMs)},
        {"overtimeMs", double(s.overtimeMs)},
        {"endsAt", s.endsAt ? QJsonValue(double(*s.endsAt)) : QJsonValue()},
        {"serverNow", double(s.serverNow)},
        {"message", message.isEmpty() ? QJsonValue() : QJsonValue(message)},
        {"captions", QJsonObject{{"start", s.startCaption}, {"pause", s.pauseCaption}}},
        {"stages", stages},
    };
}

} // namespace melvanta
