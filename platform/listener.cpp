#include "platform/listener.h"

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>

namespace platform {

namespace {

std::string BindError(const std::string& address, int port, int error) {
    char buffer[256];
    std::string text = "Cannot listen on " + address + ":" + std::to_string(port) + ": " +
                       strerror_r(error, buffer, sizeof buffer);
    if (error == EACCES && port < 1024)
        text += " (ports below 1024 need root or the CAP_NET_BIND_SERVICE capability;"
                " choose another port with --port)";
    return text;
}

} // namespace

bool TListener::Open(const std::string& address, int port, std::string* error) {
    Close();
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
        if (error) *error = "Cannot listen on " + address + ": not an IPv4 address";
        return false;
    }
    int handle = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(handle, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (handle < 0 || bind(handle, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        listen(handle, SOMAXCONN) != 0) {
        int code = errno;
        if (handle >= 0) close(handle);
        if (error) *error = BindError(address, port, code);
        return false;
    }
    socklen_t length = sizeof local;
    getsockname(handle, reinterpret_cast<sockaddr*>(&local), &length);
    FPort = ntohs(local.sin_port);
    FHandle = handle;
    FClosing = false;
    FThread = std::thread([this] { AcceptLoop(); });
    return true;
}

void TListener::Close() {
    if (FHandle < 0) return;
    FClosing = true;
    shutdown(FHandle, SHUT_RDWR); // wakes the blocked accept
    FThread.join();
    close(FHandle);
    FHandle = -1;
    ShutdownSocketGroup(FGroup);
}

void TListener::AcceptLoop() {
    while (!FClosing) {
        int handle = accept4(FHandle, nullptr, nullptr, SOCK_CLOEXEC);
        if (handle < 0) {
            if (errno != EINTR && errno != ECONNABORTED && !FClosing) {
                pollfd fd{FHandle, 0, 0}; // out of descriptors or memory: pause
                poll(&fd, 1, 100);
            }
            continue;
        }
        if (FClosing) {
            close(handle);
            break;
        }
        int one = 1;
        setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto client = std::make_unique<TSocket>(FGroup);
        if (!client->Attach(handle)) continue;
        try {
            FOnGetThread(std::move(client));
        } catch (const std::exception&) {
            // a session that could not start: its socket is closed with it
        }
    }
}

} // namespace platform
