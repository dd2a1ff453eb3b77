#pragma once
// TCustomServerThread: the session thread of one client accepted by the local
// server. It owns the accepted socket, runs one session on it and frees itself.
#include <memory>

#include "net/sessionthread.h"
#include "platform/socket.h"

class TCustomServerThread : public TSessionThread {
public:
    // A subclass passes createSuspended = true and calls Resume at the end of
    // its own constructor, so that the thread never runs a half-built object.
    TCustomServerThread(bool createSuspended, std::unique_ptr<platform::TSocket> clientSocket,
                        platform::TWindowHandle window, std::uint32_t windowMessage,
                        std::uint32_t threadMessage);

protected:
    void Execute() override { ClientExecute(); }
    virtual void ClientExecute() { RunSession(*FClientSocket); }
    platform::TSocket& GetClientSocket() { return *FClientSocket; }

private:
    std::unique_ptr<platform::TSocket> FClientSocket;
};
