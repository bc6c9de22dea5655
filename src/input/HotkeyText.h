#pragma once

#include <QList>
#include <QString>

namespace melvanta {

class ProfileReader;

// Modifier flags of a hotkey, as the operating system takes them.
enum HotkeyModifier
{
    AltFlag = 1,
    ControlFlag = 2,
    ShiftFlag = 4
};

// The text that stands for "no hotkey".
inline constexpr char kNoHotkey[] = "无";

// Key texts: modifier names and one key name joined by "+" ("F5",
// "Ctrl+Alt+Num 3"). The capture boxes write the modifiers in the order
// Shift, Ctrl, Alt; a hand-edited text may name them in any order, each at
// most once ("Alt+Ctrl+F5" reads as "Ctrl+Alt+F5"). Any other modifier part
// (an unknown word, a repeated one) gives 0.
int hotkeymodifiers(const QString& text);
// Whether the text has a modifier part that hotkeymodifiers cannot read
// ("Win+Q", "Ctrl+Ctrl+Q"): such a text is not set up, since it would
// otherwise take the bare key from every application.
bool hasUnreadableModifiers(const QString& text);
// The virtual-key code of the key part: "A"…"Z" 65…90, "0"…"9" 48…57,
// "Num 0"…"Num 9" 96…105, "F1"…"F12" 112…123, "Enter" 13, "Space" 32;
// 0 for anything else.
int hotkeykeycode(const QString& text);
// The table read backwards; "" for a code outside it.
QString keycodename(int keyCode);

// What a capture box shows for a key press: the modifier words of
// `shiftState` (Shift 1, Ctrl 2, Alt 4; Shift alone is not written), then the
// key's name. Only modifiers pressed leaves a text ending in "+".
QString capturedKeyText(int keyCode, int shiftState);
// A letter or digit (numeric keypad included) with no modifier but Shift: as
// a command key it would swallow that key in every application.
bool isBareTypingKey(int keyCode, int shiftState);

// A command-menu caption with its key text: the first two characters of
// `caption` (they carry the run state), eight blanks, then `keyText`
// (nothing after the blanks for "无").
QString hotkeyMenuCaption(const QString& caption, const QString& keyText);

// The `Hotkey` section of the profile file as the hotkeys read it.
struct HotkeyProfile
{
    QString start, stop, pause; // trimmed key texts, "" when missing
    bool startIsStop = false;   // `opentogetherstop`: the start key toggles
    bool stageKeysOn = false;   // `often` names Ctrl or Alt (or both)
    QString stagePrefix;        // "Ctrl+", "Alt+", "Ctrl+Alt+" or ""
};
// `profileExists` false: no command keys, no toggle, no stage keys.
HotkeyProfile readHotkeyProfile(const ProfileReader& profile, bool profileExists);

// Identifiers of the hotkeys: 1 start, 2 stop, 3 pause, then the stage keys
// 4 … n+3 (digits) and n+4 … 2n+3 (numeric keypad) for n stages.
enum HotkeyId
{
    StartHotkey = 1,
    StopHotkey = 2,
    PauseHotkey = 3,
    FirstStageHotkey = 4
};
inline constexpr int kMostStageHotkeys = 9;

struct HotkeyBinding
{
    int id = 0;
    QString text;      // the key text
    QString shownName; // how a taken-key message names it: the text, or prefix and digit
    int modifiers = 0;
    int keyCode = 0;
};
// What is to be set up for `stageCount` stage entries (at most nine get
// keys), in the order of registration. Texts that read as no key are left out.
QList<HotkeyBinding> hotkeyBindings(const HotkeyProfile& profile, int stageCount);

// What a hotkey does.
struct HotkeyAction
{
    enum Kind
    {
        None,
        Start,
        Stop,
        StartOrStop, // start when start is possible, else stop
        Pause,
        ChooseStage
    };
    Kind kind = None;
    int stageIndex = -1; // ChooseStage: the stage entry, from 0
};
// `stageCount` is the number of stage entries at the moment of the press.
HotkeyAction hotkeyAction(int id, bool startIsStop, int stageCount);

// The one message for the keys other programs hold (a message box shows a
// line break where the text has "\n"); "" when `taken` is empty.
QString takenHotkeysMessage(const QList<HotkeyBinding>& taken);

} // namespace melvanta
