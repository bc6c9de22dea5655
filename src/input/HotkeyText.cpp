#include "input/HotkeyText.h"

#include "storage/ProfileFile.h"

#include <QStringList>

namespace melvanta {

namespace {

constexpr int kEnter = 13;
constexpr int kSpace = 32;
constexpr int kDigit0 = 48;
constexpr int kLetterA = 65;
constexpr int kLetterZ = 90;
constexpr int kNum0 = 96;
constexpr int kF1 = 112;
constexpr int kF12 = 123;

const QString kSection = QStringLiteral("Hotkey");

// Splits off the modifier part: everything before the last "+".
QString modifierPart(const QString& text)
{
    const int plus = text.lastIndexOf(QLatin1Char('+'));
    return plus < 0 ? QString() : text.left(plus);
}

QString keyPart(const QString& text)
{
    const int plus = text.lastIndexOf(QLatin1Char('+'));
    return plus < 0 ? text : text.mid(plus + 1);
}

// -1 when the part is not a set of distinct modifier words.
int readModifiers(const QString& part)
{
    if (part.isEmpty())
        return 0;
    int flags = 0;
    for (const QString& word : part.split(QLatin1Char('+'))) {
        int flag = 0;
        if (word == QLatin1String("Alt"))
            flag = AltFlag;
        else if (word == QLatin1String("Ctrl"))
            flag = ControlFlag;
        else if (word == QLatin1String("Shift"))
            flag = ShiftFlag;
        if (flag == 0 || (flags & flag))
            return -1;
        flags |= flag;
    }
    return flags;
}

} // namespace

int hotkeymodifiers(const QString& text)
{
    return qMax(0, readModifiers(modifierPart(text)));
}

bool hasUnreadableModifiers(const QString& text)
{
    return readModifiers(modifierPart(text)) < 0;
}

int hotkeykeycode(const QString& text)
{
    const QString key = keyPart(text);
    if (key.size() == 1) {
        const ushort c = key.at(0).unicode();
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))
            return c;
        return 0;
    }
    if (key == QLatin1String("Enter"))
        return kEnter;
    if (key == QLatin1String("Space"))
        return kSpace;
    if (key.size() == 5 && key.startsWith(QLatin1String("Num ")) && key.at(4).isDigit() && key.at(4).unicode() < 128)
        return kNum0 + (key.at(4).unicode() - '0');
    if (key.size() >= 2 && key.size() <= 3 && key.at(0) == QLatin1Char('F') && key.at(1) != QLatin1Char('0')) {
        bool ok = false;
        const int n = key.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 12 && QString::number(n) == key.mid(1))
            return kF1 + n - 1;
    }
    return 0;
}

QString keycodename(int keyCode)
{
    if (keyCode == kEnter)
        return QStringLiteral("Enter");
    if (keyCode == kSpace)
        return QStringLiteral("Space");
    if ((keyCode >= kDigit0 && keyCode <= kDigit0 + 9) || (keyCode >= kLetterA && keyCode <= kLetterZ))
        return QString(QChar(keyCode));
    if (keyCode >= kNum0 && keyCode <= kNum0 + 9)
        return QStringLiteral("Num ") + QChar('0' + keyCode - kNum0);
    if (keyCode >= kF1 && keyCode <= kF12)
        return QLatin1Char('F') + QString::number(keyCode - kF1 + 1);
    return QString();
}

QString capturedKeyText(int keyCode, int shiftState)
{
    static const char* const kWords[] = {"",     "",           "Ctrl+",     "Shift+Ctrl+",
                                         "Alt+", "Shift+Alt+", "Ctrl+Alt+", "Shift+Ctrl+Alt+"};
    return QLatin1String(kWords[shiftState & 7]) + keycodename(keyCode);
}

bool isBareTypingKey(int keyCode, int shiftState)
{
    if ((shiftState & 6) != 0)
        return false;
    return (keyCode >= kDigit0 && keyCode <= kDigit0 + 9) || (keyCode >= kLetterA && keyCode <= kLetterZ) ||
           (keyCode >= kNum0 && keyCode <= kNum0 + 9);
}

QString hotkeyMenuCaption(const QString& caption, const QString& keyText)
{
    const QString blanks(8, QLatin1Char(' '));
    return caption.left(2) + blanks + (keyText == QString::fromUtf8(kNoHotkey) ? QString() : keyText);
}

HotkeyProfile readHotkeyProfile(const ProfileReader& profile, bool profileExists)
{
    HotkeyProfile keys;
    if (!profileExists)
        return keys;
    keys.start = profile.readPart(kSection, QStringLiteral("start"), QString()).trimmed();
    keys.stop = profile.readPart(kSection, QStringLiteral("stop"), QString()).trimmed();
    keys.pause = profile.readPart(kSection, QStringLiteral("pause"), QString()).trimmed();
    keys.startIsStop = profile.readNumber(kSection, QStringLiteral("opentogetherstop"), 0) != 0;
    const QString often = profile.readPart(kSection, QStringLiteral("often"), QStringLiteral("00"));
    const bool ctrl = often.size() > 0 && often.at(0) == QLatin1Char('1');
    const bool alt = often.size() > 1 && often.at(1) == QLatin1Char('1');
    // The two digits add up to more than 0: only "1" counts as on for the prefix.
    keys.stageKeysOn = ctrl || alt;
    keys.stagePrefix = QLatin1String(ctrl ? "Ctrl+" : "") + QLatin1String(alt ? "Alt+" : "");
    return keys;
}

QList<HotkeyBinding> hotkeyBindings(const HotkeyProfile& profile, int stageCount)
{
    QList<HotkeyBinding> bindings;
    auto add = [&bindings](int id, const QString& text, const QString& shownName) {
        const int keyCode = hotkeykeycode(text);
        if (keyCode <= 0 || hasUnreadableModifiers(text))
            return;
        bindings.append({id, text, shownName, hotkeymodifiers(text), keyCode});
    };
    add(StartHotkey, profile.start, profile.start);
    if (!profile.startIsStop)
        add(StopHotkey, profile.stop, profile.stop);
    add(PauseHotkey, profile.pause, profile.pause);
    if (!profile.stageKeysOn)
        return bindings;
    const int n = qBound(0, stageCount, kMostStageHotkeys);
    for (int i = 1; i <= n; ++i) {
        const QString name = profile.stagePrefix + QString::number(i);
        add(FirstStageHotkey - 1 + i, name, name);
    }
    for (int i = 1; i <= n; ++i)
        add(FirstStageHotkey - 1 + n + i, profile.stagePrefix + QStringLiteral("Num ") + QString::number(i),
            profile.stagePrefix + QString::number(i));
    return bindings;
}

HotkeyAction hotkeyAction(int id, bool startIsStop, int stageCount)
{
    const int n = qBound(0, stageCount, kMostStageHotkeys);
    switch (id) {
    case StartHotkey:
        return {startIsStop ? HotkeyAction::StartOrStop : HotkeyAction::Start, -1};
    case StopHotkey:
        return {startIsStop ? HotkeyAction::StartOrStop : HotkeyAction::Stop, -1};
    case PauseHotkey:
        return {HotkeyAction::Pause, -1};
    default:
        break;
    }
    if (id >= FirstStageHotkey && id <= n + 3)
        return {HotkeyAction::ChooseStage, id - FirstStageHotkey};
    if (id >= n + 4 && id <= 2 * n + 3)
        return {HotkeyAction::ChooseStage, id - n - 4};
    return {};
}

QString takenHotkeysMessage(const QList<HotkeyBinding>& taken)
{
    QStringList commandNames, stageNames;
    bool pauseTaken = false;
    for (const HotkeyBinding& binding : taken) {
        QStringList& names = binding.id < FirstStageHotkey ? commandNames : stageNames;
        if (!names.contains(binding.shownName))
            names << binding.shownName;
        pauseTaken = pauseTaken || binding.id == PauseHotkey;
    }
    const QString gap = QStringLiteral("\n\n");
    const QString separator = QStringLiteral("、");
    QStringList paragraphs;
    if (!commandNames.isEmpty()) {
        QString text = QStringLiteral("热键") + commandNames.join(separator) + QStringLiteral("被其它程序占有") + gap +
                       QStringLiteral("请更改热键或关闭其他程序以便设置") + gap +
                       QStringLiteral("也可右键单击桌面，执行菜单相应命令");
        if (pauseTaken)
            text += gap + QStringLiteral("要使用热键请重新设置(设置→系统热键)");
        paragraphs << text;
    }
    if (!stageNames.isEmpty())
        paragraphs << QStringLiteral("热键") + stageNames.join(separator) + QStringLiteral("被其它程序占有") + gap +
                          QStringLiteral("请更改热键") + gap + QStringLiteral("或右键单击调用");
    return paragraphs.join(gap);
}

} // namespace melvanta
