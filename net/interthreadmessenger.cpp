#include "net/interthreadmessenger.h"

#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <vector>

namespace {

constexpr std::size_t HeaderSize = 12;
// The length field is signed 32-bit and the block adds a header and padding.
constexpr int MaxLength = std::numeric_limits<std::int32_t>::max() - 32;

} // namespace

TInterThreadMessenger::TInterThreadMessenger(std::uint32_t windowMessage,
                                             std::uint32_t threadMessage,
                                             platform::TThreadId thread,
                                             platform::TWindowHandle window, bool toThread)
    : FWindowMessage(windowMessage), FThreadMessage(threadMessage), FThread(thread),
      FWindow(window), FToThread(toThread) {}

TInterThreadMessenger::TInterThreadMessenger(std::uint32_t windowMessage,
                                             std::uint32_t threadMessage,
                                             platform::TMessage& received,
                                             platform::TWindowHandle window, bool toThread)
    : FWindowMessage(windowMessage), FThreadMessage(threadMessage), FWindow(window),
      FToThread(toThread) {
    Receive(received);
}

namespace {

// The block of the given parts: the header, the parts one after another and
// the zero padding up to the next multiple of eight.
platform::TDataBlock BlockOf(platform::TThreadId thread, bool flag,
                             std::span<const std::string_view> parts) {
    std::size_t n = 0;
    for (std::string_view part : parts)
        n += part.size();
    platform::TDataBlock block(HeaderSize + n + (8 - n % 8), 0);
    std::uint32_t id = thread;
    auto size = static_cast<std::int32_t>(n);
    std::memcpy(block.data(), &id, 4);
    block[4] = flag ? 1 : 0;
    std::memcpy(block.data() + 8, &size, 4);
    std::size_t at = HeaderSize;
    for (std::string_view part : parts) {
        std::memcpy(block.data() + at, part.data(), part.size());
        at += part.size();
    }
    return block;
}

} // namespace

platform::TDataBlock TInterThreadMessenger::MakeBlock(platform::TThreadId thread, bool flag,
                                                      const void* data, int length) {
    const std::string_view part(static_cast<const char*>(data), static_cast<std::size_t>(length));
    return BlockOf(thread, flag, {&part, 1});
}

bool TInterThreadMessenger::ReadBlock(const platform::TDataBlock& block,
                                      platform::TThreadId& thread, bool& flag,
                                      std::string_view& data) {
    if (block.size() < HeaderSize) return false;
    std::uint32_t id;
    std::int32_t size;
    std::memcpy(&id, block.data(), 4);
    std::memcpy(&size, block.data() + 8, 4);
    if (size < 0 || static_cast<std::size_t>(size) > block.size() - HeaderSize) return false;
    thread = id;
    flag = block[4] != 0;
    data = std::string_view(reinterpret_cast<const char*>(block.data()) + HeaderSize,
                            static_cast<std::size_t>(size));
    return true;
}

bool TInterThreadMessenger::ReadBlock(const platform::TDataBlock& block,
                                      platform::TThreadId& thread, bool& flag, std::string& data) {
    std::string_view view;
    if (!ReadBlock(block, thread, flag, view)) return false;
    data.assign(view);
    return true;
}

bool TInterThreadMessenger::Send(std::intptr_t code, bool flag, const void* data, int length) {
    if (length < 0 || length > MaxLength || (length > 0 && !data)) return false;
    FFlag = flag;
    FData.assign(static_cast<const char*>(data), static_cast<std::size_t>(length));
    return PostData(code);
}

bool TInterThreadMessenger::SendText(std::intptr_t code, bool flag, std::string_view text) {
    if (text.size() >= static_cast<std::size_t>(MaxLength)) return false;
    FFlag = flag;
    FData.assign(text);
    FData.push_back('\0');
    return PostData(code);
}

bool TInterThreadMessenger::SendParts(std::intptr_t code, bool flag,
                                      std::initializer_list<std::string_view> parts) {
    std::size_t n = 1;
    for (std::string_view part : parts)
        n += part.size();
    if (n > static_cast<std::size_t>(MaxLength)) return false;
    FFlag = flag;
    FData.clear(); // what was sent lives in the block only
    platform::TDataBlock block;
    try {
        std::vector<std::string_view> all(parts);
        all.emplace_back("\0", 1);
        block = BlockOf(FThread, flag, all);
    } catch (const std::bad_alloc&) {
        return false; // the block cannot be allocated
    }
    return PostBlock(code, std::move(block));
}

bool TInterThreadMessenger::PostData(std::intptr_t code) {
    platform::TDataBlock block;
    try {
        block = MakeBlock(FThread, FFlag, FData.data(), static_cast<int>(FData.size()));
    } catch (const std::bad_alloc&) {
        return false; // the block cannot be allocated
    }
    return PostBlock(code, std::move(block));
}

bool TInterThreadMessenger::PostBlock(std::intptr_t code, platform::TDataBlock block) {
    if (FToThread)
        return platform::PostThreadMessage(FThread, FThreadMessage, code, std::move(block));
    return platform::PostWindowMessage(FWindow, FWindowMessage, code, std::move(block));
}

bool TInterThreadMessenger::Query(platform::TMessage& message) {
    if (FToThread) return false;
    auto next = platform::PeekThreadMessage();
    if (!next || next->Msg != FThreadMessage) return false;
    message = std::move(*next);
    return true;
}

bool TInterThreadMessenger::Receive(platform::TMessage& message) {
    platform::TThreadId thread = 0;
    bool flag = false;
    std::string data;
    if (ReadBlock(message.Data, thread, flag, data)) {
        if (FToThread) FThread = thread;
        FFlag = flag;
        FData = std::move(data);
    } else {
        FFlag = false;
        FData.clear();
    }
    platform::TDataBlock().swap(message.Data);
    return true;
}
