#include "ui/reordericons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Drawn on a 16 x 16 grid, pointing up; the down pictures are the same
// turned over.
QPixmap Draw(int size, TReorderPicture picture) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    const bool down = picture == TReorderPicture::Down || picture == TReorderPicture::Bottom;
    if (down) {
        painter.translate(0, 16);
        painter.scale(1, -1);
    }
    const bool bar = picture == TReorderPicture::Top || picture == TReorderPicture::Bottom;
    const qreal tip = bar ? 4.5 : 2.0;
    QPainterPath arrow;
    arrow.moveTo(8, tip);
    arrow.lineTo(14, tip + 6);
    arrow.lineTo(10.25, tip + 6);
    arrow.lineTo(10.25, 14);
    arrow.lineTo(5.75, 14);
    arrow.lineTo(5.75, tip + 6);
    arrow.lineTo(2, tip + 6);
    arrow.closeSubpath();
    const QColor ink(0x1f, 0x5f, 0xa8), edge(0x12, 0x3a, 0x6b);
    painter.setPen(QPen(edge, 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(ink);
    painter.drawPath(arrow);
    if (bar) painter.drawRoundedRect(QRectF(2, 1, 12, 2.2), 0.6, 0.6);
    return pixmap;
}

} // namespace

QIcon ReorderIcon(TReorderPicture picture) {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(Draw(size, picture));
    return icon;
}
