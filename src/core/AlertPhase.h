#pragma once

#include <QString>

#include <array>

namespace melvanta {

// The seven phases of one run. Per-phase fields carry the phase's suffix,
// and per-phase switch characters stand in this order.
enum class AlertPhase
{
    Start = 0,
    One = 1,
    Two = 2,
    Three = 3,
    Four = 4,
    Five = 5,
    End = 6
};

inline constexpr int kAlertPhaseCount = 7;

struct AlertPhaseInfo
{
    const char* suffix;
    const char* shownAs;
    const char* defaultText;
    const char* defaultSound;
};

inline constexpr std::array<AlertPhaseInfo, kAlertPhaseCount> kAlertPhases{{
    {"start", "开始", "开始计时", "alarm.wav"},
    {"one", "报警1", "阶段一", "Timeout.wav"},
    {"two", "报警2", "阶段二", "Timeout.wav"},
    {"three", "报警3", "阶段三", "Timeout.wav"},
    {"four", "读秒", "读秒", "Timeout.wav"},
    {"five", "超时", "已超时", "Timeout.wav"},
    {"end", "结束", "时间到", "Stop.wav"},
}};

inline const AlertPhaseInfo& phaseInfo(AlertPhase phase)
{
    return kAlertPhases[static_cast<int>(phase)];
}

// Groups of the 21-character `checktwo`: character 7 * group + phase + 1.
enum class PhaseEffect
{
    ShowText = 0,
    PlaySound = 1,
    Flash = 2
};
inline int checktwoPosition(PhaseEffect effect, AlertPhase phase)
{
    return 7 * static_cast<int>(effect) + static_cast<int>(phase) + 1;
}

} // namespace melvanta
