// The window-message dispatch: numbered messages arrive as events and are
// routed by number; everything else takes Qt's default handling.
#include <QCoreApplication>
#include <utility>

#include "app/marrowbyform.h"
#include "app/windowmessage.h"

QEvent::Type TWindowMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool TMarrowbyForm::event(QEvent* e) {
    if (e->type() == TWindowMessageEvent::EventType()) {
        auto* message = static_cast<TWindowMessageEvent*>(e);
        ++FLogHeld;
        WindowMessage(message->Msg, message->WParam, message->LParam, std::move(message->Data));
        if (--FLogHeld == 0) {
            if (CheckingAccount())
                LogLater();
            else
                LogFlush();
        }
        return true;
    }
    return QMainWindow::event(e);
}

void TMarrowbyForm::WindowMessage(std::uint32_t msg, std::intptr_t wparam, std::intptr_t lparam,
                                  std::vector<unsigned char> data) {
    switch (msg) {
    case WM_TRAYICON:
        WMTrayIcon(lparam);
        break;
    case WM_STARTCHECK:
        WMStartCheck();
        break;
    case WM_CHECKEVENT:
        WMCheckEvent(wparam, std::move(data));
        break;
    case WM_ERASEEVENT:
        WMEraseEvent(wparam, std::move(data));
        break;
    case WM_SERVERREQUEST:
        WMServerRequest(wparam, data);
        break;
    default:
        break;
    }
}

void TMarrowbyForm::PostWindowMessage(std::uint32_t msg) {
    QCoreApplication::postEvent(this, new TWindowMessageEvent(msg, 0, 0));
}
