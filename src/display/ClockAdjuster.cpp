#include "display/ClockAdjuster.h"

#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/ElementLayout.h"
#include "display/LogoBox.h"

namespace melvanta {

int ClockAdjuster::elementOf(int target)
{
    switch (target) {
    case MainTitle:
        return kMainTitleElement;
    case Subtitle:
        return kSubtitleElement;
    case Prompt:
        return kPromptElement;
    case DynamicText:
        return kDynamicTextElement;
    case Logo:
        return kLogoElement;
    case Clock:
    case EndText:
        return kClockElement; // the end text is drawn in the clock's box
    default:
        return -1;
    }
}

void ClockAdjuster::showForAdjusting(int target)
{
    const int element = elementOf(target);
    if (element < 0)
        return;
    if (element == kClockElement) {
        if (!m_window.isClockVisible()) {
            m_clockShown = true;
            m_window.setClockVisible(true);
        }
    } else if (element == kLogoElement) {
        if (m_window.logoBox()->isHidden()) {
            m_logoShown = true;
            m_window.logoBox()->show();
        }
    } else {
        m_window.showPlaceholder(element);
    }
    m_window.storeElementPlace(element);
}

void ClockAdjuster::centre(int target)
{
    const int element = elementOf(target);
    QWidget* widget = m_window.elementWidget(element);
    if (!widget)
        return;
    const int screenWidth = m_window.twipsScale().xToPixels(m_window.screenExtent().width());
    widget->move((screenWidth - widget->width()) / 2, widget->y());
    m_window.storeElementPlace(element);
}

void ClockAdjuster::move(int target, int rightTwips, int downTwips)
{
    const int element = elementOf(target);
    QWidget* widget = m_window.elementWidget(element);
    if (!widget)
        return;
    const TwipsScale scale = m_window.twipsScale();
    const QPoint twips(qRound(widget->x() * scale.perPixelX()) + rightTwips,
                       qRound(widget->y() * scale.perPixelY()) + downTwips);
    widget->move(scale.toPixels(twips));
    m_window.storeElementPlace(element);
}

void ClockAdjuster::resize(int target, int points)
{
    const int element = elementOf(target);
    if (element == kClockElement) {
        ClockFace* clock = m_window.clockFace();
        m_window.ShowStatue(clock->text(), points);
    } else if (element >= kMainTitleElement && element <= kDynamicTextElement) {
        m_window.previewLineSize(element, points);
    }
}

void ClockAdjuster::showEndSample(const QString& text)
{
    ClockFace* clock = m_window.clockFace();
    const int points = clock->faceFont().pointSize();
    if (text.isEmpty()) {
        if (m_sampleShown)
            m_window.ShowStatue(m_clockText, points);
        m_sampleShown = false;
        return;
    }
    if (!m_sampleShown)
        m_clockText = clock->text();
    m_sampleShown = true;
    m_window.ShowStatue(text, points);
}

void ClockAdjuster::hideAdjusted()
{
    showEndSample(QString());
    m_window.hidePlaceholders();
    if (m_clockShown)
        m_window.setClockVisible(false);
    LogoBox* logo = m_window.logoBox();
    if (m_logoShown && !m_window.isAdjusting() && !logo->hasPicture() && !logo->hasVideo())
        logo->hide();
    m_clockShown = m_logoShown = false;
}

} // namespace melvanta
