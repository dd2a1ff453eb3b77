#include "net/customserverthread.h"

TCustomServerThread::TCustomServerThread(bool createSuspended,
                                         std::unique_ptr<platform::TSocket> clientSocket,
                                         platform::TWindowHandle window,
                                         std::uint32_t windowMessage, std::uint32_t threadMessage)
    : TSessionThread(window, windowMessage, threadMessage), FClientSocket(std::move(clientSocket)) {
    if (!createSuspended) Resume();
}
