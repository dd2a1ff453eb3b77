#include "net/customclientthread.h"

TCustomClientThread::TCustomClientThread(bool createSuspended, std::string host, int port,
                                         platform::TWindowHandle window,
                                         std::uint32_t windowMessage, std::uint32_t threadMessage)
    : TSessionThread(window, windowMessage, threadMessage), FHost(std::move(host)), FPort(port),
      FClient(FHost, FPort) {
    if (!createSuspended) Resume();
}

void TCustomClientThread::Execute() {
    try {
        FClient.Open();
    } catch (const platform::SocketError& e) {
        // HelperConnect finds the connection down; the session ends at once
        FConnectError = e.what();
    }
    try {
        RunSession(FClient.GetSocket());
    } catch (...) {
    }
    FClient.Close();
}

bool TCustomClientThread::HelperConnect() {
    return FClient.GetActive() && ClientConnect();
}
