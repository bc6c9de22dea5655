#include "display/ClockWindow.h"

#include "display/ClockFace.h"
#include "display/LogoBox.h"
#include "display/TextLines.h"
#include "storage/ElementPositionStore.h"
#include "storage/ProgramStores.h"

#include <QLabel>
#include <QScreen>

// Where the clock window's elements stand: which widget each element is,
// its place on the screen in twips, the first-run arrangement, and the
// places the operator stores by dragging or with the adjustment tool.

namespace melvanta {

void ClockWindow::arrangeFirstRun()
{
    // Every line takes its room, shown or not, so that a line that appears
    // later (a prompt, a name while adjusting) finds its place free.
    const TwipsScale scale = twipsScale();
    auto twipsHigh = [&](int pixels) { return scale.toTwips(QSize(0, pixels)).height(); };
    std::array<int, kElementSlots> heights{};
    for (int line = 0; line < 5; ++line) {
        if (line == kDateLineElement && !stage().longTerm())
            continue;
        // The room a line of Chinese text takes, whatever the line shows now:
        // the fallback font of the Chinese glyphs is often taller than the
        // stage's own, and places must not move when a prompt appears.
        QLabel probe(QStringLiteral("计时Ag"));
        probe.setFont(textLine(line)->font());
        heights[line] = twipsHigh(qMax(textBox(line)->height(), probe.sizeHint().height()));
    }
    heights[kClockElement] = twipsHigh(m_clock->height());
    heights[kOvertimeClockElement] = twipsHigh(m_overtimePoints > 0 ? m_overtime->height() : m_clock->height());
    for (int i = 0; i < kButtonCount; ++i)
        heights[kFirstButtonElement + i] = twipsHigh(m_buttons[i]->height());
    m_defaultTops = firstRunTops(heights, m_screenTwips.height());
}

QWidget* ClockWindow::elementWidget(int element) const
{
    switch (element) {
    case kMainTitleElement:
    case kSubtitleElement:
    case kDateLineElement:
    case kPromptElement:
    case kDynamicTextElement:
        return m_text->box(element);
    case kClockElement:
        return m_clock;
    case kLogoElement:
        return m_logo;
    case kOvertimeClockElement:
        return m_overtime;
    default:
        if (element >= kFirstButtonElement && element < kElementSlots)
            return m_buttons[element - kFirstButtonElement];
        return nullptr;
    }
}

QLabel* ClockWindow::textLine(int line) const
{
    return m_text->line(line);
}

QWidget* ClockWindow::textBox(int line) const
{
    return m_text->box(line);
}

void ClockWindow::placeElement(int element)
{
    QWidget* widget = elementWidget(element);
    if (!widget)
        return;
    const TwipsScale scale = twipsScale();
    if (m_screenTwips.isEmpty()) {
        const QScreen* shownOn = screen();
        m_screenTwips = scale.toTwips(shownOn ? shownOn->availableGeometry().size() : size());
    }
    const StageSettings& settings = stage();
    const bool alwaysCentred = (element == kMainTitleElement && settings.mainTitleCentred()) ||
                               (element == kSubtitleElement && settings.subtitleCentred());
    const QPoint twips = melvanta::placeElement(element, m_stored[element], scale.toTwips(widget->size()),
                                                m_screenTwips, alwaysCentred, m_defaultTops[element]);
    widget->move(scale.toPixels(twips));
}

void ClockWindow::storeElementPlace(int element)
{
    const QWidget* widget = elementWidget(element);
    if (!widget)
        return;
    const TwipsScale scale = twipsScale();
    const int left = qRound(widget->x() * scale.perPixelX());
    const int top = qRound(widget->y() * scale.perPixelY());
    SaveElementPosition(element, left, top, m_stores.profile().filePath(), m_stores.registry());
    keepStoredPosition(element, {double(left), double(top)});
}

void ClockWindow::showPlaceholder(int line)
{
    m_text->showPlaceholder(line);
}

void ClockWindow::hidePlaceholders()
{
    m_text->hidePlaceholders();
}

void ClockWindow::previewLineSize(int line, int points)
{
    m_text->previewSize(line, points);
}

TwipsScale ClockWindow::twipsScale() const
{
    const QScreen* shownOn = screen();
    if (!shownOn)
        return TwipsScale();
    return TwipsScale(shownOn->logicalDotsPerInchX(), shownOn->logicalDotsPerInchY());
}

QWidget* ClockWindow::targetWidget(int target) const
{
    return elementWidget(elementOfMenuTarget(target));
}

QFont ClockWindow::targetFont(int target) const
{
    if (target >= kMainTitleElement && target <= kDynamicTextElement)
        return textLine(target)->font();
    if (target == kClockTarget)
        return m_clock->faceFont();
    if (target == kOvertimeClockTarget)
        return m_overtime->faceFont();
    return font();
}

QColor ClockWindow::targetColour(int target) const
{
    if (target >= kMainTitleElement && target <= kDynamicTextElement)
        return textLine(target)->palette().color(QPalette::WindowText);
    if (target == kClockTarget)
        return m_clock->textColour();
    if (target == kOvertimeClockTarget)
        return m_overtime->textColour();
    return QColor();
}

} // namespace melvanta
