#include "display/ClockWindow.h"

#include "core/ProgramFolder.h"
#include "display/ClockFace.h"
#include "display/ColourMapping.h"
#include "display/ElementDragger.h"
#include "display/ElementMenuController.h"
#include "display/LogoBox.h"
#include "display/MenuHost.h"
#include "storage/ElementPositionStore.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"
#include "timing/TimeText.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <functional>
#include <utility>

namespace melvanta {

namespace {

const QString kFallbackFont = QStringLiteral("宋体");
const QString kButtonTip = QStringLiteral("右键更多选项…");
const std::array<const char*, kButtonCount> kButtonCaptions{" 开始 ", " 停止 ", " 暂停 ", " 设置 ", " 退出 "};
constexpr int kButtonPoints = 12;
// What an empty text line shows while the elements are being adjusted.
const std::array<const char*, 5> kPlaceholders{"主标题", "副标题", "系统日期", "提示文字", "动态文本"};

QString placeholder(int line)
{
    return QString::fromUtf8(kPlaceholders[line]);
}

QString weekdayText()
{
    return QLocale::system().toString(QDate::currentDate(), QStringLiteral("dddd"));
}

QString profilePath()
{
    return ProgramFolder::file(QLatin1String(kProfileFileName));
}

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

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// One of the five operator buttons: a caption that runs its command on a
// left click. Right presses go on to the window, which offers the menu.
class ButtonLabel : public QLabel
{
public:
    ButtonLabel(const QString& caption, std::function<void()> onClick, QWidget* parent)
        : QLabel(caption, parent), m_onClick(std::move(onClick))
    {
        setTextFormat(Qt::PlainText);
        setAlignment(Qt::AlignCenter);
        setToolTip(kButtonTip);
        setAccessibleName(caption);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        m_pressed = event->button() == Qt::LeftButton;
        if (m_pressed)
            event->accept();
        else
            event->ignore();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const bool click =
            m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
        m_pressed = false;
        if (click)
            m_onClick();
    }

private:
    std::function<void()> m_onClick;
    bool m_pressed = false;
};

struct LineLook
{
    QString StageSettings::*font;
    QString StageSettings::*colour;
    SizeField size;
};

// Font, colour and size fields of the text lines 0 ... 4.
const std::array<LineLook, 5> kLineLooks{{
    {&StageSettings::firstfont, &StageSettings::firstcolour, SizeField::MainTitle},
    {&StageSettings::secondfont, &StageSettings::secondcolour, SizeField::Subtitle},
    {&StageSettings::stagefont, &StageSettings::stagecolour, SizeField::DateLine},
    {&StageSettings::textfont, &StageSettings::textcolour, SizeField::Prompt},
    {&StageSettings::rollfont, &StageSettings::rollcolour, SizeField::DynamicText},
}};

} // namespace

int elementOfMenuTarget(int target)
{
    switch (target) {
    case kOvertimeClockTarget:
        return kOvertimeClockElement;
    case kLogoTarget:
        return kLogoElement;
    default:
        return target >= kMainTitleElement && target <= kClockElement ? target : -1;
    }
}

ClockWindow::ClockWindow(QWidget* parent)
    : QWidget(parent), m_clock(new ClockFace(this)), m_overtime(new ClockFace(this)), m_logo(new LogoBox(this)),
      m_restartNotice(new QLabel(this))
{
    setObjectName(QStringLiteral("desk_clock"));
    setWindowTitle(QStringLiteral("Melvanta"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Hovering back onto the background takes the highlight off the buttons.
    setMouseTracking(true);

    m_lines[0] = new QLabel(this);
    for (int i = 1; i < 5; ++i) {
        // No fill: the text stands on the window's own background.
        m_boxes[i] = new QFrame(this);
        m_boxes[i]->setFrameStyle(QFrame::NoFrame);
        m_boxes[i]->setObjectName(QStringLiteral("Picture6_%1").arg(i));
        m_boxes[i]->hide();
        m_lines[i] = new QLabel(m_boxes[i]);
    }
    for (int i = 0; i < 5; ++i) {
        m_lines[i]->setObjectName(QStringLiteral("Label2_%1").arg(i));
        m_lines[i]->setTextFormat(Qt::PlainText);
        m_lines[i]->setFont(QFont(i == 4 ? QStringLiteral("新宋体") : kFallbackFont));
    }

    m_clock->setObjectName(QStringLiteral("Picture1"));
    m_overtime->setObjectName(QStringLiteral("Picture4"));
    m_overtime->hide();
    connect(m_logo, &LogoBox::boxResized, this, [this] { placeElement(kLogoElement); });

    m_restartNotice->setObjectName(QStringLiteral("restartNotice"));
    m_restartNotice->setTextFormat(Qt::PlainText);
    m_restartNotice->hide();

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
    setCommandState(CommandState::forStatus(RunStatus::Idle));

    m_marqueeLine = new MarqueeLine(
        m_lines[kDynamicTextElement], [this] { return twipsScale(); }, this);
    connect(m_marqueeLine, &MarqueeLine::stepDue, this, &ClockWindow::stepMarquee);

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

void ClockWindow::applyStage(const StageSettings& settings)
{
    const ProfileFile profile(ProgramFolder::file(QLatin1String(kProfileFileName)));
    const double buttonState = profile.readNumber(
        QStringLiteral("clocksite"), QStringLiteral("pictureleft") + QString::number(kButtonStateElement), 0);
    setButtonsShown(buttonState != 2);
    applyStageLook(settings, initialClockText(settings, QTime::currentTime()));
}

void ClockWindow::refreshStage(const StageSettings& stage, const QString& initialClockText)
{
    applyStageLook(stage, initialClockText);
    setMarqueeRunning(true);
}

void ClockWindow::applyStageLook(const StageSettings& stage, const QString& initialClockText)
{
    m_settings = stage;
    m_overtimePoints = 0;
    m_marqueeLine->readSettings(profilePath());
    applyElements(initialClockText);
    applyLogo();
    backgroundupdate(0); // lays the window out as well
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

void ClockWindow::applyElements(const QString& clockText)
{
    const std::array<QString, 5> texts{m_settings.firsttext, m_settings.secondtext, QString(), QString(),
                                       m_dynamicText};
    for (int i = 0; i < 5; ++i) {
        QLabel* line = m_lines[i];
        QFont font(acceptedFont(m_settings.*kLineLooks[i].font));
        font.setPointSize(m_settings.size(kLineLooks[i].size));
        line->setFont(font);
        setTextColour(line, screenColour(m_settings.*kLineLooks[i].colour));
        line->setText(texts[i]);
        line->setAccessibleName(texts[i]);
        line->adjustSize();
    }
    m_lines[0]->setVisible(!texts[0].isEmpty());
    m_boxes[1]->setVisible(!texts[1].isEmpty());
    m_boxes[2]->hide();
    m_boxes[3]->hide();
    setDynamicText(m_dynamicText);

    const int clockPoints = m_settings.size(SizeField::Clock);
    const QString clockFont = acceptedFont(m_settings.clockFont);
    m_clock->setFaceFont(clockFont);
    m_clock->setTextColour(screenColour(m_settings.clockcolour));
    m_clockCentredForEnd = false;
    ShowStatue(clockText, clockPoints);
    m_overtime->setFaceFont(clockFont);
    m_overtime->setTextColour(screenColour(m_settings.clockcolour));
    if (!m_overtime->text().isEmpty())
        m_overtime->showText(m_overtime->text(), clockPoints);
    m_overtime->hide();

    QFont noticeFont(acceptedFont(m_settings.textfont));
    noticeFont.setPointSize(m_settings.size(SizeField::Prompt));
    m_restartNotice->setFont(noticeFont);
    setTextColour(m_restartNotice, screenColour(m_settings.textcolour));
    m_restartNotice->hide();
}

void ClockWindow::applyLogo()
{
    const QString name = m_settings.logopicture.trimmed();
    const QString path = ProgramFolder::picture(name);
    if (name.size() <= 3 || !QFileInfo(path).isFile()) {
        m_logo->clear();
        return;
    }
    const ProfileFile profile(ProgramFolder::file(QLatin1String(kProfileFileName)));
    const QString section = QStringLiteral("pictureset");
    QSize customSize;
    if (profile.readNumber(section, QStringLiteral("Option"), 0) != 0) {
        // The custom size is kept in units of 10 twips.
        const TwipsScale scale = twipsScale();
        const double width = profile.readNumber(section, QStringLiteral("Width"), 800) * 10;
        const double height = profile.readNumber(section, QStringLiteral("Height"), 600) * 10;
        customSize = QSize(qBound(1, scale.xToPixels(qBound(0.0, width, 1e7)), 16384),
                           qBound(1, scale.yToPixels(qBound(0.0, height, 1e7)), 16384));
    }
    m_logo->showFile(path, customSize);
    placeElement(kLogoElement);
}

void ClockWindow::backgroundupdate(int phase)
{
    if (phase < 0 || phase >= kAlertPhaseCount)
        return;
    QString clockColour;
    QString backColour;
    QString picture;
    if (m_settings.phaseLooksEnabled()) {
        const PhaseLook look = PhaseLook::parse(m_settings.phaseLook(static_cast<AlertPhase>(phase)));
        clockColour = look.clockColour;
        backColour = look.backColour;
        picture = look.picture;
    } else {
        const BackgroundSetting background = BackgroundSetting::parse(m_settings.background);
        clockColour = m_settings.clockcolour;
        backColour = background.colour;
        picture = background.picture;
    }
    const QColor clock = screenColour(clockColour);
    m_clock->setTextColour(clock);
    m_overtime->setTextColour(clock);

    m_background = QPixmap();
    m_shownBackground = QPixmap();
    if (!picture.isEmpty()) {
        const QString path = ProgramFolder::picture(picture);
        if (QFileInfo(path).isFile())
            m_background.load(path);
    }
    m_backgroundColour = screenColour(backColour);
    relayout();
    update();
}

void ClockWindow::relayout()
{
    scaleBackground();
    const TwipsScale scale = twipsScale();
    const QScreen* shownOn = screen();
    const QSize available = shownOn ? shownOn->availableGeometry().size() : size();
    m_screenTwips = scale.toTwips(available);

    const ProfileFile profile(ProgramFolder::file(QLatin1String(kProfileFileName)));
    const RegistryStore registry;
    for (int element = 0; element < kElementSlots; ++element) {
        if (elementWidget(element))
            m_stored[element] = readStoredPosition(element, profile, registry);
    }
    for (int line = 1; line < 5; ++line)
        fitBox(line);
    for (int element = 0; element < kElementSlots; ++element) {
        if (elementWidget(element))
            placeElement(element);
    }
    placeRestartNotice();
    if (m_menuHost)
        m_menuHost->setWindowMinimised(isMinimized());
}

void ClockWindow::fitBox(int line)
{
    QLabel* label = m_lines[line];
    label->adjustSize();
    if (line == kDynamicTextElement) {
        m_boxes[line]->resize(m_marqueeLine->boxWidthPixels(), label->height());
        m_marqueeLine->placeText();
    } else if (line > 0 && m_boxes[line]) {
        label->move(0, 0);
        m_boxes[line]->resize(label->size());
    }
}

QWidget* ClockWindow::elementWidget(int element) const
{
    switch (element) {
    case kMainTitleElement:
        return m_lines[0];
    case kSubtitleElement:
    case kDateLineElement:
    case kPromptElement:
    case kDynamicTextElement:
        return m_boxes[element];
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

QWidget* ClockWindow::textBox(int line) const
{
    return line == 0 ? m_lines[0] : m_boxes.at(line);
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
    const bool alwaysCentred = (element == kMainTitleElement && m_settings.mainTitleCentred()) ||
                               (element == kSubtitleElement && m_settings.subtitleCentred());
    const QPoint twips =
        melvanta::placeElement(element, m_stored[element], scale.toTwips(widget->size()), m_screenTwips, alwaysCentred);
    widget->move(scale.toPixels(twips));
}

TwipsScale ClockWindow::twipsScale() const
{
    const QScreen* shownOn = screen();
    if (!shownOn)
        return TwipsScale();
    return TwipsScale(shownOn->logicalDotsPerInchX(), shownOn->logicalDotsPerInchY());
}

void ClockWindow::scaleBackground()
{
    if (m_background.isNull()) {
        m_shownBackground = QPixmap();
        return;
    }
    // A picture smaller than the window is stretched over it; a larger one
    // keeps its own size in that direction.
    const QSize target(qMax(width(), m_background.width()), qMax(height(), m_background.height()));
    if (m_shownBackground.size() != target)
        m_shownBackground = m_background.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
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
    ShowStatue(text, m_settings.size(SizeField::Clock));
}

void ClockWindow::showOvertimeText(const QString& text)
{
    ShowStatuechao(text, m_overtimePoints > 0 ? m_overtimePoints : m_settings.size(SizeField::Clock));
}

void ClockWindow::showEndText(const QString& text)
{
    if (text.isEmpty())
        return;
    ShowStatue(text, m_settings.size(SizeField::Clock));
    const int screenWidth = twipsScale().xToPixels(m_screenTwips.width());
    m_clock->move((screenWidth - m_clock->width()) / 2, m_clock->y());
    m_clockCentredForEnd = true;
    placeRestartNotice();
}

void ClockWindow::setPromptText(const QString& text)
{
    m_promptText = text;
    QString shown = text;
    if (m_settings.longTerm() && m_settings.promptShowsWeekday())
        shown = weekdayText();
    m_lines[kPromptElement]->setText(shown);
    m_lines[kPromptElement]->setAccessibleName(shown);
    fitBox(kPromptElement);
    placeElement(kPromptElement);
    m_boxes[kPromptElement]->setVisible(!shown.isEmpty());
}

void ClockWindow::setPromptVisible(bool visible)
{
    m_boxes[kPromptElement]->setVisible(visible && !m_lines[kPromptElement]->text().isEmpty());
}

void ClockWindow::setDateLine(const QString& text)
{
    m_lines[kDateLineElement]->setText(text);
    m_lines[kDateLineElement]->setAccessibleName(text);
    fitBox(kDateLineElement);
    placeElement(kDateLineElement);
    // The date line belongs to long-term timing only.
    m_boxes[kDateLineElement]->setVisible(!text.isEmpty() && m_settings.longTerm());
}

void ClockWindow::setDynamicText(const QString& text)
{
    QLabel* label = m_lines[kDynamicTextElement];
    m_dynamicText = text;
    label->setText(text);
    label->setAccessibleName(text);
    label->adjustSize();
    m_marqueeLine->restartText();
    fitBox(kDynamicTextElement);
    placeElement(kDynamicTextElement);
    dongtaiRefresh(kDynamicTextElement);
}

void ClockWindow::setMarqueeRunning(bool running)
{
    m_marqueeLine->setRunning(running);
}

void ClockWindow::stepMarquee()
{
    QFrame* box = m_boxes[kDynamicTextElement];
    if (!m_settings.showDynamicText() || m_lines[kDynamicTextElement]->text().isEmpty()) {
        box->hide();
        m_marqueeLine->setRunning(false);
        return;
    }
    dongtaiRefresh(kDynamicTextElement);
    if (m_marqueeLine->advance())
        box->show();
}

void ClockWindow::dongtaiRefresh(int index)
{
    if (index < kSubtitleElement || index > kDynamicTextElement)
        return;
    QLabel* label = m_lines[index];
    QFrame* box = m_boxes[index];
    label->adjustSize();
    if (!label->text().isEmpty()) {
        switch (index) {
        case kDateLineElement:
            box->resize(label->size());
            if (!m_settings.longTerm()) {
                box->hide();
                return;
            }
            break;
        case kPromptElement:
            if (m_settings.longTerm() && m_settings.promptShowsWeekday()) {
                label->setText(weekdayText());
                label->setAccessibleName(label->text());
                label->adjustSize();
            }
            box->resize(label->size());
            break;
        case kDynamicTextElement:
            box->resize(m_marqueeLine->boxWidthPixels(), label->height());
            if (!m_settings.showDynamicText() && !m_adjusting && label->text() != placeholder(index)) {
                box->hide();
                return;
            }
            break;
        default:
            box->resize(label->size());
            break;
        }
    }
    box->setVisible(!label->text().isEmpty());
    box->update();
}

void ClockWindow::SetAdjustMode(int state)
{
    const bool on = state == 1;
    m_adjusting = on;
    if (m_menuHost)
        m_menuHost->commandItem(MenuHost::AllowAdjusting)->setChecked(on);
    for (int line = 0; line < 5; ++line) {
        QLabel* label = m_lines[line];
        QWidget* shown = line == 0 ? static_cast<QWidget*>(label) : m_boxes[line];
        if (!on) {
            if (label->text() == placeholder(line)) {
                label->clear();
                label->setAccessibleName(QString());
                shown->hide();
            }
            continue;
        }
        // The date line exists only in long-term timing.
        if (!label->text().isEmpty() || (line == kDateLineElement && !m_settings.longTerm()))
            continue;
        label->setText(placeholder(line));
        label->setAccessibleName(label->text());
        fitBox(line);
        if (line == kDynamicTextElement) {
            m_marqueeLine->centreText();
            m_marqueeLine->placeText();
        }
        placeElement(line);
        shown->show();
        dongtaiRefresh(line);
    }
    if (!on && !m_logo->hasPicture() && !m_logo->hasVideo())
        m_logo->hide();
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
    const std::array<bool, kButtonCount> enabled{state.button0Enabled, state.button1Enabled, state.button2Enabled,
                                                 state.button3Enabled, state.button4Enabled};
    if (!state.button0Caption.isEmpty())
        m_buttons[0]->setText(state.button0Caption);
    if (!state.button2Caption.isEmpty())
        m_buttons[2]->setText(state.button2Caption);
    for (int i = 0; i < kButtonCount; ++i) {
        m_buttons[i]->setEnabled(enabled[i]);
        m_buttons[i]->setAccessibleName(m_buttons[i]->text());
        const QSize before = m_buttons[i]->size();
        m_buttons[i]->adjustSize();
        if (before != m_buttons[i]->size())
            placeElement(kFirstButtonElement + i);
    }
    if (m_menuHost)
        m_menuHost->applyCommandState(state);
}

QString ClockWindow::clockText() const
{
    return m_clock->text();
}

void ClockWindow::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(),
                     m_backgroundColour.isValid() ? m_backgroundColour : palette().color(QPalette::Window));
    if (!m_shownBackground.isNull())
        painter.drawPixmap(0, 0, m_shownBackground);
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

QWidget* ClockWindow::targetWidget(int target) const
{
    return elementWidget(elementOfMenuTarget(target));
}

QFont ClockWindow::targetFont(int target) const
{
    if (target >= kMainTitleElement && target <= kDynamicTextElement)
        return m_lines[target]->font();
    if (target == kClockTarget)
        return m_clock->faceFont();
    if (target == kOvertimeClockTarget)
        return m_overtime->faceFont();
    return font();
}

QColor ClockWindow::targetColour(int target) const
{
    if (target >= kMainTitleElement && target <= kDynamicTextElement)
        return m_lines[target]->palette().color(QPalette::WindowText);
    if (target == kClockTarget)
        return m_clock->textColour();
    if (target == kOvertimeClockTarget)
        return m_overtime->textColour();
    return QColor();
}

void ClockWindow::setTargetFont(int target, const QFont& font, const QColor& colour)
{
    QFont applied(font);
    applied.setFamily(acceptedFont(font.family()));
    const int points = qBound(1, font.pointSize() > 0 ? font.pointSize() : qRound(font.pointSizeF()), kMaxFontSize);
    applied.setPointSize(points);
    const QString colourText = OleColour::rgb(colour.red(), colour.green(), colour.blue()).text();
    if (target >= kMainTitleElement && target <= kDynamicTextElement) {
        m_lines[target]->setFont(applied);
        setTextColour(m_lines[target], colour);
        if (target == kDateLineElement) {
            m_settings.stagefont = applied.family();
            m_settings.stagecolour = colourText;
            m_settings.sizethree = withFontSize(m_settings.sizethree, SizeField::DateLine, points);
        }
        if (target == kMainTitleElement)
            m_lines[target]->adjustSize();
        else
            dongtaiRefresh(target);
    } else if (target == kClockTarget) {
        m_settings.clockFont = applied.family();
        m_settings.clockcolour = colourText;
        m_settings.sizethree = withFontSize(m_settings.sizethree, SizeField::Clock, points);
        m_clock->setFaceStyle(applied);
        m_clock->setTextColour(colour);
        ShowStatue(m_clock->text(), points);
    } else if (target == kOvertimeClockTarget) {
        m_overtimePoints = points;
        m_overtime->setFaceStyle(applied);
        m_overtime->setTextColour(colour);
        ShowStatuechao(m_overtime->text(), points);
    }
}

void ClockWindow::setTargetColour(int target, const QColor& colour)
{
    const QString colourText = OleColour::rgb(colour.red(), colour.green(), colour.blue()).text();
    if (target >= kMainTitleElement && target <= kDynamicTextElement) {
        setTextColour(m_lines[target], colour);
        if (target == kDateLineElement) {
            m_settings.stagefont = m_lines[target]->font().family();
            m_settings.stagecolour = colourText;
        }
    } else if (target == kClockTarget) {
        m_settings.clockcolour = colourText;
        m_clock->setTextColour(colour);
    } else if (target == kOvertimeClockTarget) {
        m_overtime->setTextColour(colour);
    }
}

void ClockWindow::centreTarget(int target)
{
    const int element = elementOfMenuTarget(target);
    QWidget* widget = elementWidget(element);
    if (!widget)
        return;
    const TwipsScale scale = twipsScale();
    const int width = qRound(widget->width() * scale.perPixelX());
    const int left = (m_screenTwips.width() - width) / 2;
    const int top = qRound(widget->y() * scale.perPixelY());
    widget->move(scale.xToPixels(left), widget->y());
    RegistryStore registry;
    SaveElementPosition(element, left, top, profilePath(), registry);
    keepStoredPosition(element, {double(left), double(top)});
}

void ClockWindow::hideTarget(int target)
{
    if (QWidget* widget = targetWidget(target))
        widget->hide();
}

void ClockWindow::setPromptShowsWeekday(bool on)
{
    m_settings.checkthree = withSwitch(m_settings.checkthree, 2, on);
    setPromptText(m_promptText);
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
