#pragma once
// TSocketHelper turns one connected blocking socket into a text-protocol
// endpoint: it buffers what arrives, cuts it into CR LF command lines,
// terminated blocks or counted streams, sends commands and blocks, keeps the
// session log and runs the session loop with its four events. One thread
// uses a helper; it has no locking.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/limits.h"
#include "platform/socket.h"

class TSocketHelper {
public:
    using TConnectEvent = std::function<void(TSocketHelper& sender, bool& accept)>;
    using TIdleEvent = std::function<void(TSocketHelper& sender)>;
    using TReceivedEvent = std::function<void(TSocketHelper& sender, const std::string& text)>;
    using TDisconnectEvent = std::function<void(TSocketHelper& sender, bool accepted)>;

    enum : std::uint8_t { ModeCommand = 1, ModeBlock = 2, ModeStream = 3, ModeWait = 0 };

    // The socket stays the caller's; the helper closes it when the session ends.
    TSocketHelper(platform::TSocket* socket, int waitTime);
    virtual ~TSocketHelper();
    TSocketHelper(const TSocketHelper&) = delete;
    TSocketHelper& operator=(const TSocketHelper&) = delete;

    TConnectEvent OnConnect;
    TIdleEvent OnIdle;
    TReceivedEvent OnReceived;
    TDisconnectEvent OnDisconnect;

    std::string GetHost() const;    // the peer's host name
    std::string GetAddress() const; // the peer's address, dotted

    // Position of the first occurrence of pattern in the length bytes at memory.
    static std::optional<std::size_t> MemStr(const char* memory, std::string_view pattern,
                                             std::size_t length);

    bool ReadBufferStr(std::string& out, bool all);
    bool ReadBufferBlock(std::string& out, bool all);
    bool ReadBufferStream(std::size_t count, bool all); // into the receive stream
    bool ReadStream(std::size_t& count);
    bool BufferRemaining() const { return FHead < FBuffer.size(); }

    bool ReceiveCommand(std::string& line);
    bool ReceiveBlock(std::string& text);
    // False when the file cannot be created (the mode then stays as it was).
    bool OpenReceiveStream(int size, const std::string& fileName);
    void CloseReceiveStream();
    bool ReceiveStream();
    bool ReceiveWait();

    virtual int BlockTermination(std::string_view text) const;
    virtual void PrepareNextBlock(int position, std::string& text) const;
    virtual void EncodeBlock(std::string& out, std::string_view in);
    virtual void DecodeBlock(std::string& out, std::string_view in);

    void SendBuffer(const char* data, std::size_t length);
    void SendCommand(std::string_view text);
    // Sends text; the log and GetLastCommand show shown instead (a secret
    // never reaches the session log).
    void SendCommand(std::string_view text, std::string_view shown);
    void SendBlock(std::string_view text);
    void SendStream(std::istream& stream);

    bool Login(const std::string& fileName);
    void Logout();
    void Logging(std::string_view text);
    // From now on the session log shows "****" for every occurrence of
    // secret, whatever the peer echoes.
    void HideInLog(std::string secret);

    void Execute();

    platform::TSocket& GetSocket() { return *FSocket; }
    std::uint8_t GetMode() const { return FMode; }
    void SetMode(std::uint8_t mode) { FMode = mode; }
    const std::string& GetTerminator() const { return FTerminator; }
    void SetTerminator(std::string terminator) { FTerminator = std::move(terminator); }
    const std::string& GetReceived() const { return FReceived; }
    const std::string& GetLastBlock() const { return FLastBlock; }
    const std::string& GetLastCommand() const { return FLastCommand; }
    int GetStreamSize() const { return FStreamSize; }
    const std::string& GetStreamFile() const { return FStreamFile; }
    // What stream mode has written into its memory stream (none for a file).
    const std::string& GetReceiveStreamText() const { return FStreamText; }
    int GetWaitTime() const { return FWaitTime; }
    // Bytes read from the socket so far: lets an owner see progress while it idles.
    std::uint64_t GetBytesRead() const { return FBytesRead; }

    // Bounds of what the peer may make the helper buffer; going past one logs
    // "*Error! " with the reason and closes the connection.
    void SetMaxLine(std::size_t bytes) { FMaxLine = bytes; }
    void SetMaxBlock(std::size_t bytes) { FMaxBlock = bytes; }
    // Whether a message posted to the thread's queue ends a wait at once, so
    // that the idle event (which must then take it) runs without delay.
    void SetWakeOnMessage(bool wake) { FWakeOnMessage = wake; }
    // Whether a received block is decoded into the text that OnReceived gets.
    // Without, that text is empty and the owner reads GetLastBlock: a large
    // block is then never copied on its way.
    void SetDecodeBlocks(bool decode) { FDecodeBlocks = decode; }
    // A receive that is still waiting at this time gives up (the idle event
    // then runs), however slowly bytes keep arriving. None: no such bound.
    using TClock = std::chrono::steady_clock;
    void SetDeadline(std::optional<TClock::time_point> deadline) { FDeadline = deadline; }
    // Why the helper ended the connection (a bound passed, a multi-line
    // reply cut off); empty when it did not.
    const std::string& GetError() const { return FError; }

protected:
    // In block mode, before the terminator is looked for: the length of a
    // block that the unconsumed bytes end early (0: none, the usual case).
    virtual std::size_t EarlyBlockEnd(std::string_view /*pending*/) const { return 0; }
    // Whether the bytes left when the peer closes inside a block are taken as
    // the block (true here) or are a failed block that nobody receives.
    virtual bool TakesUnterminatedBlock() const { return true; }
    // Logs a received block without decoding it (SetDecodeBlocks false).
    virtual void LogBlock(std::string_view in);

private:
    std::optional<std::size_t> FindInBuffer(std::string_view pattern);
    void TakeBuffer(std::size_t count, std::string& out);
    void Consume(std::size_t count);
    bool ReadChunk(std::optional<std::size_t>& read, bool wait);
    bool WaitForData(bool wake);
    bool KeepRunning() const;
    bool Receive(const std::function<bool()>& extract, std::size_t limit, const char* what);
    void LimitError(const char* what, std::size_t limit);
    void Abandon(const std::string& reason);
    void WriteStream(std::string_view bytes);

    platform::TSocket* FSocket;
    std::string FBuffer;
    std::size_t FHead = 0;     // bytes before this are consumed
    std::size_t FScanFrom = 0; // no occurrence of FScanPattern starts before this
    std::string FScanPattern;  // what FScanFrom refers to
    int FWaitTime;
    std::uint8_t FMode = ModeCommand;
    std::string FTerminator = "\r\n.\r\n";
    std::string FReceived;
    std::string FLastBlock;
    std::string FLastCommand;
    int FStreamSize = 0;
    std::string FStreamFile;
    bool FStreamOpen = false;
    std::FILE* FStreamHandle = nullptr; // stream mode's file; none for memory
    std::string FStreamText;
    std::FILE* FLogFile = nullptr;
    std::vector<std::string> FHidden;
    std::size_t FMaxLine = netlimits::MaxCommandLine;
    std::size_t FMaxBlock = netlimits::DefaultMaxBlock;
    bool FWakeOnMessage = false;
    bool FLastReadFull = false; // the last read filled its chunk
    std::uint64_t FBytesRead = 0;
    bool FBlockTerminated = false; // the last block was cut at its terminator
    bool FDecodeBlocks = true;
    std::optional<TClock::time_point> FDeadline;
    std::string FError;
};
