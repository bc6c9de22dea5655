#include "timing/RunContext.h"

#include "core/ProgramFolder.h"
#include "timing/ClockScreen.h"
#include "timing/TimeSource.h"

namespace melvanta {

RunTimers::RunTimers(const TimeSource& time)
    : timer1(time, 500), timer3(time, 490), timer4(time, 500), timer5(time, 100), timer7(time, 100), timer9(time, 100),
      timer10(time, 300), timer11(time, 1000)
{}

RunContext::RunContext(const TimeSource& time, CurrentStage& current, ClockScreen& screen, SoundOutput& sound,
                       RecordSink& records, RegistryStore& registry, QString profilePath)
    : time(time), current(current), screen(screen), sound(sound), records(records), registry(registry),
      profilePath(std::move(profilePath)), timers(time)
{}

void RunContext::setStatus(RunStatus newStatus)
{
    const bool changed = status != newStatus;
    status = newStatus;
    screen.setCommandState(CommandState::forStatus(newStatus));
    if (changed && statusChanged)
        statusChanged(newStatus);
}

QString RunContext::soundOf(AlertPhase phase) const
{
    return ProgramFolder::sound(stage().phaseSound(phase));
}

} // namespace melvanta
