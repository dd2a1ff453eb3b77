#include "app/trayicons.h"

#include <QPainter>
#include <QPixmap>

namespace {

// An envelope on a coloured disc; the colour tells the state.
QPixmap Draw(int size, const QColor& disc, bool flag) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(QRectF(1, 1, 30, 30));
    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(60, 60, 60), 1.2));
    painter.drawRect(QRectF(7, 10, 18, 12));
    painter.drawLine(QPointF(7, 10), QPointF(16, 17));
    painter.drawLine(QPointF(25, 10), QPointF(16, 17));
    if (flag) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(230, 40, 40));
        painter.drawEllipse(QRectF(21, 3, 9, 9));
    }
    return pixmap;
}

} // namespace

QIcon MakeTrayIcon(TTrayPicture picture) {
    QColor disc;
    switch (picture) {
    case TTrayPicture::Idle:
        disc = QColor(120, 150, 190);
        break;
    case TTrayPicture::Received:
        disc = QColor(240, 170, 40);
        break;
    case TTrayPicture::Responding:
        disc = QColor(70, 170, 90);
        break;
    }
    QIcon icon;
    for (int size : {16, 22, 32, 48})
        icon.addPixmap(Draw(size, disc, picture == TTrayPicture::Received));
    return icon;
}
