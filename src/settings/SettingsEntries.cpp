#include "settings/SettingsEntries.h"

#include "remote/RemoteConfig.h"

#include "settings/AppearanceChoices.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"

#include <QRegularExpression>

namespace melvanta {

namespace {

const QString kNoKey = QStringLiteral("无");
const QString kPictureSet = QStringLiteral("pictureset");
const QString kHotkey = QStringLiteral("Hotkey");
const QString kMarquee = QStringLiteral("Marquee");

// Switch strings of exactly `length` characters, "1" only where "1" stood.
QString switches(const QString& stored, int length)
{
    QString result(length, QLatin1Char('0'));
    for (int i = 0; i < length && i < stored.size(); ++i)
        if (stored.at(i) == QLatin1Char('1'))
            result[i] = QLatin1Char('1');
    return result;
}

bool isDigits(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    return digits.match(text).hasMatch();
}

// A numeric profile value as its box shows it; anything else is the default.
QString numberText(const ProfileReader& profile, const QString& section, const QString& key, const QString& fallback)
{
    const QString text = profile.readPart(section, key, fallback).trimmed();
    return isDigits(text) ? QString::number(text.toLongLong()) : fallback;
}

QString hotkeyText(const ProfileReader& profile, const QString& key)
{
    const QString text = profile.readPart(kHotkey, key, kNoKey).trimmed();
    return text.isEmpty() ? kNoKey : text;
}

int boxNumber(const QString& text, int low, int high)
{
    return qBound(low, vbValInt(text.trimmed()), high);
}

QString number(int value)
{
    return QString::number(value);
}

QString* phaseTextField(StageSettings& stage, int index)
{
    QString* fields[] = {&stage.textstart,  &stage.textone,   &stage.texttwo,    &stage.textthree, &stage.textfour,
                         &stage.textfive,   &stage.textend,   &stage.musicstart, &stage.musicone,  &stage.musictwo,
                         &stage.musicthree, &stage.musicfour, &stage.musicfive,  &stage.musicend};
    return fields[index];
}

std::array<QString*, 6> fontFields(StageSettings& s)
{
    return {&s.firstfont, &s.secondfont, &s.clockFont, &s.stagefont, &s.textfont, &s.rollfont};
}

std::array<QString*, 6> colourFields(StageSettings& s)
{
    return {&s.firstcolour, &s.secondcolour, &s.clockcolour, &s.stagecolour, &s.textcolour, &s.rollcolour};
}

std::array<QString*, 7> phaseLookFields(StageSettings& s)
{
    return {&s.highsetstart, &s.highsetone,  &s.highsettwo, &s.highsetthree,
            &s.highsetfour,  &s.highsetfive, &s.highsetend};
}

// The six sizes as `sizethree` writes them; a typed size outside the range
// is refused with a message naming its row, and a box left empty keeps the
// size of `stored`.
QString sizesText(const std::array<QString, 6>& sizes, const QString& stored, QStringList& messages)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,7}$"));
    const QStringList rows = appearanceRowNames();
    QString text;
    for (int row = 0; row < kAppearanceRows; ++row) {
        const QString typed = sizes[row].trimmed();
        if (typed.isEmpty()) {
            text += QString::number(fontSize(stored, SizeField(row + 1))) + QLatin1Char('/');
            continue;
        }
        const int points = digits.match(typed).hasMatch() ? typed.toInt() : 0;
        if (points < kSmallestTypedSize || points > kLargestTypedSize)
            messages << QStringLiteral("%1的字号要在%2到%3之间，请修改")
                            .arg(rows.at(row))
                            .arg(kSmallestTypedSize)
                            .arg(kLargestTypedSize);
        text += QString::number(points) + QLatin1Char('/');
    }
    return text;
}

QTime timeOrMidnight(const QTime& time)
{
    return time.isValid() ? time : QTime(0, 0);
}

} // namespace

QStringList phaseNames()
{
    return {QStringLiteral("开始"), QStringLiteral("报警1"), QStringLiteral("报警2"), QStringLiteral("报警3"),
            QStringLiteral("读秒"), QStringLiteral("超时"),  QStringLiteral("结束")};
}

QStringList timeFormats(bool longTerm, int modeIndex)
{
    if (longTerm)
        return {QStringLiteral("d天 hh时mm分ss秒"), QStringLiteral("d天 hh时mm分"), QStringLiteral("d天"),
                QStringLiteral("d hh:mm:ss"),       QStringLiteral("d hh:mm"),      QStringLiteral("d mm:ss")};
    if (modeIndex == 2)
        return {QStringLiteral("时:分:秒"), QStringLiteral("时:分"), QStringLiteral("时:分:秒")};
    return {QStringLiteral("秒"), QStringLiteral("分:秒"), QStringLiteral("时:分:秒")};
}

QStringList timingModes()
{
    return {QStringLiteral("倒计时"), QStringLiteral("正计时"), QStringLiteral("系统时间")};
}

QStringList overtimeActions()
{
    return {QStringLiteral("超时计时"), QStringLiteral("停止计时"), QStringLiteral("复位"), QStringLiteral("下一阶段")};
}

QStringList marqueeModes()
{
    return {QStringLiteral("从左往右"), QStringLiteral("从右往左"), QStringLiteral("不滚动")};
}

namespace {

// The boxes, switches, lists and texts that show `stage`.
void fillStageEntries(SettingsEntries& e, const StageSettings& stage)
{
    e.stage = stage;
    const QTime total = timeOrMidnight(stage.Time_all);
    e.timeBoxes[1] = number(total.hour());
    e.timeBoxes[2] = number(total.minute());
    e.timeBoxes[3] = number(total.second());
    const QTime points[] = {stage.Time_one, stage.Time_two, stage.Time_three, stage.Time_four, stage.Time_five};
    for (int k = 0; k < 5; ++k) {
        const QTime point = timeOrMidnight(points[k]);
        e.timeBoxes[4 + 2 * k] = number(point.minute());
        e.timeBoxes[5 + 2 * k] = number(point.second());
    }
    const QDate date = stage.time_date.isValid() ? stage.time_date : QDate(2000, 1, 1);
    e.dateBoxes = {number(date.year()), number(date.month()), number(date.day())};

    e.checkone = switches(stage.checkone, 7);
    e.checktwo = switches(stage.checktwo, 21);
    e.checkthree = switches(stage.checkthree, 6);
    e.checkfour = switches(stage.checkfour, 4);
    const ComboChoices choices = stage.choices();
    e.modeIndex = qBound(0, choices.timingMode, 2);
    e.actionIndex = qBound(0, int(choices.endAction), 3);
    e.formatIndex = qBound(0, choices.formatIndex, int(timeFormats(switchOn(e.checkone, 7), e.modeIndex).size()) - 1);
    for (int i = 0; i < 14; ++i)
        e.phaseTexts[i] = *phaseTextField(e.stage, i);
    e.logopicture = stage.logopicture;
    e.alertDuration = number(stage.tixingtime);

    const auto fonts = fontFields(e.stage);
    const auto colours = colourFields(e.stage);
    for (int row = 0; row < kAppearanceRows; ++row) {
        e.fonts[row] = *fonts[row];
        e.colours[row] = *colours[row];
        e.sizes[row] = number(fontSize(stage.sizethree, SizeField(row + 1)));
    }
    e.mainTitle = stage.firsttext;
    e.subtitle = stage.secondtext;
    e.background = BackgroundSetting::parse(stage.background);
    const auto looks = phaseLookFields(e.stage);
    for (int phase = 0; phase < 7; ++phase)
        e.phaseLooks[phase] = PhaseLook::parse(*looks[phase]);
}

} // namespace

SettingsEntries fillEntries(const StageSettings& stage, const ProfileReader& profile, RegistryStore& registry)
{
    SettingsEntries e;
    fillStageEntries(e, stage);
    // The custom logo size switch is the profile's, not the stage's.
    e.checkfour[3] =
        profile.readNumber(kPictureSet, QStringLiteral("Option"), 0) != 0 ? QLatin1Char('1') : QLatin1Char('0');
    e.logoWidth = numberText(profile, kPictureSet, QStringLiteral("Width"), QStringLiteral("800"));
    e.logoHeight = numberText(profile, kPictureSet, QStringLiteral("Height"), QStringLiteral("600"));
    e.delaySeconds = numberText(profile, kPictureSet, QStringLiteral("Delaytime"), QStringLiteral("2"));
    e.autoCycle = profile.readNumber(kMarquee, QStringLiteral("checkcycle"), 0) != 0;
    const RemoteConfig remote = RemoteConfig::read(profile);
    e.remoteEnabled = remote.enabled;
    e.remotePort = QString::number(remote.port);
    e.remoteLoopback = remote.loopbackOnly;
    e.hotkeyStart = hotkeyText(profile, QStringLiteral("start"));
    e.hotkeyStop = hotkeyText(profile, QStringLiteral("stop"));
    e.hotkeyPause = hotkeyText(profile, QStringLiteral("pause"));
    const double mode = profile.readNumber(kMarquee, QStringLiteral("Mode"), 0);
    e.marqueeMode = mode >= 0 && mode <= 2 ? int(mode) : 0;
    e.marqueeWidth = numberText(profile, kMarquee, QStringLiteral("Width"), QStringLiteral("1000"));
    e.marqueeSpeed = numberText(profile, kMarquee, QStringLiteral("MarQueespeed"), QStringLiteral("1"));
    const QString often = profile.readPart(kHotkey, QStringLiteral("often"), QStringLiteral("00"));
    e.stageKeyCtrl = often.size() > 0 && often.at(0) == QLatin1Char('1');
    e.stageKeyAlt = often.size() > 1 && often.at(1) == QLatin1Char('1');

    const QString simpleName = QLatin1String(RegistryValue::simple);
    if (!registry.contains(simpleName))
        registry.setNumber(simpleName, 0);
    e.simpleMode = registry.number(simpleName, 0) == 1;
    if (e.simpleMode)
        applySimpleModeValues(e);
    return e;
}

SettingsEntries withStage(const SettingsEntries& entries, const StageSettings& stage)
{
    SettingsEntries e = entries;
    fillStageEntries(e, stage);
    e.checkfour[3] = switchOn(entries.checkfour, 4) ? QLatin1Char('1') : QLatin1Char('0');
    if (e.simpleMode)
        applySimpleModeValues(e);
    return e;
}

StageSettings withStoredDateLine(StageSettings loaded, const StageSettings& stored)
{
    const QString sane = QStringLiteral("80/50/100/50/30/30/");
    auto repaired = [&](const QString& sizes) { return sizes.split(QLatin1Char('/')).size() == 7 ? sizes : sane; };
    loaded.stagefont = stored.stagefont;
    loaded.stagecolour = stored.stagecolour;
    loaded.sizethree = withFontSize(repaired(loaded.sizethree), SizeField::DateLine,
                                    fontSize(repaired(stored.sizethree), SizeField::DateLine));
    return loaded;
}

void applySimpleModeValues(SettingsEntries& entries)
{
    // The hidden rows: continuous reminder, alarms 1 and 2, the final-seconds
    // count and the overtime limit are off; the end shows its text and a
    // reset starts again after two seconds.
    for (int position : {1, 2, 3, 5, 6})
        entries.checkone = withSwitch(entries.checkone, position, false);
    entries.checkfour = withSwitch(entries.checkfour, 1, false);
    entries.checkfour = withSwitch(entries.checkfour, 2, true);
    entries.checkfour = withSwitch(entries.checkfour, 3, true);
    entries.delaySeconds = QStringLiteral("2");
    // The display switches it hides: one plain look for every phase, no
    // weekday and no dynamic text, the titles centred.
    const bool display[] = {false, false, false, true, true};
    for (int position = 1; position <= 5; ++position)
        entries.checkthree = withSwitch(entries.checkthree, position, display[position - 1]);
}

QStringList alertPointMessages(const std::array<AlertPoint, 5>& points, double alertSeconds)
{
    // Distinct points: the first equal pair, whether enabled or not.
    for (int i = 0; i < 5; ++i) {
        for (int j = i + 1; j < 5; ++j) {
            if (points[i].seconds == points[j].seconds)
                return {points[i].label + QStringLiteral("和") + points[j].label +
                        QStringLiteral("提醒时间不能相同，请修改")};
        }
    }
    std::vector<const AlertPoint*> enabled{&points[0]};
    for (int k = 1; k < 5; ++k)
        if (points[k].enabled)
            enabled.push_back(&points[k]);

    const QString duration = QString::number(alertSeconds);
    QStringList messages;
    for (size_t k = 0; k + 1 < enabled.size(); ++k) {
        if (enabled[k]->seconds < enabled[k + 1]->seconds + alertSeconds)
            messages << enabled[k]->label + QStringLiteral("比") + enabled[k + 1]->label + QStringLiteral("间隔") +
                            QStringLiteral("\r\r") + QStringLiteral("要超【系统→提醒持续】设定值") + duration +
                            QStringLiteral("秒以上，请修改");
    }
    if (enabled.size() >= 2 && enabled.back()->seconds <= alertSeconds)
        messages << enabled.back()->label + QStringLiteral("设定值，要大于【系统→提醒持续】设定值") + duration +
                        QStringLiteral("秒，请修改");
    return messages;
}

AppliedStage stageFromEntries(const SettingsEntries& e)
{
    AppliedStage applied;
    StageSettings& s = applied.stage;
    s = e.stage;
    const auto& boxes = e.timeBoxes;
    s.Time_all = QTime(boxNumber(boxes[1], 0, 23), boxNumber(boxes[2], 0, 59), boxNumber(boxes[3], 0, 59));
    QTime* points[] = {&s.Time_one, &s.Time_two, &s.Time_three, &s.Time_four, &s.Time_five};
    for (int k = 0; k < 5; ++k)
        *points[k] = QTime(0, boxNumber(boxes[4 + 2 * k], 0, 59), boxNumber(boxes[5 + 2 * k], 0, 59));
    s.checkone = switches(e.checkone, 7);
    s.checktwo = switches(e.checktwo, 21);
    s.checkthree = switches(e.checkthree, 6);
    s.checkfour = switches(e.checkfour, 4);
    if (s.longTerm()) {
        const int year = boxNumber(e.dateBoxes[0], 2000, 2999);
        const int month = boxNumber(e.dateBoxes[1], 1, 12);
        const int day = boxNumber(e.dateBoxes[2], 1, QDate(year, month, 1).daysInMonth());
        s.time_date = QDate(year, month, day);
    } else {
        s.time_date = QDate(2000, 1, 1);
    }
    s.combolist =
        number(qBound(0, e.formatIndex, 5)) + number(qBound(0, e.modeIndex, 2)) + number(qBound(0, e.actionIndex, 3));
    for (int i = 0; i < 14; ++i)
        *phaseTextField(s, i) = e.phaseTexts[i];
    s.logopicture = e.logopicture;

    const auto fonts = fontFields(s);
    const auto colours = colourFields(s);
    // A font or colour is never empty: an empty entry keeps the stage's.
    for (int row = 0; row < kAppearanceRows; ++row) {
        if (!e.fonts[row].trimmed().isEmpty())
            *fonts[row] = e.fonts[row].trimmed();
        if (!e.colours[row].trimmed().isEmpty())
            *colours[row] = e.colours[row].trimmed();
    }
    QStringList sizeMessages;
    s.sizethree = sizesText(e.sizes, e.stage.sizethree, sizeMessages);
    s.firsttext = e.mainTitle;
    s.secondtext = e.subtitle;
    s.background = e.background.text();
    const auto looks = phaseLookFields(s);
    for (int phase = 0; phase < 7; ++phase)
        *looks[phase] = e.phaseLooks[phase].text();

    const double alertSeconds = vbVal(e.alertDuration.trimmed());
    s.tixingtime = qint16(qBound(0, vbValInt(e.alertDuration.trimmed()), 30));

    auto seconds = [](const QTime& t) { return t.hour() * 3600 + t.minute() * 60 + t.second(); };
    const std::array<AlertPoint, 5> checked{{
        {QStringLiteral("计时时长"), seconds(s.Time_all), true},
        {QStringLiteral("报警1"), seconds(s.Time_one), s.alarmEnabled(1)},
        {QStringLiteral("报警2"), seconds(s.Time_two), s.alarmEnabled(2)},
        {QStringLiteral("报警3"), seconds(s.Time_three), s.alarmEnabled(3)},
        {QStringLiteral("读秒"), seconds(s.Time_four), s.finalSecondsEnabled()},
    }};
    applied.messages = sizeMessages + alertPointMessages(checked, alertSeconds);
    return applied;
}

void writeProfileEntries(const SettingsEntries& e, ProfileFile& profile, const QString& bigClock)
{
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    profile.write(kPictureSet, QStringLiteral("Option"), flag(switchOn(e.checkfour, 4)));
    profile.write(kPictureSet, QStringLiteral("Width"), e.logoWidth);
    profile.write(kPictureSet, QStringLiteral("Height"), e.logoHeight);
    profile.write(kPictureSet, QStringLiteral("Delaytime"), e.delaySeconds);
    profile.write(kHotkey, QStringLiteral("start"), e.hotkeyStart);
    profile.write(kHotkey, QStringLiteral("stop"), e.hotkeyStop);
    profile.write(kHotkey, QStringLiteral("pause"), e.hotkeyPause);
    profile.write(kHotkey, QStringLiteral("opentogetherstop"), flag(e.hotkeyStart == e.hotkeyStop));
    profile.write(kHotkey, QStringLiteral("often"), flag(e.stageKeyCtrl) + flag(e.stageKeyAlt));
    profile.write(kMarquee, QStringLiteral("Mode"), number(qBound(0, e.marqueeMode, 2)));
    profile.write(kMarquee, QStringLiteral("Width"), e.marqueeWidth);
    profile.write(kMarquee, QStringLiteral("MarQueespeed"), e.marqueeSpeed);
    profile.write(kMarquee, QStringLiteral("colckbigtext"), bigClock);
    // The stage on screen is no longer one of the stored stages.
    profile.deletePart(kMarquee, QStringLiteral("currentrow"));
    RemoteConfig remote;
    remote.enabled = e.remoteEnabled;
    remote.port = RemoteConfig::parsePort(e.remotePort) > 0 ? RemoteConfig::parsePort(e.remotePort)
                                                            : RemoteConfig::read(profile).port;
    remote.loopbackOnly = e.remoteLoopback;
    remote.write(profile);
}

QString remoteEntryMessage(const SettingsEntries& e)
{
    if (!e.remoteEnabled || RemoteConfig::parsePort(e.remotePort) > 0)
        return QString();
    return QStringLiteral("网络遥控的端口要在%1到%2之间，请修改")
        .arg(RemoteConfig::kLowestPort)
        .arg(RemoteConfig::kHighestPort);
}

} // namespace melvanta
