#include "timing/CommandState.h"

namespace melvanta {

CommandState CommandState::forStatus(RunStatus status)
{
    CommandState s;
    s.status = status;
    const bool underWay = status == RunStatus::Running || status == RunStatus::Paused;
    s.startPrefix = status == RunStatus::Cleared ? QStringLiteral("清零") : QStringLiteral("开始");
    s.startEnabled = !underWay;
    s.stopEnabled = underWay;
    s.pausePrefix = status == RunStatus::Paused ? QStringLiteral("继续") : QStringLiteral("暂停");
    s.pauseEnabled = underWay;
    s.resetEnabled = underWay;
    s.stageSelectionShown = true;
    s.settingsEnabled = !underWay;
    s.adjustEnabled = true;
    s.lowerItemsShown = !underWay;
    s.exitEnabled = !underWay;
    s.button0Caption = QLatin1Char(' ') + s.startPrefix + QLatin1Char(' ');
    s.button0Enabled = !underWay;
    s.button1Enabled = underWay;
    s.button2Caption = QLatin1Char(' ') + s.pausePrefix + QLatin1Char(' ');
    s.button2Enabled = underWay;
    s.button3Enabled = !underWay;
    s.button4Enabled = !underWay;
    return s;
}

bool CommandState::operator==(const CommandState& o) const
{
    return status == o.status && startPrefix == o.startPrefix && startEnabled == o.startEnabled &&
           stopEnabled == o.stopEnabled && pausePrefix == o.pausePrefix && pauseEnabled == o.pauseEnabled &&
           resetEnabled == o.resetEnabled && stageSelectionShown == o.stageSelectionShown &&
           settingsEnabled == o.settingsEnabled && adjustEnabled == o.adjustEnabled &&
           lowerItemsShown == o.lowerItemsShown && exitEnabled == o.exitEnabled && button0Caption == o.button0Caption &&
           button0Enabled == o.button0Enabled && button1Enabled == o.button1Enabled &&
           button2Caption == o.button2Caption && button2Enabled == o.button2Enabled &&
           button3Enabled == o.button3Enabled && button4Enabled == o.button4Enabled;
}

QString withCaptionPrefix(const QString& caption, const QString& prefix)
{
    return prefix + caption.mid(2);
}

} // namespace melvanta
