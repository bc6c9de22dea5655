#pragma once

#include "core/Encodings.h"
#include "core/StageSettings.h"

#include <QString>
#include <QStringList>

#include <array>

namespace melvanta {

class ProfileReader;
class ProfileFile;
class RegistryStore;

// What the settings dialog's controls hold, as plain values: the pages show
// these and give them back, and the apply turns them into a stage and the
// profile keys. Box texts are kept as the operator typed them; numbers are
// read from them only on apply. Indexes follow the controls' own numbering.
struct SettingsEntries
{
    // Timing page: `Text1`(1) … (13) — hours, minutes, seconds of the total,
    // then minutes and seconds of alarm 1, 2, 3, the final-seconds count and
    // the overtime limit. Element 0 is unused.
    std::array<QString, 14> timeBoxes;
    // `Text7`(0) … (2): year, month, day of the due date.
    std::array<QString, 3> dateBoxes;
    // The check-box arrays as "0"/"1" strings in index order:
    // `Check1`(0) … (6), `Check2`(0) … (20), `Check3`(0) … (5), `Check4`(0) … (3).
    QString checkone, checktwo, checkthree, checkfour;
    // `Combo1` (time format), `Combo2` (timing mode), `Combo3` (overtime action).
    int formatIndex = 0;
    int modeIndex = 0;
    int actionIndex = 1;
    // `Text2`(0) … (6) the phase texts, (7) … (13) the phase sound file names.
    std::array<QString, 14> phaseTexts;
    QString logopicture;   // `Text4`(3)
    QString alertDuration; // `Text4`(4), `tixingtime`

    // Profile keys shown by the dialog.
    QString hotkeyStart, hotkeyStop, hotkeyPause; // `Text4`(0) … (2); "无" for none
    bool stageKeyCtrl = false;                    // `Check9`(0), first character of `often`
    bool stageKeyAlt = false;                     // `Check9`(1), second character
    int marqueeMode = 0;                          // `Combo4`
    QString marqueeWidth, marqueeSpeed;           // `Text4`(5), (6)
    bool autoCycle = false;                       // `Check8`
    QString logoWidth, logoHeight, delaySeconds;  // `Text4`(7), (8), (9)
    bool simpleMode = false;                      // `Check5`, the per-user value `simple`
    // The network remote: on or off, the port as typed, this machine only.
    bool remoteEnabled = false;
    QString remotePort;
    bool remoteLoopback = false;

    // Appearance page, one entry per row (main title, subtitle, clock, date
    // line, prompt, dynamic text): `Combo6`, `Combo7` (the size as typed) and
    // the colour of the swatch `Text3` as a stored colour's decimal text.
    std::array<QString, 6> fonts, sizes, colours;
    QString mainTitle, subtitle;  // `Text3`(6), (7)
    BackgroundSetting background; // `Text5`(14): colour and picture name
    // Precise settings: per phase the clock colour `Text5`(p) and the
    // background `Text5`(p + 7) with its picture.
    std::array<PhaseLook, 7> phaseLooks;

    // The stage the dialog was filled from: what no page edits (the stage's
    // identity, the dynamic text) goes through apply as it is here.
    StageSettings stage;
};

// The seven phase names of the sound-preview chooser, "开始" … "结束".
QStringList phaseNames();
// The lists of the three combo boxes: the time formats for a long-term
// stage, a system-time stage or any other; the timing modes; the overtime actions.
QStringList timeFormats(bool longTerm, int modeIndex);
QStringList timingModes();
QStringList overtimeActions();
QStringList marqueeModes();

// Fills the entries from `stage` and the profile file as the dialog opens;
// a garbage value reads as that control's default. Simple mode comes from
// the per-user store (written as 0 when missing); when it is on, the
// switches its hidden rows stand for get their fixed values.
SettingsEntries fillEntries(const StageSettings& stage, const ProfileReader& profile, RegistryStore& registry);

// The entries showing `stage` (a stage loaded from the list) in place of the
// one they were filled from; the profile's keys, the logo size switch among
// them, stay as they are, and simple mode's fixed values hold.
SettingsEntries withStage(const SettingsEntries& entries, const StageSettings& stage);
// A stage loaded from the list keeps the date line's font, colour and size
// of `stored` (the per-user store's stage). A size list that is not six
// sizes, in either, reads as "80/50/100/50/30/30/".
StageSettings withStoredDateLine(StageSettings loaded, const StageSettings& stored);

// Gives the switches hidden in simple mode their fixed values: the timing
// page's continuous reminder, alarms 1 and 2, final seconds and overtime
// limit off; showing the overtime clock off, the end text on, restart after
// a delay on, delay "2"; per-phase looks, weekday and dynamic text off, both
// titles centred. The alert switches of the hidden phases keep their values:
// the overtime phase still comes when the time runs over.
void applySimpleModeValues(SettingsEntries& entries);

// One alert point of the checks that apply and the stage save run.
struct AlertPoint
{
    QString label; // "计时时长", "报警1", "报警2", "报警3", "读秒"
    int seconds = 0;
    bool enabled = true;
};

// The checks of the alert points (total, alarm 1, 2, 3, final seconds, in
// that order) with an alert duration of `alertSeconds`: distinct points (the
// first equal pair, enabled or not), the spacing of consecutive enabled
// points (every failing pair) and the last enabled point above the alert
// duration. The messages in the order they are shown; empty when the points
// pass.
QStringList alertPointMessages(const std::array<AlertPoint, 5>& points, double alertSeconds);

// The outcome of turning entries into a stage.
struct AppliedStage
{
    StageSettings stage;  // the entries' stage, valid when `messages` is empty
    QStringList messages; // what the checks said, in order
    bool accepted() const { return messages.isEmpty(); }
};

// Builds the stage the entries describe (times, date, switches, combo
// digits, texts, alert duration) over `entries.stage`, and runs the checks.
AppliedStage stageFromEntries(const SettingsEntries& entries);

// What is wrong with the network remote's entries ("" when nothing): an
// enabled remote needs a port from 1024 to 65535.
QString remoteEntryMessage(const SettingsEntries& entries);

// Writes the dialog's profile keys in their order (`pictureset`, `Hotkey`,
// `Marquee`, with `colckbigtext` = `bigClock`) and deletes `Marquee`/`currentrow`.
void writeProfileEntries(const SettingsEntries& entries, ProfileFile& profile, const QString& bigClock);

} // namespace melvanta
