#include "app/trayicons.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {

const char* const IconResource = ":/icons/org.pellwick.marrowby.svg";
// The disc's colour in the icon file; each tray picture puts its own there.
const QByteArray IconDiscColour = "#7896be";

QByteArray IconSource() {
    QFile file(IconResource);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The icon with the disc in the state's colour; a red flag tells of new mail.
QPixmap Draw(QSvgRenderer& renderer, int size, bool flag) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    if (flag) {
        painter.scale(size / 32.0, size / 32.0);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(QColor(230, 40, 40));
        painter.drawEllipse(QRectF(20.5, 2.5, 10, 10));
    }
    return pixmap;
}

} // namespace

QIcon MakeTrayIcon(TTrayPicture picture) {
    QColor disc;
    switch (picture) {
    case TTrayPicture::Idle:
        disc = QColor(0x78, 0x96, 0xbe);
        break;
    case TTrayPicture::Received:
        disc = QColor(240, 170, 40);
        break;
    case TTrayPicture::Responding:
        disc = QColor(70, 170, 90);
        break;
    }
    QSvgRenderer renderer(IconSource().replace(IconDiscColour, disc.name().toLatin1()));
    QIcon icon;
    for (int size : {16, 22, 32, 48})
        icon.addPixmap(Draw(renderer, size, picture == TTrayPicture::Received));
    return icon;
}
