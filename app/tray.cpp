// The tray icon: added at creation where the desktop has a tray, changed by
// the cycle and the local server, removed at shutdown. Its double-click and
// context-menu requests come as window message 1025.
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

#include "app/apptexts.h"
#include "app/marrowbyform.h"
#include "app/trayicons.h"
#include "ui/widgettext.h"

namespace {

std::string WithCount(const char* utf8, int first, int second = 0) {
    std::string text = Sjis(utf8);
    for (int number : {first, second}) {
        auto at = text.find("%d"); // '%' is never the second byte of a CP932 character
        if (at == std::string::npos) break;
        text.replace(at, 2, std::to_string(number));
    }
    return text;
}

} // namespace

std::string TrayIdleTip() {
    return Sjis(apptext::TipIdle);
}

std::string TrayReceivedTip(int received, int deleted, int oversize) {
    std::string tip = deleted == 0 ? WithCount(apptext::TipReceived, received)
                                   : WithCount(apptext::TipReceivedDeleted, received, deleted);
    return oversize == 0 ? tip : tip + WithCount(apptext::TipOversize, oversize);
}

std::string TrayRespondingTip() {
    return Sjis(apptext::TipResponding);
}

void TMarrowbyForm::TrayAdd() {
    if (FTrayIcon || !QSystemTrayIcon::isSystemTrayAvailable()) return;
    FTrayIcon = new QSystemTrayIcon(FIconIdle, this);
    FTrayIcon->setToolTip(Cp932ToQString(TrayIdleTip()));
    connect(FTrayIcon, &QSystemTrayIcon::activated, this, [this](auto reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            WindowMessage(WM_TRAYICON, 0, TrayDoubleClick, {});
        else if (reason == QSystemTrayIcon::Context)
            WindowMessage(WM_TRAYICON, 0, TrayRightButton, {});
    });
    FTrayIcon->show();
}

void TMarrowbyForm::TrayDelete() {
    delete FTrayIcon;
    FTrayIcon = nullptr;
}

void TMarrowbyForm::TraySet(const QIcon& icon, const std::string& tip) {
    if (!FTrayIcon) return;
    FTrayIcon->setIcon(icon);
    FTrayIcon->setToolTip(Cp932ToQString(tip));
}

void TMarrowbyForm::TraySetIdle() {
    TraySet(FIconIdle, TrayIdleTip());
}

void TMarrowbyForm::TraySetReceived(int received, int deleted, int oversize) {
    TraySet(FIconReceived, TrayReceivedTip(received, deleted, oversize));
}

void TMarrowbyForm::TraySetResponding() {
    TraySet(FIconResponding, TrayRespondingTip());
}

void TMarrowbyForm::WMTrayIcon(std::intptr_t mouseMessage) {
    if (mouseMessage == TrayRightButton) {
        const QPoint at = QCursor::pos();
        activateWindow();
        PopupMenu1->popup(at);
    } else if (mouseMessage == TrayDoubleClick) {
        Open1Click();
    }
}

void TMarrowbyForm::Open1Click() {
    if (FOptions.Headless) return;
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}
