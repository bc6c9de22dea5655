#include "core/StageSettings.h"

#include <QRegularExpression>

namespace melvanta {

namespace {

constexpr char kSystemTextColour[] = "-2147483640";

} // namespace

StageSettings StageSettings::defaults(const QDate& today)
{
    StageSettings s;
    s.Time_all = QTime(0, 1, 0);
    s.Time_one = QTime(0, 0, 50);
    s.Time_two = QTime(0, 0, 40);
    s.Time_three = QTime(0, 0, 30);
    s.Time_four = QTime(0, 0, 20);
    s.Time_five = QTime(0, 0, 10);
    s.time_date = today;
    s.checkone = QStringLiteral("1111110");
    s.checktwo = QStringLiteral("111111111111111111111");
    QString* texts[] = {&s.textstart, &s.textone, &s.texttwo, &s.textthree, &s.textfour, &s.textfive, &s.textend};
    QString* sounds[] = {&s.musicstart, &s.musicone,  &s.musictwo, &s.musicthree,
                         &s.musicfour,  &s.musicfive, &s.musicend};
    for (int phase = 0; phase < kAlertPhaseCount; ++phase) {
        *texts[phase] = QString::fromUtf8(kAlertPhases[phase].defaultText);
        *sounds[phase] = QString::fromUtf8(kAlertPhases[phase].defaultSound);
    }
    const QString font = QStringLiteral("新宋体");
    const QString textColour = QString::fromLatin1(kSystemTextColour);
    s.firstfont = s.secondfont = s.clockFont = s.stagefont = s.textfont = s.rollfont = font;
    s.firstcolour = s.secondcolour = s.clockcolour = s.stagecolour = s.textcolour = s.rollcolour = textColour;
    s.firsttext = QStringLiteral("中层干部年终述职考评会");
    s.secondtext = QString();
    s.background = QStringLiteral("-2147483643\\1.jpg");
    s.sizethree = QStringLiteral("90/80/150/100/30/30/");
    s.checkthree = QStringLiteral("011111");
    s.checkfour = QStringLiteral("0000");
    s.combolist = QStringLiteral("100");
    s.logopicture = QString();
    s.tixingtime = 5;
    s.highsetstart = s.highsetone = s.highsettwo = s.highsetthree = QStringLiteral("0\\-2147483643\\1.jpg");
    s.highsetfour = s.highsetfive = QStringLiteral("0\\65535\\");
    s.highsetend = QStringLiteral("0\\255\\");
    return s;
}

const QString& StageSettings::phaseText(AlertPhase phase) const
{
    const QString* texts[] = {&textstart, &textone, &texttwo, &textthree, &textfour, &textfive, &textend};
    return *texts[static_cast<int>(phase)];
}

const QString& StageSettings::phaseSound(AlertPhase phase) const
{
    const QString* sounds[] = {&musicstart, &musicone, &musictwo, &musicthree, &musicfour, &musicfive, &musicend};
    return *sounds[static_cast<int>(phase)];
}

const QString& StageSettings::phaseLook(AlertPhase phase) const
{
    const QString* looks[] = {&highsetstart, &highsetone,  &highsettwo, &highsetthree,
                              &highsetfour,  &highsetfive, &highsetend};
    return *looks[static_cast<int>(phase)];
}

bool StageSettings::operator==(const StageSettings& other) const
{
    for (const StageField& field : stageFields()) {
        if (fieldText(*this, field) != fieldText(other, field))
            return false;
    }
    return true;
}

const std::array<StageField, kStageFieldCount>& stageFields()
{
    using S = StageSettings;
    static const std::array<StageField, kStageFieldCount> fields{{
        {"Time_all", &S::Time_all},         {"Time_one", &S::Time_one},       {"Time_two", &S::Time_two},
        {"Time_three", &S::Time_three},     {"Time_four", &S::Time_four},     {"Time_five", &S::Time_five},
        {"time_date", &S::time_date},       {"checkone", &S::checkone},       {"checktwo", &S::checktwo},
        {"textstart", &S::textstart},       {"textone", &S::textone},         {"texttwo", &S::texttwo},
        {"textthree", &S::textthree},       {"textfour", &S::textfour},       {"textfive", &S::textfive},
        {"textend", &S::textend},           {"musicstart", &S::musicstart},   {"musicone", &S::musicone},
        {"musictwo", &S::musictwo},         {"musicthree", &S::musicthree},   {"musicfour", &S::musicfour},
        {"musicfive", &S::musicfive},       {"musicend", &S::musicend},       {"firstfont", &S::firstfont},
        {"firstcolour", &S::firstcolour},   {"firsttext", &S::firsttext},     {"secondfont", &S::secondfont},
        {"secondcolour", &S::secondcolour}, {"secondtext", &S::secondtext},   {"clockFont", &S::clockFont},
        {"clockcolour", &S::clockcolour},   {"background", &S::background},   {"stagefont", &S::stagefont},
        {"stagecolour", &S::stagecolour},   {"textfont", &S::textfont},       {"textcolour", &S::textcolour},
        {"rollfont", &S::rollfont},         {"rollcolour", &S::rollcolour},   {"sizethree", &S::sizethree},
        {"checkthree", &S::checkthree},     {"checkfour", &S::checkfour},     {"combolist", &S::combolist},
        {"logopicture", &S::logopicture},   {"tixingtime", &S::tixingtime},   {"highsetstart", &S::highsetstart},
        {"highsetone", &S::highsetone},     {"highsettwo", &S::highsettwo},   {"highsetthree", &S::highsetthree},
        {"highsetfour", &S::highsetfour},   {"highsetfive", &S::highsetfive}, {"highsetend", &S::highsetend},
    }};
    return fields;
}

QString fieldText(const StageSettings& settings, const StageField& field)
{
    struct Visitor
    {
        const StageSettings& s;
        QString operator()(QTime StageSettings::*m) const { return (s.*m).toString(QStringLiteral("hh:mm:ss")); }
        QString operator()(QDate StageSettings::*m) const { return (s.*m).toString(QStringLiteral("yyyy-MM-dd")); }
        QString operator()(QString StageSettings::*m) const { return s.*m; }
        QString operator()(qint16 StageSettings::*m) const { return QString::number(s.*m); }
    };
    return std::visit(Visitor{settings}, field.member);
}

bool setFieldFromText(StageSettings& settings, const StageField& field, const QString& text)
{
    struct Visitor
    {
        StageSettings& s;
        const QString& text;
        bool operator()(QTime StageSettings::*m) const
        {
            const QTime t = parseStoredTime(text);
            if (t.isValid())
                s.*m = t;
            return t.isValid();
        }
        bool operator()(QDate StageSettings::*m) const
        {
            const QDate d = parseStoredDate(text);
            if (d.isValid())
                s.*m = d;
            return d.isValid();
        }
        bool operator()(QString StageSettings::*m) const
        {
            s.*m = text;
            return true;
        }
        bool operator()(qint16 StageSettings::*m) const
        {
            bool ok = false;
            const int value = text.trimmed().toInt(&ok);
            if (!ok || value < -32768 || value > 32767)
                return false;
            s.*m = static_cast<qint16>(value);
            return true;
        }
    };
    return std::visit(Visitor{settings, text}, field.member);
}

QTime parseStoredTime(const QString& text)
{
    // The time is the last "h:mm[:ss]" group of the text; a date part in
    // front of it ("1899/12/30 0:01:00", "2024-01-05 00:01:00") is ignored.
    static const QRegularExpression pattern(QStringLiteral(R"((?:^|\s)(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*$)"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return QTime();
    return QTime(match.captured(1).toInt(), match.captured(2).toInt(),
                 match.captured(3).isEmpty() ? 0 : match.captured(3).toInt());
}

QDate parseStoredDate(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^\s*(\d{4})[-/.](\d{1,2})[-/.](\d{1,2})(?:\s|$))"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return QDate();
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}

} // namespace melvanta
