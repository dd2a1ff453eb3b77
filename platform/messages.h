#pragma once
// Numbered messages between threads. A message posted to the main window is
// handled later on the window's own thread, one at a time in arrival order. A
// message posted to a worker thread waits in that thread's own queue until
// the thread takes it out without blocking. Each message carries a data
// block whose ownership passes with the message: a message that cannot be
// delivered is dropped together with its block.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

using TDataBlock = std::vector<unsigned char>;

struct TMessage {
    std::uint32_t Msg = 0;
    std::intptr_t WParam = 0;
    TDataBlock Data;
};

// A window that receives posted messages. Post is called from any thread, never
// blocks for long and hands the message to the window's own thread.
class TMessageWindow {
public:
    virtual ~TMessageWindow() = default;
    virtual bool Post(TMessage message) = 0;
};
using TWindowHandle = TMessageWindow*;

// False (and the block freed) when there is no window or the window refuses.
bool PostWindowMessage(TWindowHandle window, std::uint32_t msg, std::intptr_t wparam,
                       TDataBlock data);

// A window made of a plain queue, for programs and tests without a GUI: the
// thread that plays the window takes the messages out with Peek or Wait.
class TQueueWindow : public TMessageWindow {
public:
    bool Post(TMessage message) override;
    std::optional<TMessage> Peek();
    std::optional<TMessage> Wait(std::chrono::milliseconds timeout);
    // Later posts are refused; waiting messages are dropped.
    void Close();

private:
    std::mutex FMutex;
    std::condition_variable FArrived;
    std::deque<TMessage> FQueue;
    bool FClosed = false;
};

// Identity of a thread for thread messages; 0 is no thread. Identities are
// never reused within a run, so a late reply cannot reach a newer thread.
using TThreadId = std::uint32_t;

// The calling thread's identity. The first call creates its message queue.
TThreadId CurrentThreadId();
// Ends the calling thread's queue before the thread itself ends (which ends it
// too): waiting messages are freed and later posts to it are dropped.
void EndThreadQueue();
// False when the thread has no queue (never made one, or ended).
bool PostThreadMessage(TThreadId thread, std::uint32_t msg, std::intptr_t wparam, TDataBlock data);
// Takes the next message out of the calling thread's queue, if there is one.
std::optional<TMessage> PeekThreadMessage();
// A descriptor of the calling thread's queue that is readable (poll) while a
// message is waiting. It may stay readable for a moment after the message
// was taken (its poster signals after letting go of the queue): the next
// PeekThreadMessage, which then finds nothing, clears it.
int ThreadQueueWakeHandle();
// Waits up to timeoutMs for a message in the calling thread's queue.
bool WaitThreadMessage(int timeoutMs);

} // namespace platform
