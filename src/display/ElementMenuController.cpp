#include "display/ElementMenuController.h"

#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "storage/RegistryStore.h"
#include "support/Choosers.h"

#include <QAction>
#include <QMenu>

namespace melvanta {

ElementMenuController::ElementMenuController(ClockWindow& window, MenuHost& host, QObject* parent)
    : QObject(parent), m_window(window), m_host(&host)
{
    connect(&host, &MenuHost::elementCommandChosen, this, &ElementMenuController::run);
}

void ElementMenuController::popUp(int target, const QPoint& globalPos)
{
    if (!m_host)
        return;
    for (int item = 0; item < MenuHost::ElementItemCount; ++item)
        m_host->elementItem(item)->setVisible(true);
    const StageSettings& stage = m_window.stage();
    QAction* weekday = m_host->elementItem(MenuHost::ShowWeekday);
    weekday->setVisible(stage.longTerm());
    if (stage.longTerm())
        weekday->setChecked(stage.promptShowsWeekday());
    // The prompt and the dynamic text keep their places; the logo has
    // neither font nor colour.
    if (target == kPromptElement || target == kDynamicTextElement)
        m_host->elementItem(MenuHost::Centre)->setVisible(false);
    if (target == kLogoTarget) {
        for (int item : {MenuHost::SetFont, MenuHost::SetColour, MenuHost::Centre})
            m_host->elementItem(item)->setVisible(false);
    }
    m_host->elementMenu()->popup(globalPos);
}

void ElementMenuController::run(int item)
{
    const int target = m_window.menuTarget();
    switch (item) {
    case MenuHost::SetFont:
        chooseFont(target);
        break;
    case MenuHost::SetColour:
        chooseColour(target);
        break;
    case MenuHost::Centre:
        m_window.centreTarget(target);
        break;
    case MenuHost::Hide:
        m_window.hideTarget(target);
        break;
    case MenuHost::ShowWeekday:
        if (m_host) {
            m_window.setPromptShowsWeekday(m_host->elementItem(MenuHost::ShowWeekday)->isChecked());
            RegistryStore().setText(QStringLiteral("checkthree"), m_window.stage().checkthree);
        }
        break;
    default:
        break;
    }
}

void ElementMenuController::chooseFont(int target)
{
    if (target < kMainTitleElement || target > kOvertimeClockTarget)
        return;
    const std::optional<FontChoice> choice =
        Choosers::chooseFont(m_window.targetFont(target), m_window.targetColour(target), &m_window);
    if (!choice)
        return;
    m_window.setTargetFont(target, choice->font, choice->colour);
    saveLook(target, true);
}

void ElementMenuController::chooseColour(int target)
{
    if (target < kMainTitleElement || target > kOvertimeClockTarget)
        return;
    const std::optional<QColor> colour = Choosers::chooseColour(m_window.targetColour(target), &m_window);
    if (!colour)
        return;
    m_window.setTargetColour(target, *colour);
    saveLook(target, false);
}

void ElementMenuController::saveLook(int target, bool withSize)
{
    // Only the clock and the date line keep their looks at once; the other
    // elements take the stage's own again at the next refresh.
    const StageSettings& stage = m_window.stage();
    RegistryStore registry;
    const QString sizethree = registry.text(QStringLiteral("sizethree")).value_or(stage.sizethree);
    if (target == kClockTarget) {
        if (withSize) {
            registry.putText(QStringLiteral("clockFont"), stage.clockFont);
            registry.putText(QStringLiteral("sizethree"),
                             withFontSize(sizethree, SizeField::Clock, stage.size(SizeField::Clock)));
        }
        registry.putText(QStringLiteral("clockcolour"), stage.clockcolour);
    } else if (target == kDateLineElement) {
        registry.putText(QStringLiteral("stagefont"), stage.stagefont);
        registry.putText(QStringLiteral("stagecolour"), stage.stagecolour);
        if (withSize) {
            registry.putText(QStringLiteral("sizethree"),
                             withFontSize(sizethree, SizeField::DateLine, stage.size(SizeField::DateLine)));
        }
        m_window.dongtaiRefresh(kDateLineElement);
    } else {
        return;
    }
    registry.flush();
}

} // namespace melvanta
