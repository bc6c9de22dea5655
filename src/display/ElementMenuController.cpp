#include "display/ElementMenuController.h"

#include "core/CurrentStage.h"
#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/ColourMapping.h"
#include "display/MenuHost.h"
#include "storage/ElementPositionStore.h"
#include "storage/ProgramStores.h"
#include "storage/StageSettingsStore.h"
#include "support/Choosers.h"

#include <QAction>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>

namespace melvanta {

namespace {

QString colourText(const QColor& colour)
{
    return OleColour::rgb(colour.red(), colour.green(), colour.blue()).text();
}

} // namespace

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
        centreTarget(target);
        break;
    case MenuHost::Hide:
        hideTarget(target);
        break;
    case MenuHost::ShowWeekday:
        if (m_host)
            setPromptShowsWeekday(m_host->elementItem(MenuHost::ShowWeekday)->isChecked());
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
    setTargetFont(target, choice->font, choice->colour);
    saveLook(target, true);
}

void ElementMenuController::chooseColour(int target)
{
    if (target < kMainTitleElement || target > kOvertimeClockTarget)
        return;
    const std::optional<QColor> colour = Choosers::chooseColour(m_window.targetColour(target), &m_window);
    if (!colour)
        return;
    setTargetColour(target, *colour);
    saveLook(target, false);
}

void ElementMenuController::setTargetFont(int target, const QFont& font, const QColor& colour)
{
    QFont applied(font);
    if (!QFontDatabase::hasFamily(applied.family()))
        applied.setFamily(QStringLiteral("宋体"));
    const int points = qBound(1, font.pointSize() > 0 ? font.pointSize() : qRound(font.pointSizeF()), kMaxFontSize);
    applied.setPointSize(points);
    CurrentStage& current = m_window.currentStage();
    StageSettings stage = current.get();
    if (target >= kMainTitleElement && target <= kDynamicTextElement) {
        QLabel* line = m_window.textLine(target);
        line->setFont(applied);
        setTextColour(line, colour);
        if (target == kDateLineElement) {
            stage.stagefont = applied.family();
            stage.stagecolour = colourText(colour);
            stage.sizethree = withFontSize(stage.sizethree, SizeField::DateLine, points);
            current.replace(stage);
        }
        if (target == kMainTitleElement)
            line->adjustSize();
        else
            m_window.dongtaiRefresh(target);
    } else if (target == kClockTarget) {
        stage.clockFont = applied.family();
        stage.clockcolour = colourText(colour);
        stage.sizethree = withFontSize(stage.sizethree, SizeField::Clock, points);
        current.replace(stage);
        m_window.clockFace()->setFaceStyle(applied);
        m_window.clockFace()->setTextColour(colour);
        m_window.ShowStatue(m_window.clockFace()->text(), points);
    } else if (target == kOvertimeClockTarget) {
        m_window.setOvertimePoints(points);
        m_window.overtimeFace()->setFaceStyle(applied);
        m_window.overtimeFace()->setTextColour(colour);
        m_window.ShowStatuechao(m_window.overtimeFace()->text(), points);
    }
}

void ElementMenuController::setTargetColour(int target, const QColor& colour)
{
    CurrentStage& current = m_window.currentStage();
    StageSettings stage = current.get();
    if (target >= kMainTitleElement && target <= kDynamicTextElement) {
        setTextColour(m_window.textLine(target), colour);
        if (target == kDateLineElement) {
            stage.stagefont = m_window.textLine(target)->font().family();
            stage.stagecolour = colourText(colour);
            current.replace(stage);
        }
    } else if (target == kClockTarget) {
        stage.clockcolour = colourText(colour);
        current.replace(stage);
        m_window.clockFace()->setTextColour(colour);
    } else if (target == kOvertimeClockTarget) {
        m_window.overtimeFace()->setTextColour(colour);
    }
}

void ElementMenuController::saveLook(int target, bool withSize)
{
    // Only the clock and the date line keep their looks; the other
    // elements take the stage's own again at the next refresh.
    if (target != kClockTarget && target != kDateLineElement)
        return;
    const StageSettings& stage = m_window.stage();
    RegistryStore& registry = m_window.stores().registry();
    if (!HoldsStageSettings(registry)) {
        // A store without a whole stage would give the defaults at the next
        // load and lose single values: the whole current stage goes in.
        SaveStageSettings(registry, stage);
        return;
    }
    const QString sizethree = registry.text(QStringLiteral("sizethree")).value_or(stage.sizethree);
    if (target == kClockTarget) {
        if (withSize) {
            registry.putText(QStringLiteral("clockFont"), stage.clockFont);
            registry.putText(QStringLiteral("sizethree"),
                             withFontSize(sizethree, SizeField::Clock, stage.size(SizeField::Clock)));
        }
        registry.putText(QStringLiteral("clockcolour"), stage.clockcolour);
    } else {
        registry.putText(QStringLiteral("stagefont"), stage.stagefont);
        registry.putText(QStringLiteral("stagecolour"), stage.stagecolour);
        if (withSize) {
            registry.putText(QStringLiteral("sizethree"),
                             withFontSize(sizethree, SizeField::DateLine, stage.size(SizeField::DateLine)));
        }
        m_window.dongtaiRefresh(kDateLineElement);
    }
    registry.flush();
}

void ElementMenuController::centreTarget(int target)
{
    const int element = elementOfMenuTarget(target);
    QWidget* widget = m_window.elementWidget(element);
    if (!widget)
        return;
    const TwipsScale scale = m_window.twipsScale();
    const int width = qRound(widget->width() * scale.perPixelX());
    const int left = (m_window.screenExtent().width() - width) / 2;
    const int top = qRound(widget->y() * scale.perPixelY());
    widget->move(scale.xToPixels(left), widget->y());
    ProgramStores& stores = m_window.stores();
    SaveElementPosition(element, left, top, stores.profile().filePath(), stores.registry());
    m_window.keepStoredPosition(element, {double(left), double(top)});
}

void ElementMenuController::hideTarget(int target)
{
    if (QWidget* widget = m_window.targetWidget(target))
        widget->hide();
}

void ElementMenuController::setPromptShowsWeekday(bool on)
{
    CurrentStage& current = m_window.currentStage();
    StageSettings stage = current.get();
    stage.checkthree = withSwitch(stage.checkthree, 2, on);
    current.replace(stage);
    m_window.refreshPrompt();
    RegistryStore& registry = m_window.stores().registry();
    if (HoldsStageSettings(registry))
        registry.setText(QStringLiteral("checkthree"), stage.checkthree);
    else
        SaveStageSettings(registry, stage);
}

} // namespace melvanta
