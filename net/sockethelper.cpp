#include "net/sockethelper.h"

#include <algorithm>
#include <cstring>

#include "platform/file.h"
#include "platform/messages.h"

namespace {

constexpr std::string_view CRLF = "\r\n";

// Calls fn for every line of text; a line ends at CR, LF or CR LF, and a line
// end at the very end of the text starts no further line.
template <class Fn>
void ForEachLine(std::string_view text, Fn fn) {
    const char* p = text.data();
    const std::size_t n = text.size();
    auto nextLf = [&](std::size_t from) {
        auto* found = static_cast<const char*>(std::memchr(p + from, '\n', n - from));
        return found ? static_cast<std::size_t>(found - p) : n;
    };
    std::size_t start = 0, lf = nextLf(0);
    while (start < n) {
        if (lf < start) lf = nextLf(start); // looked for again only once passed
        auto* cr = static_cast<const char*>(std::memchr(p + start, '\r', lf - start));
        std::size_t end = cr ? static_cast<std::size_t>(cr - p) : lf;
        fn(text.substr(start, end - start));
        start = end + (cr && end + 1 < n && p[end + 1] == '\n' ? 2 : 1);
    }
}

// Removes every leading and trailing byte up to 32 (blanks and control bytes).
void TrimControls(std::string& text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t end = text.size();
    while (end > 0 && blank(text[end - 1]))
        --end;
    text.resize(end);
    std::size_t start = 0;
    while (start < end && blank(text[start]))
        ++start;
    text.erase(0, start);
}

} // namespace

TSocketHelper::TSocketHelper(platform::TSocket* socket, int waitTime)
    : FSocket(socket), FWaitTime(waitTime) {}

TSocketHelper::~TSocketHelper() {
    CloseReceiveStream();
    Logout();
}

std::string TSocketHelper::GetHost() const {
    return FSocket->GetRemoteHost();
}

// The peer's own address: resolving the host name it reports back to an
// address would let a peer choose its address through its reverse DNS name.
std::string TSocketHelper::GetAddress() const {
    return FSocket->GetRemoteAddress();
}

std::optional<std::size_t> TSocketHelper::MemStr(const char* memory, std::string_view pattern,
                                                 std::size_t length) {
    std::size_t pos = std::string_view(memory, length).find(pattern);
    if (pattern.empty() || pos == std::string_view::npos) return {};
    return pos;
}

// Finds pattern in the unconsumed bytes, looking only at what was not searched
// before (plus the pattern's length less one, for an occurrence that straddles).
std::optional<std::size_t> TSocketHelper::FindInBuffer(std::string_view pattern) {
    if (pattern != FScanPattern) {
        FScanPattern = pattern;
        FScanFrom = FHead;
    }
    std::size_t from = std::max(FScanFrom, FHead);
    auto pos = MemStr(FBuffer.data() + from, pattern, FBuffer.size() - from);
    if (pos) return from + *pos;
    std::size_t overlap = pattern.empty() ? 0 : pattern.size() - 1;
    FScanFrom = std::max(from, FBuffer.size() > overlap ? FBuffer.size() - overlap : 0);
    return {};
}

// Hands out count unconsumed bytes. A buffer handed out whole swaps memory
// with out, so that the next data reuses what out held before.
void TSocketHelper::TakeBuffer(std::size_t count, std::string& out) {
    if (FHead == 0 && count == FBuffer.size()) {
        out.swap(FBuffer);
        FBuffer.clear();
        FScanFrom = 0;
        return;
    }
    out.assign(FBuffer, FHead, count);
    Consume(count);
}

// The rest moves to the front only once the consumed part outweighs it, so
// every byte is moved a bounded number of times.
void TSocketHelper::Consume(std::size_t count) {
    FHead += count;
    if (FHead == FBuffer.size()) {
        FBuffer.clear();
        FHead = 0;
    } else if (FHead > FBuffer.size() / 2) {
        FBuffer.erase(0, FHead);
        FHead = 0;
    }
    FScanFrom = FHead;
}

bool TSocketHelper::ReadBufferStr(std::string& out, bool all) {
    if (all) {
        if (!BufferRemaining()) return false;
        TakeBuffer(FBuffer.size() - FHead, out);
        return true;
    }
    auto pos = FindInBuffer(CRLF);
    if (!pos) return false;
    TakeBuffer(*pos + CRLF.size() - FHead, out);
    return true;
}

bool TSocketHelper::ReadBufferBlock(std::string& out, bool all) {
    FBlockTerminated = false;
    if (all) return ReadBufferStr(out, true);
    std::string_view pending(FBuffer.data() + FHead, FBuffer.size() - FHead);
    if (std::size_t early = std::min(EarlyBlockEnd(pending), pending.size())) {
        TakeBuffer(early, out);
        return true;
    }
    auto pos = FindInBuffer(FTerminator);
    if (!pos) return false;
    TakeBuffer(*pos + FTerminator.size() - FHead, out);
    FBlockTerminated = true;
    return true;
}

bool TSocketHelper::ReadBufferStream(std::size_t count, bool all) {
    if (!FStreamOpen) return false;
    std::size_t pending = FBuffer.size() - FHead;
    if (all) count = pending;
    if (count == 0 || pending < count) return false;
    WriteStream(std::string_view(FBuffer).substr(FHead, count));
    Consume(count);
    return true;
}

bool TSocketHelper::ReadStream(std::size_t& count) {
    std::optional<std::size_t> read;
    bool ok = ReadChunk(read, true);
    count = read.value_or(0);
    return ok;
}

// One read of at most ReadChunk bytes appended to the buffer; without wait,
// read is left empty when no byte is waiting. False on a read error.
bool TSocketHelper::ReadChunk(std::optional<std::size_t>& read, bool wait) {
    const std::size_t chunk = FMode == ModeBlock ? netlimits::BlockReadChunk : netlimits::ReadChunk;
    std::size_t size = FBuffer.size();
    FBuffer.resize(size + chunk);
    bool failed = false;
    try {
        char* into = FBuffer.data() + size;
        read = wait ? FSocket->Read(into, chunk) : FSocket->TryRead(into, chunk);
    } catch (const platform::SocketError&) {
        read.reset();
        failed = true;
    }
    FBuffer.resize(size + read.value_or(0));
    FBytesRead += read.value_or(0);
    FLastReadFull = read == chunk;
    return !failed;
}

bool TSocketHelper::WaitForData(bool wake) {
    int wakeHandle = wake && FWakeOnMessage ? platform::ThreadQueueWakeHandle() : -1;
    return FSocket->WaitForData(FWaitTime, wakeHandle) == platform::TSocket::TWait::Data;
}

void TSocketHelper::LimitError(const char* what, std::size_t limit) {
    Abandon(std::string(what) + " longer than " + std::to_string(limit) + " bytes");
}

// Logs the reason, drops what is buffered and closes the connection.
void TSocketHelper::Abandon(const std::string& reason) {
    if (FError.empty()) FError = reason;
    Logging("*Error! " + reason + "\r\n");
    FBuffer.clear();
    FBuffer.shrink_to_fit();
    FHead = FScanFrom = 0;
    FSocket->Close();
}

// The receive loop shared by the three receive modes: extract, else read more
// while the peer stays connected and sends within the wait interval.
bool TSocketHelper::Receive(const std::function<bool()>& extract, std::size_t limit,
                            const char* what) {
    bool wake = FMode != ModeStream;
    for (;;) {
        if (extract()) return true;
        if (!FSocket->GetConnected()) return false;
        if (FBuffer.size() - FHead > limit) {
            LimitError(what, limit);
            return false;
        }
        if (FDeadline && TClock::now() >= *FDeadline) return false;
        // After a full read more bytes are likely waiting: take them without the wait.
        std::optional<std::size_t> count;
        if (FLastReadFull && !ReadChunk(count, false)) {
            FSocket->Close();
            return false;
        }
        if (!count) {
            if (!WaitForData(wake)) return false;
            if (!ReadChunk(count, true)) {
                FSocket->Close();
                return false;
            }
        }
        if (*count == 0) return false;
    }
}

bool TSocketHelper::ReceiveCommand(std::string& line) {
    bool found =
        Receive([this] { return ReadBufferStr(FReceived, false); }, FMaxLine, "Command line");
    if (!FSocket->GetConnected()) {
        FSocket->Close();
        if (!found) found = ReadBufferStr(FReceived, true);
    }
    if (!found) return false;
    line = FReceived.substr(0, FReceived.find(CRLF));
    Logging("<" + line + "\r\n");
    return true;
}

bool TSocketHelper::ReceiveBlock(std::string& text) {
    bool found = Receive([this] { return ReadBufferBlock(FReceived, false); }, FMaxBlock, "Block");
    if (!FSocket->GetConnected()) {
        FSocket->Close();
        if (!found && TakesUnterminatedBlock()) {
            found = ReadBufferBlock(FReceived, true);
        } else if (!found && BufferRemaining()) {
            Abandon("The connection closed inside a multi-line reply, after " +
                    std::to_string(FBuffer.size() - FHead) + " bytes");
            return false;
        }
    }
    if (!found) return false;
    // A large read may bring a whole block at once, past the bound unseen.
    if (FReceived.size() > FMaxBlock) {
        LimitError("Block", FMaxBlock);
        return false;
    }
    FLastBlock.swap(FReceived);
    std::string_view raw = FLastBlock;
    if (FBlockTerminated) { // found where the terminator first occurs: at the end
        raw.remove_suffix(FTerminator.size());
    } else if (int position = BlockTermination(raw); position > 0) {
        raw = raw.substr(0, static_cast<std::size_t>(position - 1));
    }
    if (FDecodeBlocks) {
        DecodeBlock(text, raw);
    } else {
        LogBlock(raw);
        text.clear();
    }
    return true;
}

void TSocketHelper::LogBlock(std::string_view in) {
    if (!FLogFile) return;
    std::string unused;
    DecodeBlock(unused, in);
}

bool TSocketHelper::OpenReceiveStream(int size, const std::string& fileName) {
    CloseReceiveStream();
    if (!fileName.empty()) {
        FStreamHandle = std::fopen(platform::NativePath(fileName).c_str(), "wb");
        if (!FStreamHandle) return false;
    }
    FStreamSize = size;
    FStreamFile = fileName;
    FStreamOpen = true;
    FMode = ModeStream;
    return true;
}

void TSocketHelper::CloseReceiveStream() {
    FMode = ModeCommand;
    if (FStreamHandle) std::fclose(FStreamHandle);
    FStreamHandle = nullptr;
    FStreamOpen = false;
    FStreamText.clear();
}

void TSocketHelper::WriteStream(std::string_view bytes) {
    if (FStreamHandle)
        std::fwrite(bytes.data(), 1, bytes.size(), FStreamHandle);
    else
        FStreamText.append(bytes);
}

bool TSocketHelper::ReceiveStream() {
    std::size_t count = FStreamSize > 0 ? static_cast<std::size_t>(FStreamSize) : 0;
    bool found = Receive([this, count] { return ReadBufferStream(count, false); },
                         std::max(FMaxBlock, count), "Stream");
    if (!FSocket->GetConnected()) {
        FSocket->Close();
        if (!found) found = ReadBufferStream(0, true);
    }
    return found;
}

bool TSocketHelper::ReceiveWait() {
    while (FSocket->GetConnected() && WaitForData(true)) {
        std::size_t count;
        if (!ReadStream(count)) {
            FSocket->Close();
            break;
        }
        if (count == 0) break;
        if (FBuffer.size() - FHead > FMaxBlock) {
            LimitError("Buffered data", FMaxBlock);
            break;
        }
    }
    if (!FSocket->GetConnected()) FSocket->Close();
    return false;
}

int TSocketHelper::BlockTermination(std::string_view text) const {
    auto pos = MemStr(text.data(), FTerminator, text.size());
    return pos ? static_cast<int>(*pos) + 1 : 0;
}

void TSocketHelper::PrepareNextBlock(int position, std::string& text) const {
    if (position <= 0) return;
    text.erase(0, static_cast<std::size_t>(position - 1) + FTerminator.size());
}

void TSocketHelper::EncodeBlock(std::string& out, std::string_view in) {
    Logging(">(BLOCK)\r\n");
    out.clear();
    out.reserve(in.size() + in.size() / 64);
    ForEachLine(in, [&](std::string_view line) {
        if (!line.empty() && line[0] == '.') out += '.';
        out.append(line).append(CRLF);
        if (FLogFile) Logging(std::string("\t|").append(line).append(CRLF));
    });
    TrimControls(out);
}

void TSocketHelper::DecodeBlock(std::string& out, std::string_view in) {
    Logging("<(BLOCK)\r\n");
    out.clear();
    out.reserve(in.size());
    ForEachLine(in, [&](std::string_view line) {
        if (!line.empty() && line[0] == '.') line.remove_prefix(1);
        out.append(line).append(CRLF);
        if (FLogFile) Logging(std::string("\t|").append(line).append(CRLF));
    });
    TrimControls(out);
}

void TSocketHelper::SendBuffer(const char* data, std::size_t length) {
    try {
        FSocket->Write(data, length);
    } catch (const platform::SocketError& e) {
        Logging(std::string("*Error! ") + e.what() + "\r\n");
    }
}

void TSocketHelper::SendCommand(std::string_view text) {
    SendCommand(text, text);
}

void TSocketHelper::SendCommand(std::string_view text, std::string_view shown) {
    Logging(std::string(">").append(shown).append(CRLF));
    FLastCommand = shown;
    std::string line = std::string(text).append(CRLF);
    SendBuffer(line.data(), line.size());
}

void TSocketHelper::SendBlock(std::string_view text) {
    std::string block;
    EncodeBlock(block, text);
    block.append("\r\n.\r\n");
    SendBuffer(block.data(), block.size());
}

void TSocketHelper::SendStream(std::istream& stream) {
    char chunk[64 * 1024];
    try {
        while (stream.read(chunk, sizeof chunk) || stream.gcount() > 0)
            FSocket->Write(chunk, static_cast<std::size_t>(stream.gcount()));
    } catch (const platform::SocketError& e) {
        Logging(std::string("*Error! ") + e.what() + "\r\n");
    }
}

bool TSocketHelper::Login(const std::string& fileName) {
    Logout();
    FLogFile = std::fopen(platform::NativePath(fileName).c_str(), "wb");
    return FLogFile != nullptr;
}

void TSocketHelper::Logout() {
    if (FLogFile) std::fclose(FLogFile);
    FLogFile = nullptr;
}

void TSocketHelper::Logging(std::string_view text) {
    if (!FLogFile) return;
    if (FHidden.empty()) {
        std::fwrite(text.data(), 1, text.size(), FLogFile);
        return;
    }
    std::string shown(text);
    for (const std::string& secret : FHidden)
        for (std::size_t at; (at = shown.find(secret)) != std::string::npos;)
            shown.replace(at, secret.size(), "****");
    std::fwrite(shown.data(), 1, shown.size(), FLogFile);
}

void TSocketHelper::HideInLog(std::string secret) {
    if (!secret.empty()) FHidden.push_back(std::move(secret));
}

// Whether the session loop goes on: while the peer is connected, and after
// that while buffered bytes can still be delivered in the current mode (the
// wait mode delivers nothing, so it would never drain the buffer).
bool TSocketHelper::KeepRunning() const {
    if (FSocket->GetConnected()) return true;
    if (!BufferRemaining()) return false;
    return FMode == ModeCommand || FMode == ModeBlock || (FMode == ModeStream && FStreamOpen);
}

void TSocketHelper::Execute() {
    FLastCommand.clear();
    bool accept = false;
    if (OnConnect) OnConnect(*this, accept);
    std::string text;
    while (accept && KeepRunning()) {
        bool received = false;
        switch (FMode) {
        case ModeCommand:
            received = ReceiveCommand(text);
            break;
        case ModeBlock:
            received = ReceiveBlock(text);
            break;
        case ModeStream:
            if (ReceiveStream() && OnReceived) OnReceived(*this, FStreamFile);
            continue;
        default:
            ReceiveWait();
        }
        if (received && OnReceived)
            OnReceived(*this, text);
        else if (!received && OnIdle)
            OnIdle(*this);
    }
    FSocket->Close();
    if (OnDisconnect) OnDisconnect(*this, accept);
}
