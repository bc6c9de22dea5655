#include "display/FirstRunFit.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>

#include <algorithm>

namespace melvanta {

namespace {

constexpr SizeField kFields[] = {SizeField::MainTitle, SizeField::Subtitle, SizeField::Clock,
                                 SizeField::DateLine,  SizeField::Prompt,   SizeField::DynamicText};
// The room the buttons, the margins and the gaps between the elements take, in pixels.
constexpr int kReservedPixels = 110;
constexpr int kSideMarginPixels = 20;

QFont fontOf(const QString& family, int points, bool bold = false)
{
    QFont font(QFontDatabase::hasFamily(family) ? family : QStringLiteral("宋体"));
    font.setPointSize(qMax(1, points));
    font.setBold(bold);
    return font;
}

StageSettings scaled(const StageSettings& stage, double factor)
{
    StageSettings result = stage;
    for (SizeField field : kFields)
        result.sizethree = withFontSize(result.sizethree, field, qMax(6, qRound(stage.size(field) * factor)));
    return result;
}

// Whether the elements of `stage` stand one above the other on `screen`.
bool fits(const StageSettings& stage, const QSize& screen)
{
    struct Line
    {
        QFont font;
        QString widest;
    };
    QString prompt = QStringLiteral("提示文字");
    for (int phase = 0; phase < kAlertPhaseCount; ++phase) {
        const QString& text = stage.phaseText(static_cast<AlertPhase>(phase));
        if (text.size() > prompt.size())
            prompt = text;
    }
    QList<Line> lines{
        {fontOf(stage.firstfont, stage.size(SizeField::MainTitle)), stage.firsttext},
        {fontOf(stage.secondfont, stage.size(SizeField::Subtitle)),
         stage.secondtext.isEmpty() ? QStringLiteral("副标题") : stage.secondtext},
        {fontOf(stage.textfont, stage.size(SizeField::Prompt)), prompt},
        {fontOf(stage.clockFont, stage.size(SizeField::Clock), true), QStringLiteral("00:00:00")},
        {fontOf(stage.clockFont, stage.size(SizeField::Clock), true), QStringLiteral("00:00:00")},
        {fontOf(stage.rollfont, stage.size(SizeField::DynamicText)), QString()},
    };
    if (stage.longTerm())
        lines.append({fontOf(stage.stagefont, stage.size(SizeField::DateLine)), QStringLiteral("999天")});
    int height = kReservedPixels;
    for (const Line& line : lines) {
        const QFontMetrics metrics(line.font);
        height += metrics.height() + 2;
        if (metrics.horizontalAdvance(line.widest) + 8 > screen.width() - 2 * kSideMarginPixels)
            return false;
    }
    return height <= screen.height();
}

} // namespace

StageSettings fitFirstRunStage(const StageSettings& stage, const QSize& screenPixels)
{
    if (screenPixels.isEmpty() || fits(stage, screenPixels))
        return stage;
    for (double factor = 0.95; factor > 0.3; factor -= 0.05) {
        const StageSettings candidate = scaled(stage, factor);
        if (fits(candidate, screenPixels))
            return candidate;
    }
    return scaled(stage, 0.3);
}

} // namespace melvanta
