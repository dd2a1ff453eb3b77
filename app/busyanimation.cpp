#include "app/busyanimation.h"

#include <QPainter>
#include <QTimer>
#include <cmath>

namespace {
constexpr int Dots = 8;
constexpr int FrameMs = 100;
} // namespace

TBusyAnimation::TBusyAnimation(QWidget* parent) : QWidget(parent), FTimer(new QTimer(this)) {
    FTimer->setInterval(FrameMs);
    connect(FTimer, &QTimer::timeout, this, [this] {
        FFrame = (FFrame + 1) % Dots;
        update();
    });
    setFixedSize(sizeHint());
}

void TBusyAnimation::SetActive(bool active) {
    if (active == FActive) return;
    FActive = active;
    if (active)
        FTimer->start();
    else
        FTimer->stop();
    update();
}

void TBusyAnimation::paintEvent(QPaintEvent*) {
    if (!FActive) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double radius = std::min(width(), height()) / 2.0 - 3;
    for (int i = 0; i < Dots; ++i) {
        const double angle = 2 * M_PI * i / Dots;
        const int age = (FFrame - i + Dots) % Dots;
        QColor colour(40, 90, 170);
        colour.setAlpha(255 - age * 28);
        painter.setBrush(colour);
        painter.drawEllipse(centre + QPointF(radius * std::cos(angle), radius * std::sin(angle)),
                            2.5, 2.5);
    }
}
