#include "display/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>

namespace melvanta {

namespace {

// Kept in step with data/desktop/melvanta.svg, the same face for icon themes.
QImage clockFace(int size)
{
    QImage pixmap(size, size, QImage::Format_ARGB32_Premultiplied);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    painter.setPen(QPen(QColor(0xf0, 0xf0, 0xf0), 4));
    painter.setBrush(QColor(0x1e, 0x3a, 0x5f));
    painter.drawEllipse(QRectF(4, 4, 56, 56));
    painter.setPen(QPen(QColor(0xff, 0xd0, 0x40), 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(32, 32), QPointF(32, 14)); // twelve o'clock
    painter.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(32, 32), QPointF(45, 40));
    return pixmap;
}

} // namespace

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(clockFace(size)));
    return icon;
}

QImage programIconImage(int size)
{
    return clockFace(size);
}

} // namespace melvanta
