#include "display/ClockWindow.h"

#include "core/ProgramFolder.h"
#include "display/ClockFace.h"
#include "display/ColourMapping.h"
#include "timing/TimeText.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace melvanta {

namespace {

// Stored positions are in twips; 15 twips make a pixel at 96 dpi.
int twipsToPixels(int twips, const QWidget* widget)
{
    const qreal dpi = widget->screen() ? widget->screen()->logicalDotsPerInchY() : 96.0;
    return qRound(twips * dpi / 1440.0);
}

QString acceptedFont(const QString& family)
{
    return QFontDatabase::hasFamily(family) ? family : QStringLiteral("宋体");
}

} // namespace

ClockWindow::ClockWindow(QWidget* parent) : QWidget(parent), m_mainTitle(new QLabel(this)), m_clock(new ClockFace(this))
{
    setObjectName(QStringLiteral("desk_clock"));
    setWindowTitle(QStringLiteral("Melvanta"));
    m_mainTitle->setObjectName(QStringLiteral("Label2_0"));
    m_clock->setObjectName(QStringLiteral("Picture1"));
}

ClockWindow::~ClockWindow() = default;

void ClockWindow::applyStage(const StageSettings& settings)
{
    m_settings = settings;
    const QPalette pal = palette();

    QFont titleFont(acceptedFont(settings.firstfont));
    titleFont.setPointSize(settings.size(SizeField::MainTitle));
    m_mainTitle->setFont(titleFont);
    QPalette titlePalette = m_mainTitle->palette();
    titlePalette.setColor(QPalette::WindowText, toQColor(settings.firstcolour, pal));
    m_mainTitle->setPalette(titlePalette);
    m_mainTitle->setText(settings.firsttext);
    m_mainTitle->setAccessibleName(settings.firsttext);
    m_mainTitle->setVisible(!settings.firsttext.isEmpty());
    m_mainTitle->adjustSize();

    const BackgroundSetting background = BackgroundSetting::parse(settings.background);
    m_background = QPixmap();
    if (!background.picture.isEmpty())
        m_background.load(ProgramFolder::picture(background.picture));
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, toQColor(background.colour, pal));
    setPalette(windowPalette);

    m_clock->setFaceFont(acceptedFont(settings.clockFont));
    m_clock->setTextColour(toQColor(settings.clockcolour, pal));
    m_clock->showText(initialClockText(settings, QTime::currentTime()), settings.size(SizeField::Clock));
    layoutElements();
    update();
}

QString ClockWindow::clockText() const
{
    return m_clock->text();
}

void ClockWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_background.isNull())
        painter.fillRect(rect(), palette().color(QPalette::Window));
    else
        painter.drawPixmap(rect(), m_background);
    if (!m_painted) {
        m_painted = true;
        Q_EMIT firstPainted();
    }
}

void ClockWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutElements();
}

void ClockWindow::layoutElements()
{
    const int w = width();
    m_mainTitle->move((w - m_mainTitle->width()) / 2, twipsToPixels(100, this));
    m_clock->move((w - m_clock->width()) / 2, twipsToPixels(1600, this));
}

} // namespace melvanta
