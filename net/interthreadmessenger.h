#pragma once
// TInterThreadMessenger carries a code, a one-byte flag and a byte string
// between a worker thread and the main window, in a data block that travels
// with a posted message:
//
//   offset 0   4 bytes  identity of the worker thread of the exchange
//   offset 4   1 byte   flag (0 or 1), then 3 zero bytes
//   offset 8   4 bytes  data length N (signed)
//   offset 12  N bytes  data, then P >= 1 zero bytes so that N + P is a multiple of 8
//
// The message's first parameter carries the code.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/messages.h"

class TInterThreadMessenger {
public:
    // Worker side: requests go to the window (toThread false).
    TInterThreadMessenger(std::uint32_t windowMessage, std::uint32_t threadMessage,
                          platform::TThreadId thread, platform::TWindowHandle window,
                          bool toThread);
    // Window side: receives the request's block, which names the worker;
    // with toThread true, Send answers that worker.
    TInterThreadMessenger(std::uint32_t windowMessage, std::uint32_t threadMessage,
                          platform::TMessage& received, platform::TWindowHandle window,
                          bool toThread);

    bool Send(std::intptr_t code, bool flag, const void* data, int length);
    // Sends the text with a terminating zero byte.
    bool SendText(std::intptr_t code, bool flag, std::string_view text);
    // Sends the parts joined, with a terminating zero byte: each byte is
    // copied once, straight into the posted block.
    bool SendParts(std::intptr_t code, bool flag, std::initializer_list<std::string_view> parts);
    // Worker side: takes the next message out of the calling thread's queue;
    // true when it is the reply, any other message is dropped.
    bool Query(platform::TMessage& message);
    // Copies flag, length and data out of the message's block and frees it.
    bool Receive(platform::TMessage& message);

    // The block of one message, and its fields read back (false when malformed).
    static platform::TDataBlock MakeBlock(platform::TThreadId thread, bool flag, const void* data,
                                          int length);
    static bool ReadBlock(const platform::TDataBlock& block, platform::TThreadId& thread,
                          bool& flag, std::string& data);
    // The same without a copy: data views the block, which must outlive it.
    static bool ReadBlock(const platform::TDataBlock& block, platform::TThreadId& thread,
                          bool& flag, std::string_view& data);

    platform::TThreadId GetThread() const { return FThread; }
    void SetThread(platform::TThreadId thread) { FThread = thread; }
    bool GetFlag() const { return FFlag; }
    int GetLength() const { return static_cast<int>(FData.size()); }
    const std::string& GetData() const { return FData; }
    // The data up to its first zero byte.
    std::string GetText() const { return FData.substr(0, FData.find('\0')); }

private:
    bool PostData(std::intptr_t code);
    bool PostBlock(std::intptr_t code, platform::TDataBlock block);

    std::uint32_t FWindowMessage;
    std::uint32_t FThreadMessage;
    platform::TThreadId FThread = 0;
    platform::TWindowHandle FWindow;
    bool FToThread;
    bool FFlag = false;
    std::string FData; // FLength is its size
};
