// The tray pictures are drawn from the installed icon, the disc in the
// colour of the state and a red flag for new mail.
#include <QImage>
#include <gtest/gtest.h>

#include "app/trayicons.h"

namespace {

TEST(TrayIcons, DrawnFromTheIconInTheStatesColours) {
    struct {
        TTrayPicture picture;
        QColor disc;
        bool flag;
    } cases[] = {
        {TTrayPicture::Idle, QColor(0x78, 0x96, 0xbe), false},
        {TTrayPicture::Received, QColor(240, 170, 40), true},
        {TTrayPicture::Responding, QColor(70, 170, 90), false},
    };
    for (const auto& c : cases) {
        const QIcon icon = MakeTrayIcon(c.picture);
        EXPECT_EQ(icon.availableSizes().size(), 4);
        const QImage image = icon.pixmap(32).toImage();
        ASSERT_EQ(image.size(), QSize(32, 32));
        EXPECT_EQ(image.pixelColor(4, 16), c.disc) << c.disc.name().toStdString();
        EXPECT_EQ(image.pixelColor(16, 19), QColor(Qt::white)); // the envelope
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
        EXPECT_EQ(image.pixelColor(25, 7) == QColor(230, 40, 40), c.flag);
    }
}

} // namespace
