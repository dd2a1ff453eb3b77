#include "app/formwindow.h"

#include <QCoreApplication>

#include "app/windowmessage.h"

bool TFormWindow::Post(platform::TMessage message) {
    std::lock_guard lock(FMutex);
    if (!FForm) return false;
    QCoreApplication::postEvent(
        FForm, new TWindowMessageEvent(message.Msg, message.WParam, 0, std::move(message.Data)));
    return true;
}

void TFormWindow::Detach() {
    std::lock_guard lock(FMutex);
    FForm = nullptr;
}
