#include "platform/socket.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <unordered_set>

#include "platform/tlsconnection.h"

namespace platform {

// The table of live sockets. A descriptor changes (attach, close) only under
// its mutex, so another thread may shut a descriptor down without racing its
// close.
class TSocketTable {
public:
    static TSocketTable& Get() {
        static auto* table = new TSocketTable; // outlives every thread's exit
        return *table;
    }
    void Add(TSocket* s) {
        std::lock_guard lock(FMutex);
        FSockets.insert(s);
    }
    void Remove(TSocket* s) {
        std::lock_guard lock(FMutex);
        FSockets.erase(s);
    }
    bool SetHandle(TSocket* s, int handle) {
        std::lock_guard lock(FMutex);
        if (FRefuseNew) return false;
        s->FHandle = handle;
        s->FEnded = false;
        return true;
    }
    int TakeHandle(TSocket* s) {
        std::lock_guard lock(FMutex);
        int handle = s->FHandle;
        s->FHandle = -1;
        s->FEnded = true;
        return handle;
    }
    // Counts the open sockets of a group (0: all), shutting them down when asked.
    int Visit(std::uint64_t group, bool shut) {
        std::lock_guard lock(FMutex);
        int count = 0;
        for (TSocket* s : FSockets) {
            if (s->FHandle < 0 || (group != 0 && s->FGroup != group)) continue;
            ++count;
            if (shut) shutdown(s->FHandle, SHUT_RDWR);
        }
        return count;
    }
    void SetRefuseNew(bool refuse) {
        std::lock_guard lock(FMutex);
        FRefuseNew = refuse;
    }

private:
    std::mutex FMutex;
    std::unordered_set<TSocket*> FSockets;
    bool FRefuseNew = false;
};

namespace {

std::string ErrorText(int error) {
    char buffer[256];
    return strerror_r(error, buffer, sizeof buffer);
}

sockaddr_in Resolve(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int rc = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || !found) throw SocketError("Host " + host + " not found: " + gai_strerror(rc));
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    freeaddrinfo(found);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

void SetBlocking(int handle, bool blocking) {
    int flags = fcntl(handle, F_GETFL);
    fcntl(handle, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
}

// Waits for the non-blocking connect on handle; the error of the attempt, 0 on success.
int FinishConnect(int handle, int timeoutMs) {
    pollfd fd{handle, POLLOUT, 0};
    int rc;
    do {
        rc = poll(&fd, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc == 0) return ETIMEDOUT;
    if (rc < 0) return errno;
    int error = 0;
    socklen_t length = sizeof error;
    getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &length);
    return error;
}

TSocket::TWait Poll(pollfd (&fds)[2], int count, int timeoutMs) {
    int rc = poll(fds, static_cast<nfds_t>(count), timeoutMs);
    if (rc <= 0) return TSocket::TWait::Timeout;
    if (count == 2 && (fds[1].revents & POLLIN)) return TSocket::TWait::Message;
    return fds[0].revents ? TSocket::TWait::Data : TSocket::TWait::Timeout;
}

} // namespace

TSocket::TSocket(std::uint64_t group) : FGroup(group) {
    TSocketTable::Get().Add(this);
}

TSocket::~TSocket() {
    Close();
    TSocketTable::Get().Remove(this);
}

bool TSocket::Attach(int handle) {
    Close();
    if (!TSocketTable::Get().SetHandle(this, handle)) {
        close(handle);
        return false;
    }
    SetTimeout(DefaultTimeout);
    return true;
}

void TSocket::Connect(const std::string& host, int port, int timeoutMs,
                      const std::string& localAddress) {
    Close();
    sockaddr_in address = Resolve(host, port);
    int handle = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (handle < 0) throw SocketError("Cannot create a socket: " + ErrorText(errno));
    if (!TSocketTable::Get().SetHandle(this, handle)) {
        close(handle);
        throw SocketError("Connection refused: the program is ending its sessions");
    }
    std::string where = host + ":" + std::to_string(port);
    if (!localAddress.empty()) {
        sockaddr_in local = Resolve(localAddress, 0);
        if (bind(handle, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            int error = errno;
            Close();
            throw SocketError("Cannot connect from " + localAddress + ": " + ErrorText(error));
        }
    }
    SetBlocking(handle, false);
    int error = 0;
    if (connect(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        error = errno == EINPROGRESS ? FinishConnect(handle, timeoutMs) : errno;
    if (error != 0) {
        Close();
        throw SocketError("Cannot connect to " + where + ": " + ErrorText(error));
    }
    SetBlocking(handle, true);
    int one = 1;
    setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    SetTimeout(DefaultTimeout);
}

void TSocket::Close() {
    if (FHandle < 0) return;
    if (FTls) FTls->Close();
    FTls.reset();
    close(TSocketTable::Get().TakeHandle(this));
}

void TSocket::SetTimeout(int ms) {
    FTimeoutMs = ms;
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    setsockopt(FHandle, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(FHandle, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

void TSocket::StartTls(const TTlsOptions& options) {
    if (FHandle < 0) throw TlsError("TLS on a closed socket");
    auto tls = std::make_unique<TTlsConnection>(FHandle);
    try {
        tls->Connect(options);
    } catch (const SocketError&) {
        tls.reset();
        Close();
        throw;
    }
    FTls = std::move(tls);
}

std::string TSocket::GetTlsDescription() const {
    return FTls ? FTls->Description() : std::string();
}

TSocket::TWait TSocket::WaitForData(int timeoutMs, int wakeHandle) const {
    if (FHandle < 0) return TWait::Timeout;
    if (FTls) return FTls->Wait(timeoutMs, wakeHandle);
    pollfd fds[2] = {{FHandle, POLLIN, 0}, {wakeHandle, POLLIN, 0}};
    return Poll(fds, wakeHandle >= 0 ? 2 : 1, timeoutMs);
}

TSocket::TWait TSocket::WaitForMessage(int timeoutMs, int wakeHandle) const {
    if (FHandle < 0) return TWait::Hangup;
    pollfd fds[2] = {{FHandle, POLLRDHUP, 0}, {wakeHandle, POLLIN, 0}};
    TWait result = Poll(fds, 2, timeoutMs);
    return result == TWait::Data ? TWait::Hangup : result;
}

std::size_t TSocket::Read(void* buffer, std::size_t size) {
    auto count = Receive(buffer, size, true);
    if (!count) throw SocketError("Read timed out");
    return *count;
}

std::optional<std::size_t> TSocket::TryRead(void* buffer, std::size_t size) {
    return Receive(buffer, size, false);
}

// Nothing when no byte came (within the time-out, or at once without wait).
std::optional<std::size_t> TSocket::Receive(void* buffer, std::size_t size, bool wait) {
    if (FHandle < 0) throw SocketError("Read on a closed socket");
    std::optional<std::size_t> count;
    try {
        count = FTls ? FTls->Read(buffer, size, wait ? FTimeoutMs : 0)
                     : ReceivePlain(buffer, size, wait);
    } catch (const SocketError&) {
        FEnded = true;
        throw;
    }
    if (count == 0u) FEnded = true;
    return count;
}

std::optional<std::size_t> TSocket::ReceivePlain(void* buffer, std::size_t size, bool wait) {
    for (;;) {
        ssize_t n = recv(FHandle, buffer, size, wait ? 0 : MSG_DONTWAIT);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EINTR) continue;
        int error = errno;
        if (error == EAGAIN || error == EWOULDBLOCK) return {};
        throw SocketError("Read failed: " + ErrorText(error));
    }
}

void TSocket::Write(const void* data, std::size_t size) {
    if (FHandle < 0) throw SocketError("Write on a closed socket");
    if (FTls) return FTls->Write(data, size, FTimeoutMs);
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = send(FHandle, p, size, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            if (error == EAGAIN || error == EWOULDBLOCK) throw SocketError("Write timed out");
            throw SocketError("Write failed: " + ErrorText(error));
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

std::string TSocket::GetRemoteAddress() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getpeername(FHandle, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

std::string TSocket::GetRemoteHost() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getpeername(FHandle, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
    char host[NI_MAXHOST] = {};
    if (getnameinfo(reinterpret_cast<sockaddr*>(&address), length, host, sizeof host, nullptr, 0,
                    NI_NAMEREQD) == 0)
        return host;
    return GetRemoteAddress();
}

void ShutdownAllSockets(bool refuseNew) {
    if (refuseNew) TSocketTable::Get().SetRefuseNew(true);
    TSocketTable::Get().Visit(0, true);
}

void AllowNewSockets() {
    TSocketTable::Get().SetRefuseNew(false);
}

void ShutdownSocketGroup(std::uint64_t group) {
    if (group != 0) TSocketTable::Get().Visit(group, true);
}

int CountSocketGroup(std::uint64_t group) {
    return group == 0 ? 0 : TSocketTable::Get().Visit(group, false);
}

std::uint64_t NewSocketGroup() {
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1);
}

void TClientSocket::Open(const std::string& localAddress) {
    FSocket.Connect(FHost, FPort, ConnectTimeout, localAddress);
}

std::string LocalHostName() {
    char name[1024] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

} // namespace platform
