#include "app/listimages.h"

#include <QPainter>
#include <QPixmap>
#include <array>

#include "platform/text.h"

namespace {

constexpr int kSize = 16;

struct TLook {
    QColor Fill;
    QColor Ink;
    char Glyph;
};

// Each image: a page of its colour with one letter on it.
QIcon Draw(const TLook& look) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(look.Ink);
    painter.setBrush(look.Fill);
    painter.drawRoundedRect(QRectF(1.5, 0.5, 13, 15), 2, 2);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, QString(QChar(look.Glyph)));
    return QIcon(pixmap);
}

} // namespace

const QIcon& ListImage(int index) {
    static const std::array<QIcon, ImageCount> images = [] {
        const TLook looks[ImageCount] = {
            {QColor(0xff, 0xff, 0xff), QColor(0x40, 0x40, 0x40), 'T'},
            {QColor(0xdd, 0xee, 0xff), QColor(0x10, 0x50, 0xa0), 'H'},
            {QColor(0xe0, 0xe0, 0xe0), QColor(0x30, 0x30, 0x30), 'B'},
            {QColor(0xff, 0xd0, 0xd0), QColor(0xc0, 0x10, 0x10), '!'},
            {QColor(0xff, 0xee, 0xb0), QColor(0x80, 0x60, 0x00), 'M'},
            {QColor(0xdd, 0xff, 0xdd), QColor(0x10, 0x70, 0x20), '@'},
        };
        std::array<QIcon, ImageCount> drawn;
        for (int i = 0; i < ImageCount; ++i)
            drawn[static_cast<std::size_t>(i)] = Draw(looks[i]);
        return drawn;
    }();
    return images[static_cast<std::size_t>(index >= 0 && index < ImageCount ? index : ImageBinary)];
}

int RowImageIndex(std::int8_t kind, std::string_view mimeType) {
    switch (kind) {
    case 0:
        return ImageMultipart;
    case 1:
        return ImageMessage;
    case 2:
        return platform::SameText(mimeType, "text/html") ? ImageHtml : ImageText;
    default:
        return ImageBinary;
    }
}
