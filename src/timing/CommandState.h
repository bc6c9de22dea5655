#pragma once

#include <QString>

namespace melvanta {

// Where a run stands, as the operator sees it in the command captions.
enum class RunStatus
{
    Idle,
    Running,
    Paused,
    Cleared
};

// Captions and enabled states of the run commands in the command menu and
// on the five buttons. Menu captions carry the state in their first two
// characters ("开始"/"清零", "暂停"/"继续"); the rest of a caption is kept.
struct CommandState
{
    RunStatus status = RunStatus::Idle;

    QString startPrefix; // "开始" or "清零"
    bool startEnabled = true;
    bool stopEnabled = false;
    QString pausePrefix; // "暂停" or "继续"
    bool pauseEnabled = false;
    bool resetEnabled = false;
    bool stageSelectionShown = true;
    bool settingsEnabled = true;
    bool adjustEnabled = true;   // "允许调整", "按钮" and "最小化"
    bool lowerItemsShown = true; // "统计" to "退出"
    bool exitEnabled = true;

    QString button0Caption; // " 开始 " or " 清零 "
    bool button0Enabled = true;
    bool button1Enabled = false;
    QString button2Caption; // " 暂停 " or " 继续 "
    bool button2Enabled = false;
    bool button3Enabled = true;
    bool button4Enabled = true;

    static CommandState forStatus(RunStatus status);
    bool operator==(const CommandState& other) const;
};

// `caption` with its first two characters replaced by `prefix`.
QString withCaptionPrefix(const QString& caption, const QString& prefix);

} // namespace melvanta
