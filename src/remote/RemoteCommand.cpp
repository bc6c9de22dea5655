#include "remote/RemoteCommand.h"

#include <QUrlQuery>

#include <utility>

namespace melvanta {

namespace {

const std::pair<const char*, RemoteCommand::Kind> kPlainCommands[] = {
    {"start", RemoteCommand::Kind::Start},   {"stop", RemoteCommand::Kind::Stop},
    {"pause", RemoteCommand::Kind::Pause},   {"resume", RemoteCommand::Kind::Resume},
    {"toggle", RemoteCommand::Kind::Toggle}, {"clear", RemoteCommand::Kind::Clear},
    {"next", RemoteCommand::Kind::Next},     {"previous", RemoteCommand::Kind::Previous},
};

ParsedCommand refused(const QString& error)
{
    return {std::nullopt, error};
}

ParsedCommand accepted(RemoteCommand command)
{
    return {command, QString()};
}

// A whole number written with digits and an optional sign, nothing else.
std::optional<int> wholeNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = !trimmed.isEmpty() && trimmed.size() <= 9;
    for (int i = 0; ok && i < trimmed.size(); ++i)
        ok = trimmed.at(i).isDigit() ||
             (i == 0 && (trimmed.at(i) == QLatin1Char('-') || trimmed.at(i) == QLatin1Char('+')));
    const int value = ok ? trimmed.toInt(&ok) : 0;
    return ok ? std::optional<int>(value) : std::nullopt;
}

bool switchOn(const QString& text)
{
    return text == QLatin1String("1") || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

ParsedCommand build(const QString& name, const std::optional<QString>& argument, const QString& text, bool flash,
                    bool onScreen)
{
    for (const auto& [plainName, kind] : kPlainCommands) {
        if (name == QLatin1String(plainName))
            return argument ? refused(QStringLiteral("%1 takes no argument").arg(name)) : accepted({kind});
    }
    if (name == QLatin1String("load")) {
        const std::optional<int> number = argument ? wholeNumber(*argument) : std::nullopt;
        if (!number || *number < 1)
            return refused(QStringLiteral("load needs a stage number from 1"));
        RemoteCommand command{RemoteCommand::Kind::Load};
        command.number = *number;
        return accepted(command);
    }
    if (name == QLatin1String("addtime")) {
        const std::optional<int> seconds = argument ? wholeNumber(*argument) : std::nullopt;
        if (!seconds)
            return refused(QStringLiteral("addtime needs seconds, such as 60 or -60"));
        RemoteCommand command{RemoteCommand::Kind::AddTime};
        command.number = qBound(-RemoteCommand::kMostAddedSeconds, *seconds, RemoteCommand::kMostAddedSeconds);
        return accepted(command);
    }
    if (name == QLatin1String("message")) {
        if (argument == QStringLiteral("hide"))
            return accepted({RemoteCommand::Kind::HideMessage});
        if (argument)
            return refused(QStringLiteral("message takes text, or hide"));
        if (text.size() > RemoteCommand::kLongestMessage)
            return refused(QStringLiteral("a message has at most %1 characters").arg(RemoteCommand::kLongestMessage));
        RemoteCommand command{RemoteCommand::Kind::Message};
        command.text = text;
        command.flash = flash;
        command.onScreen = onScreen;
        return accepted(command);
    }
    return refused(QStringLiteral("unknown command"));
}

} // namespace

ParsedCommand parseCommand(const QStringList& segments, const QUrlQuery& query)
{
    if (segments.isEmpty() || segments.size() > 2)
        return refused(QStringLiteral("unknown command"));
    const std::optional<QString> argument =
        segments.size() == 2 ? std::optional<QString>(segments.at(1)) : std::nullopt;
    const QUrl::ComponentFormattingOption decoded = QUrl::FullyDecoded;
    return build(segments.at(0), argument, query.queryItemValue(QStringLiteral("text"), decoded),
                 switchOn(query.queryItemValue(QStringLiteral("flash"))),
                 switchOn(query.queryItemValue(QStringLiteral("screen"))));
}

ParsedCommand parseCommand(const QJsonObject& message)
{
    const QString name = message.value(QStringLiteral("cmd")).toString();
    std::optional<QString> argument;
    if (name == QLatin1String("load") || name == QLatin1String("addtime")) {
        const QJsonValue number =
            message.value(name == QLatin1String("load") ? QStringLiteral("n") : QStringLiteral("seconds"));
        if (number.isDouble() && number.toDouble() == double(qint64(number.toDouble())) &&
            qAbs(number.toDouble()) < 1e9)
            argument = QString::number(qint64(number.toDouble()));
        else
            argument = QString(); // refused below as not a number
    } else if (name == QLatin1String("message") && message.value(QStringLiteral("hide")).toBool()) {
        argument = QStringLiteral("hide");
    }
    return build(name, argument, message.value(QStringLiteral("text")).toString(),
                 message.value(QStringLiteral("flash")).toBool(), message.value(QStringLiteral("onScreen")).toBool());
}

} // namespace melvanta
