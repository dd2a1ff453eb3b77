#pragma once
// Blocking IPv4 TCP connections with time-outs.
//
// Every socket object is known to a process-wide table while it lives, so the
// program can end all sessions at once (ShutdownAllSockets) and a listener can
// end the sessions it accepted. Only the owner thread reads, writes and closes
// a socket; other threads may only shut it down, which makes the owner's
// next wait return at once and its next read see the end of the connection.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace platform {

// Raised by connecting, reading and writing.
class SocketError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TTlsOptions;
class TTlsConnection;

class TSocket {
public:
    static constexpr int DefaultTimeout = 3000; // ms, for one read or write

    // group: sockets of one listener share a non-zero group (see TListener).
    explicit TSocket(std::uint64_t group = 0);
    ~TSocket(); // closes
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;

    // Takes over a connected descriptor (an accepted client). False, with the
    // descriptor closed, while the program is ending all sessions.
    bool Attach(int handle);
    // Resolves host (a name or a dotted address) and connects within
    // timeoutMs; localAddress, when given, is the address to connect from.
    void Connect(const std::string& host, int port, int timeoutMs,
                 const std::string& localAddress = {});

    // Open, and the end of the connection has not been seen.
    bool GetConnected() const { return FHandle >= 0 && !FEnded; }
    void Close();
    int GetHandle() const { return FHandle; }
    void SetTimeout(int ms); // read and write time-out

    // Turns the open connection into a TLS client connection: the handshake
    // within options.TimeoutMs, the server's certificate checked as the
    // options say. From then on every read, write and wait below goes through
    // TLS. TlsError (see platform/tls.h) when it fails; the connection is then
    // closed. Bytes the peer sent before its handshake must have been read.
    void StartTls(const TTlsOptions& options);
    bool IsTls() const { return FTls != nullptr; }
    // The TLS protocol and cipher in use; empty without TLS.
    std::string GetTlsDescription() const;

    enum class TWait { Data, Message, Timeout, Hangup };
    // Waits up to timeoutMs until data (or the end of the connection) can be
    // read: Data. Over TLS that is decrypted data: bytes that OpenSSL holds
    // count, bytes of a record not complete yet do not. A wakeHandle >= 0 (see
    // ThreadQueueWakeHandle) that becomes readable ends the wait too: Message.
    TWait WaitForData(int timeoutMs, int wakeHandle = -1) const;
    // Waits up to timeoutMs until wakeHandle is readable (Message), ignoring
    // incoming data; Hangup when the connection is shut down, the peer has
    // closed it or it is closed.
    TWait WaitForMessage(int timeoutMs, int wakeHandle) const;
    // At most size bytes; 0 when the connection has ended (no longer connected).
    std::size_t Read(void* buffer, std::size_t size);
    // As Read, but without waiting: nothing when no byte is waiting.
    std::optional<std::size_t> TryRead(void* buffer, std::size_t size);
    // All bytes, or SocketError.
    void Write(const void* data, std::size_t size);

    std::string GetRemoteAddress() const; // the peer's address, dotted
    std::string GetRemoteHost() const;    // its host name, else the dotted address

private:
    friend class TSocketTable;
    std::optional<std::size_t> Receive(void* buffer, std::size_t size, bool wait);
    std::optional<std::size_t> ReceivePlain(void* buffer, std::size_t size, bool wait);

    int FHandle = -1;
    bool FEnded = false;
    int FTimeoutMs = DefaultTimeout;
    std::unique_ptr<TTlsConnection> FTls;
    std::uint64_t FGroup;
};

// Shuts down every open socket. While refuseNew is set, sockets that attach
// or connect later are refused too (the program is ending its sessions);
// AllowNewSockets lifts that.
void ShutdownAllSockets(bool refuseNew);
void AllowNewSockets();
// Shuts down the open sockets of one group; counts them.
void ShutdownSocketGroup(std::uint64_t group);
int CountSocketGroup(std::uint64_t group);
std::uint64_t NewSocketGroup();

// A client connection component: host and port given at construction,
// connected by Open. Its socket exists (closed) before Open.
class TClientSocket {
public:
    static constexpr int ConnectTimeout = 30000; // ms

    TClientSocket(std::string host, int port) : FHost(std::move(host)), FPort(port) {}
    void Open(const std::string& localAddress = {}); // SocketError on failure
    void Close() { FSocket.Close(); }
    bool GetActive() const { return FSocket.GetConnected(); }
    TSocket& GetSocket() { return FSocket; }
    const std::string& GetHost() const { return FHost; }
    int GetPort() const { return FPort; }

private:
    std::string FHost;
    int FPort;
    TSocket FSocket;
};

// The local host name.
std::string LocalHostName();

} // namespace platform
