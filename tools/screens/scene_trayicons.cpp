// The tray pictures (idle, mail received, responding) at the sizes a tray
// asks for, drawn from the program's icon.
#include <QHBoxLayout>
#include <QLabel>
#include <QWidget>

#include "app/trayicons.h"
#include "tools/screens/screens.h"

MARROWBY_SCENE(trayicons) {
    QWidget strip;
    auto* layout = new QHBoxLayout(&strip);
    for (TTrayPicture picture :
         {TTrayPicture::Idle, TTrayPicture::Received, TTrayPicture::Responding}) {
        const QIcon icon = MakeTrayIcon(picture);
        for (int size : {16, 22, 32, 48}) {
            auto* label = new QLabel(&strip);
            label->setPixmap(icon.pixmap(size));
            layout->addWidget(label);
        }
        layout->addSpacing(24);
    }
    context.Save(strip, "trayicons.png");
}
