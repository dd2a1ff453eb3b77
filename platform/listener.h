#pragma once
// A listening IPv4 TCP socket that hands every accepted client to a callback,
// which normally gives it a session thread of its own.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/socket.h"

namespace platform {

class TListener {
public:
    // Runs on the listener's accepting thread, once per accepted client.
    using TGetThread = std::function<void(std::unique_ptr<TSocket> client)>;

    explicit TListener(TGetThread onGetThread) : FOnGetThread(std::move(onGetThread)) {}
    ~TListener() { Close(); }
    TListener(const TListener&) = delete;
    TListener& operator=(const TListener&) = delete;

    // Listens on address:port (port 0: any free port). False with the reason.
    bool Open(const std::string& address, int port, std::string* error = nullptr);
    // Stops accepting and shuts down every connection it accepted, so that
    // their session threads end.
    void Close();
    bool GetActive() const { return FHandle >= 0; }
    int GetPort() const { return FPort; }
    // Accepted connections that are still open.
    int GetActiveConnections() const { return CountSocketGroup(FGroup); }

private:
    void AcceptLoop();

    TGetThread FOnGetThread;
    std::uint64_t FGroup = NewSocketGroup();
    int FHandle = -1;
    int FPort = 0;
    std::atomic<bool> FClosing{false};
    std::thread FThread;
};

} // namespace platform
