#include "display/ClockWindow.h"

#include "core/CurrentStage.h"
#include "core/ProgramFolder.h"
#include "display/ButtonLabel.h"
#include "display/ClockFace.h"
#include "display/ColourMapping.h"
#include "display/ElementDragger.h"
#include "display/ElementMenuController.h"
#include "display/LogoBox.h"
#include "display/MarqueeLine.h"
#include "display/MenuHost.h"
#include "display/ScreenFollower.h"
#include "display/TextLines.h"
#include "storage/ProgramStores.h"
#include "timing/TimeText.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace melvanta {

namespace {

const QString kFallbackFont = QStringLiteral("宋体");
const std::array<const char*, kButtonCount> kButtonCaptions{" 开始 ", " 停止 ", " 暂停 ", " 设置 ", " 退出 "};
constexpr int kButtonPoints = 12;
QString acceptedFont(const QString& family)
{
    return QFontDatabase::hasFamily(family) ? family : kFallbackFont;
}

// A stored colour on the screen; system colours follow the desktop palette,
// not whatever this window has set on itself.
QColor screenColour(const QString& colourText)
{
    return toQColor(colourText, QGuiApplication::palette());
}

} // namespace

ClockWindow::ClockWindow(ProgramStores& stores, CurrentStage& stage, QWidget* parent)
    : QWidget(parent), m_stores(stores), m_stage(stage), m_clock(new ClockFace(this)), m_overtime(new ClockFace(this)),
      m_logo(new LogoBox(this)), m_restartNotice(new QLabel(this)), m_commands(CommandState::forStatus(RunStatus::Idle))
{
    m_defaultTops.fill(-1);
    setObjectName(QStringLiteral("desk_clock"));
    setWindowTitle(QStringLiteral("Melvanta"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Hovering back onto the background takes the highlight off the buttons.
    setMouseTracking(true);

    m_text = new TextLines(
        *this, stage, [this] { return twipsScale(); }, [this](int element) { placeElement(element); });

    m_clock->setObjectName(QStringLiteral("Picture1"));
    m_overtime->setObjectName(QStringLiteral("Picture4"));
    m_overtime->hide();
    connect(m_logo, &LogoBox::boxResized, this, [this] { placeElement(kLogoElement); });

    m_restartNotice->setObjectName(QStringLiteral("restartNotice"));
    m_restartNotice->setTextFormat(Qt::PlainText);
    m_restartNotice->hide();

    createButtons();

    // A display that changes its size, or another display, gets a fresh layout.
    connect(new ScreenFollower(*this), &ScreenFollower::followed, this, qOverload<>(&ClockWindow::relayout));

    // Every element can be dragged and offers its menu.
    m_dragger = new ElementDragger(*this);
    m_dragger->watchElements();
    connect(m_dragger, &ElementDragger::elementMenuRequested, this, [this](int target, const QPoint& globalPos) {
        if (m_elementMenu)
            m_elementMenu->popUp(target, globalPos);
    });
}

ClockWindow::~ClockWindow()
{
    // The dragger watches the elements; it goes before they do, while this window is still whole.
    delete m_dragger;
}

void ClockWindow::createButtons()
{
    for (int i = 0; i < kButtonCount; ++i) {
        auto* button = new ButtonLabel(
            QString::fromUtf8(kButtonCaptions[i]),
            [this, i] {
                if (!m_adjusting)
                    Q_EMIT buttonClicked(i);
            },
            this);
        button->setObjectName(QStringLiteral("Label9_%1").arg(i));
        QFont font(kFallbackFont);
        font.setPointSize(kButtonPoints);
        button->setFont(font);
        setTextColour(button, Qt::black);
        button->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
        button->setMargin(2);
        button->adjustSize();
        m_buttons[i] = button;
    }
    applyButtonStates();
}

const StageSettings& ClockWindow::stage() const
{
    return m_stage.get();
}

void ClockWindow::applyStage(const StageSettings& settings)
{
    m_stage.replace(settings);
    const double buttonState = m_stores.profile().readNumber(
        QStringLiteral("clocksite"), QStringLiteral("pictureleft") + QString::number(kButtonStateElement), 0);
    setButtonsShown(buttonState != 2);
    applyStageLook(initialClockText(settings, QTime::currentTime()));
}

void ClockWindow::refreshStage(const QString& initialClockText)
{
    applyStageLook(initialClockText);
    setMarqueeRunning(true);
}

void ClockWindow::applyStageLook(const QString& initialClockText)
{
    m_overtimePoints = 0;
    // One reading of the profile file for the whole refresh.
    const ProfileSnapshot profile = m_stores.profileSnapshot();
    applyElements(initialClockText, profile);
    applyLogo(profile);
    applyPhaseBackground(0);
    relayout(profile);
    update();
}

void ClockWindow::setMenuHost(MenuHost* host)
{
    m_menuHost = host;
    if (!host)
        return;
    host->setWindowMinimised(isMinimized());
    host->commandItem(MenuHost::Buttons)->setChecked(m_buttonsShown);
    host->commandItem(MenuHost::AllowAdjusting)->setChecked(m_adjusting);
    delete m_elementMenu;
    m_elementMenu = new ElementMenuController(*this, *host, this);
}

void ClockWindow::applyElements(const QString& clockText, const ProfileReader& profile)
{
    const StageSettings& settings = stage();
    m_text->applyStage(profile);

    const int clockPoints = settings.size(SizeField::Clock);
    const QString clockFont = acceptedFont(settings.clockFont);
    m_clock->setFaceFont(clockFont);
    m_clock->setTextColour(screenColour(settings.clockcolour));
    m_clockCentredForEnd = false;
    ShowStatue(clockText, clockPoints);
    m_overtime->setFaceFont(clockFont);
    m_overtime->setTextColour(screenColour(settings.clockcolour));
    if (!m_overtime->text().isEmpty())
        m_overtime->showText(m_overtime->text(), clockPoints);
    m_overtime->hide();

    QFont noticeFont(acceptedFont(settings.textfont));
    noticeFont.setPointSize(settings.size(SizeField::Prompt));
    m_restartNotice->setFont(noticeFont);
    setTextColour(m_restartNotice, screenColour(settings.textcolour));
    m_restartNotice->hide();
}

void ClockWindow::applyLogo(const ProfileReader& profile)
{
    m_logo->showStageLogo(stage().logopicture, profile, twipsScale());
    if (m_logo->hasPicture() || m_logo->hasVideo())
        placeElement(kLogoElement);
}

void ClockWindow::backgroundupdate(int phase)
{
    if (phase < 0 || phase >= kAlertPhaseCount)
        return;
    applyPhaseBackground(phase);
    relayout();
    update();
}

void ClockWindow::applyPhaseBackground(int phase)
{
    const QColor clock = m_background.apply(stage(), phase);
    m_clock->setTextColour(clock);
    m_overtime->setTextColour(clock);
}

void ClockWindow::overrideBackground(const QColor& colour)
{
    m_background.showColour(colour);
    // The clock and the element boxes are see-through: repainting the
    // window draws them, digits included, on the new colour.
    update();
}

void ClockWindow::overrideBackgroundPicture(const QString& path, const QColor& clockColour)
{
    m_clock->setTextColour(clockColour);
    m_overtime->setTextColour(clockColour);
    m_background.showPicture(path);
    relayout();
    update();
}

void ClockWindow::relayout()
{
    relayout(m_stores.profileSnapshot());
}

void ClockWindow::relayout(const ProfileReader& profile)
{
    m_background.fitTo(size());
    const TwipsScale scale = twipsScale();
    const QScreen* shownOn = screen();
    m_screenTwips = scale.toTwips(shownOn ? shownOn->availableGeometry().size() : size());
    m_text->marquee().setWidthLimit(m_screenTwips.width());

    for (int element = 0; element < kElementSlots; ++element) {
        if (elementWidget(element))
            m_stored[element] = readStoredPosition(element, profile, m_stores.registry());
    }
    for (int line = 1; line < 5; ++line)
        m_text->fitBox(line);
    arrangeFirstRun();
    for (int element = 0; element < kElementSlots; ++element) {
        if (elementWidget(element))
            placeElement(element);
    }
    placeRestartNotice();
    if (m_menuHost)
        m_menuHost->setWindowMinimised(isMinimized());
}

const MarqueeSettings& ClockWindow::marquee() const
{
    return m_text->marquee().settings();
}

const QTimer* ClockWindow::marqueeTimer() const
{
    return m_text->marquee().timer();
}

bool ClockWindow::isMarqueeRunning() const
{
    return m_text->marquee().isRunning();
}

QString ClockWindow::dynamicText() const
{
    return m_text->dynamicText();
}

void ClockWindow::refreshPrompt()
{
    m_text->setPrompt(m_text->prompt());
}

void ClockWindow::ShowStatue(const QString& text, int points)
{
    if (text.isEmpty())
        return;
    const QSize before = m_clock->size();
    m_clock->showText(text, points);
    m_clock->show();
    if (before != m_clock->size() || m_clockCentredForEnd) {
        m_clockCentredForEnd = false;
        placeElement(kClockElement);
        placeRestartNotice();
    }
}

void ClockWindow::ShowStatuechao(const QString& text, int points)
{
    if (text.isEmpty())
        return;
    const QSize before = m_overtime->size();
    m_overtime->showText(text, points);
    m_overtime->show();
    if (before != m_overtime->size())
        placeElement(kOvertimeClockElement);
}

void ClockWindow::showClockText(const QString& text)
{
    ShowStatue(text, stage().size(SizeField::Clock));
}

void ClockWindow::showOvertimeText(const QString& text)
{
    ShowStatuechao(text, m_overtimePoints > 0 ? m_overtimePoints : stage().size(SizeField::Clock));
}

void ClockWindow::showEndText(const QString& text)
{
    if (text.isEmpty())
        return;
    ShowStatue(text, stage().size(SizeField::Clock));
    const int screenWidth = twipsScale().xToPixels(m_screenTwips.width());
    m_clock->move((screenWidth - m_clock->width()) / 2, m_clock->y());
    m_clockCentredForEnd = true;
    placeRestartNotice();
}

void ClockWindow::setPromptText(const QString& text)
{
    m_text->setPrompt(text);
}

void ClockWindow::setOperatorMessage(const QString& text)
{
    m_text->setOperatorMessage(text);
}

void ClockWindow::setPromptVisible(bool visible)
{
    m_text->setPromptVisible(visible);
}

void ClockWindow::setDateLine(const QString& text)
{
    m_text->setDateLine(text);
}

void ClockWindow::setDynamicText(const QString& text)
{
    m_text->setDynamicText(text);
}

void ClockWindow::setMarqueeRunning(bool running)
{
    m_text->marquee().setRunning(running);
}

void ClockWindow::stepMarquee()
{
    m_text->stepMarquee();
}

void ClockWindow::dongtaiRefresh(int index)
{
    m_text->refresh(index);
}

void ClockWindow::SetAdjustMode(int state)
{
    const bool on = state == 1;
    m_adjusting = on;
    if (m_menuHost)
        m_menuHost->commandItem(MenuHost::AllowAdjusting)->setChecked(on);
    m_text->setAdjusting(on);
    if (!on && !m_logo->hasPicture() && !m_logo->hasVideo())
        m_logo->hide();
    applyButtonStates();
}

void ClockWindow::showRestartDelay(int seconds)
{
    if (seconds <= 0) {
        m_restartNotice->hide();
        return;
    }
    const QString text = QStringLiteral("%1 秒后重新开始").arg(seconds);
    m_restartNotice->setText(text);
    m_restartNotice->setAccessibleName(text);
    m_restartNotice->adjustSize();
    placeRestartNotice();
    m_restartNotice->show();
}

void ClockWindow::placeRestartNotice()
{
    // Centred under the clock.
    const QRect clock = m_clock->geometry();
    m_restartNotice->move(clock.center().x() - m_restartNotice->width() / 2, clock.bottom() + 1);
}

void ClockWindow::showLongTerm(const QString& dateLine, const QString& clockText)
{
    setDateLine(dateLine);
    showClockText(clockText);
}

void ClockWindow::setClockVisible(bool visible)
{
    m_clock->setVisible(visible);
}

bool ClockWindow::isClockVisible() const
{
    return !m_clock->isHidden();
}

void ClockWindow::setOvertimeClockVisible(bool visible)
{
    m_overtime->setVisible(visible);
}

bool ClockWindow::isOvertimeClockVisible() const
{
    return !m_overtime->isHidden();
}

void ClockWindow::setButtonsShown(bool shown)
{
    m_buttonsShown = shown;
    for (QLabel* button : m_buttons)
        button->setVisible(shown);
}

void ClockWindow::setCommandState(const CommandState& state)
{
    m_commands = state;
    if (!state.button0Caption.isEmpty())
        m_buttons[0]->setText(state.button0Caption);
    if (!state.button2Caption.isEmpty())
        m_buttons[2]->setText(state.button2Caption);
    applyButtonStates();
    if (m_menuHost)
        m_menuHost->applyCommandState(state);
}

void ClockWindow::applyButtonStates()
{
    // While adjusting, every button is enabled so that it can be moved.
    const std::array<bool, kButtonCount> enabled{m_commands.button0Enabled, m_commands.button1Enabled,
                                                 m_commands.button2Enabled, m_commands.button3Enabled,
                                                 m_commands.button4Enabled};
    for (int i = 0; i < kButtonCount; ++i) {
        m_buttons[i]->setEnabled(m_adjusting || enabled[i]);
        m_buttons[i]->setAccessibleName(m_buttons[i]->text());
        const QSize before = m_buttons[i]->size();
        m_buttons[i]->adjustSize();
        if (before != m_buttons[i]->size())
            placeElement(kFirstButtonElement + i);
    }
}

QString ClockWindow::clockText() const
{
    return m_clock->text();
}

void ClockWindow::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    m_background.paint(painter, event->rect(), palette().color(QPalette::Window));
    if (!m_painted) {
        m_painted = true;
        Q_EMIT firstPainted();
    }
}

void ClockWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void ClockWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!childAt(event->position().toPoint()))
        m_dragger->backgroundHovered();
    QWidget::mouseMoveEvent(event);
}

void ClockWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The background and the buttons offer the command menu; the display
    // elements have a menu of their own.
    QWidget* hit = childAt(event->position().toPoint());
    const bool onButton = std::find(m_buttons.begin(), m_buttons.end(), hit) != m_buttons.end();
    if (!hit || hit == m_restartNotice || onButton) {
        event->accept();
        Q_EMIT commandMenuRequested(event->globalPosition().toPoint());
        return;
    }
    QWidget::mousePressEvent(event);
}

void ClockWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && m_menuHost)
        m_menuHost->setWindowMinimised(isMinimized());
}

} // namespace melvanta
