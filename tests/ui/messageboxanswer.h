#pragma once
// Answers the next message box with a button and keeps what it showed.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>

// Runs fn on the modal dialog of type T as soon as one is up: a dialog that is
// still closing, or one whose loop has not started yet, is waited for. A
// dialog that fn leaves open is rejected; when none comes within the bound, fn
// never runs. Deleting the returned timer gives up.
template <class T>
QTimer* OnModal(std::function<void(T&)> fn) {
    auto* poll = new QTimer;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, clock, fn] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if ((!dialog || !dialog->isVisible()) && !clock.hasExpired(20000)) return;
        poll->stop();
        poll->deleteLater();
        if (!dialog) return;
        fn(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    poll->start(10);
    return poll;
}

// before, when given, runs first, while the box is up.
struct TMessageBoxAnswer {
    QString Title, Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    bool Seen = false;

    TMessageBoxAnswer() = default;
    TMessageBoxAnswer(const TMessageBoxAnswer&) = delete;
    TMessageBoxAnswer& operator=(const TMessageBoxAnswer&) = delete;
    ~TMessageBoxAnswer() { delete FPoll.data(); }

    void Arm(QMessageBox::StandardButton button, std::function<void()> before = {}) {
        FPoll = OnModal<QMessageBox>([this, button, before](QMessageBox& box) {
            Seen = true;
            Title = box.windowTitle();
            Text = box.text();
            Icon = box.icon();
            if (before) before();
            box.button(button)->click();
        });
    }

private:
    QPointer<QTimer> FPoll;
};
