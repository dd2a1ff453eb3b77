#pragma once
// TCustomClientThread: the session thread of one outgoing connection to a
// remote server. It connects, runs one session and frees itself.
#include <string>

#include "net/sessionthread.h"
#include "platform/socket.h"

class TCustomClientThread : public TSessionThread {
public:
    // A subclass passes createSuspended = true and calls Resume at the end of
    // its own constructor, so that the thread never runs a half-built object.
    TCustomClientThread(bool createSuspended, std::string host, int port,
                        platform::TWindowHandle window, std::uint32_t windowMessage,
                        std::uint32_t threadMessage);

protected:
    void Execute() override;
    // Accepted only when the connection came up.
    bool HelperConnect() override;
    platform::TSocket& GetClientSocket() { return FClient.GetSocket(); }

    std::string FHost;
    int FPort;
    platform::TClientSocket FClient;
    // Why the connection did not come up (refused, host unknown, time-out).
    std::string FConnectError;
};
