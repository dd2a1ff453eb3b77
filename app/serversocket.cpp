// The listening socket of the local POP3 server, active from the first
// display to the end of the close. A failure to listen is reported with the
// port and the remedy, and the program runs on without the local server.
#include "app/serversocket.h"

#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <cstdio>

#include "app/marrowbyform.h"
#include "net/pop3serverthread.h"
#include "platform/listener.h"
#include "platform/text.h"

namespace {
const char* const ListenAddress = "0.0.0.0";
} // namespace

std::string ListenFailureText(int port, const std::string& reason) {
    return platform::Utf8ToCp932("ﾎﾟｰﾄ " + std::to_string(port) + " で待ち受けできません。\r\n" +
                                 reason +
                                 "\r\n--port で別のﾎﾟｰﾄを指定して起動してください"
                                 " (例: --port 1110)。\r\nﾛｰｶﾙｻｰﾊﾞなしで動作を続けます。");
}

void TMarrowbyForm::ActivateServerSocket() {
    std::string reason;
    if (!ServerSocket1->Open(ListenAddress, FOptions.Port, &reason))
        ShowListenFailure(FOptions.Port, reason);
}

void TMarrowbyForm::DeactivateServerSocket() {
    ServerSocket1->Close();
}

int TMarrowbyForm::ActiveClientCount() const {
    return ServerSocket1->GetActiveConnections();
}

// Runs on the listener's thread for each accepted client: a local POP3
// session thread of its own takes it. The count of sessions served keeps the
// time stamps and log names of sessions that start together apart.
void TMarrowbyForm::ServerSocket1GetThread(std::unique_ptr<platform::TSocket> client) {
    static std::atomic<unsigned> sessions{0};
    int count = static_cast<int>(sessions++ % 10000);
    new TPop3ServerThread(false, FHostName, std::move(client), Handle(), count);
}

void TMarrowbyForm::ShowListenFailure(int port, const std::string& reason) {
    std::string text = platform::Cp932ToUtf8(ListenFailureText(port, reason));
    for (auto at = text.find('\r'); at != std::string::npos; at = text.find('\r'))
        text.erase(at, 1);
    std::fprintf(stderr, "marrowby: %s\n", text.c_str());
    std::fflush(stderr);
    if (FOptions.Headless) return;
    // Shown once the window is up; the program runs on meanwhile.
    const QString message = QString::fromStdString(text);
    QTimer::singleShot(0, this,
                       [this, message] { QMessageBox::critical(this, windowTitle(), message); });
}
