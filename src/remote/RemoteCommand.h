#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

class QUrlQuery;

namespace melvanta {

// A command from the network remote: the same run commands the buttons,
// hotkeys and tray give, and the remote's own (more time, a message to the
// speaker).
struct RemoteCommand
{
    enum class Kind
    {
        Start,
        Stop,
        Pause,
        Resume,
        Toggle,
        Clear,
        Next,
        Previous,
        Load,    // `number`: the stored stage, 1 the first
        AddTime, // `number`: seconds, within ±kMostAddedSeconds
        Message, // `text`, `flash`, `onScreen`
        HideMessage
    };
    Kind kind = Kind::Start;
    int number = 0;
    QString text;
    bool flash = false;
    bool onScreen = false;

    static constexpr int kMostAddedSeconds = 3600;
    static constexpr int kLongestMessage = 500;

    // Start, stop and toggle: a second press within a moment is a double
    // press of a panel's button, not a second command.
    bool isStartOrStop() const { return kind == Kind::Start || kind == Kind::Stop || kind == Kind::Toggle; }
};

// A command or why there is none.
struct ParsedCommand
{
    std::optional<RemoteCommand> command;
    QString error;
};

// "/api/v1/start", "/api/v1/load/3", "/api/v1/addtime/-30",
// "/api/v1/message?text=…&flash=1&screen=1", "/api/v1/message/hide": the
// segments after "/api/v1/" and the query.
ParsedCommand parseCommand(const QStringList& segments, const QUrlQuery& query);
// The WebSocket form: {"cmd": "load", "n": 3}, {"cmd": "addtime", "seconds": -30},
// {"cmd": "message", "text": "…", "flash": true, "onScreen": false}.
ParsedCommand parseCommand(const QJsonObject& message);

} // namespace melvanta
