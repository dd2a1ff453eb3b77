#pragma once
// Answers the next message box with a button and keeps what it showed.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

// before, when given, runs first, while the box is up.
struct TMessageBoxAnswer {
    QString Title, Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    bool Seen = false;

    void Arm(QMessageBox::StandardButton button, std::function<void()> before = {}) {
        QTimer::singleShot(0, [this, button, before] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            Seen = true;
            Title = box->windowTitle();
            Text = box->text();
            Icon = box->icon();
            if (before) before();
            box->button(button)->click();
        });
    }
};
