#include "display/WindowBackground.h"

#include "core/ProgramFolder.h"
#include "display/ColourMapping.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

namespace melvanta {

QColor WindowBackground::apply(const StageSettings& stage, int phase)
{
    QString clockColour;
    QString backColour;
    QString picture;
    if (stage.phaseLooksEnabled()) {
        const PhaseLook look = PhaseLook::parse(stage.phaseLook(static_cast<AlertPhase>(phase)));
        clockColour = look.clockColour;
        backColour = look.backColour;
        picture = look.picture;
    } else {
        const BackgroundSetting background = BackgroundSetting::parse(stage.background);
        clockColour = stage.clockcolour;
        backColour = background.colour;
        picture = background.picture;
    }
    // System colours follow the desktop palette, not the window's own.
    showColour(toQColor(backColour, QGuiApplication::palette()));
    if (!picture.isEmpty()) {
        const QString path = ProgramFolder::picture(picture);
        if (QFileInfo(path).isFile())
            showPicture(path);
    }
    return toQColor(clockColour, QGuiApplication::palette());
}

void WindowBackground::showColour(const QColor& colour)
{
    m_picture = QPixmap();
    m_shown = QPixmap();
    m_colour = colour;
}

void WindowBackground::showPicture(const QString& path)
{
    m_picture.load(path);
    m_shown = QPixmap();
}

void WindowBackground::fitTo(const QSize& size)
{
    if (m_picture.isNull()) {
        m_shown = QPixmap();
        return;
    }
    // A larger picture keeps its own size in that direction.
    const QSize target(qMax(size.width(), m_picture.width()), qMax(size.height(), m_picture.height()));
    if (m_shown.size() != target)
        m_shown = m_picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void WindowBackground::paint(QPainter& painter, const QRect& area, const QColor& fallback) const
{
    painter.fillRect(area, m_colour.isValid() ? m_colour : fallback);
    if (!m_shown.isNull())
        painter.drawPixmap(0, 0, m_shown);
}

} // namespace melvanta
