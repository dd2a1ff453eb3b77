#include "platform/messages.h"

#include <atomic>
#include <memory>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <unordered_map>

namespace platform {

bool PostWindowMessage(TWindowHandle window, std::uint32_t msg, std::intptr_t wparam,
                       TDataBlock data) {
    if (!window) return false;
    return window->Post(TMessage{msg, wparam, std::move(data)});
}

bool TQueueWindow::Post(TMessage message) {
    {
        std::lock_guard lock(FMutex);
        if (FClosed) return false;
        FQueue.push_back(std::move(message));
    }
    FArrived.notify_one();
    return true;
}

std::optional<TMessage> TQueueWindow::Peek() {
    return Wait(std::chrono::milliseconds(0));
}

std::optional<TMessage> TQueueWindow::Wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(FMutex);
    if (!FArrived.wait_for(lock, timeout, [this] { return !FQueue.empty(); })) return {};
    TMessage message = std::move(FQueue.front());
    FQueue.pop_front();
    return message;
}

void TQueueWindow::Close() {
    std::lock_guard lock(FMutex);
    FClosed = true;
    FQueue.clear();
}

namespace {

// One thread's queue. The eventfd counter is non-zero while the queue holds a
// message. A poster signals after releasing the mutex, so that the thread it
// wakes does not at once wait for that mutex; the signal may then come after
// the message was taken, and the next look into the empty queue clears it.
struct TThreadQueue {
    std::mutex Mutex;
    std::deque<TMessage> Messages;
    bool Ended = false;
    int WakeHandle = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);

    ~TThreadQueue() {
        if (WakeHandle >= 0) close(WakeHandle);
    }
    void Signal() {
        std::uint64_t one = 1;
        [[maybe_unused]] auto n = write(WakeHandle, &one, sizeof one);
    }
    void Unsignal() {
        std::uint64_t count;
        [[maybe_unused]] auto n = read(WakeHandle, &count, sizeof count);
    }
};

// Queues by thread identity. A poster holds a shared reference while it
// posts, so a queue that ends meanwhile stays valid until the post is done.
struct TQueueRegistry {
    std::mutex Mutex;
    std::unordered_map<TThreadId, std::shared_ptr<TThreadQueue>> Queues;
    std::atomic<TThreadId> NextId{1};
};

TQueueRegistry& Registry() {
    static auto* registry = new TQueueRegistry; // outlives every thread's exit
    return *registry;
}

std::shared_ptr<TThreadQueue> FindQueue(TThreadId id) {
    std::lock_guard lock(Registry().Mutex);
    auto it = Registry().Queues.find(id);
    return it == Registry().Queues.end() ? nullptr : it->second;
}

// The calling thread's own queue; ended when the thread exits.
struct TOwnQueue {
    TThreadId Id = 0;
    std::shared_ptr<TThreadQueue> Queue;

    TThreadQueue& Get() {
        if (!Queue) {
            Queue = std::make_shared<TThreadQueue>();
            do {
                Id = Registry().NextId.fetch_add(1);
            } while (Id == 0);
            std::lock_guard lock(Registry().Mutex);
            Registry().Queues.emplace(Id, Queue);
        }
        return *Queue;
    }
    void End() {
        if (!Queue) return;
        {
            std::lock_guard lock(Registry().Mutex);
            Registry().Queues.erase(Id);
        }
        std::deque<TMessage> dropped;
        {
            std::lock_guard lock(Queue->Mutex);
            Queue->Ended = true;
            dropped.swap(Queue->Messages);
        }
        Queue.reset();
        Id = 0;
    }
    ~TOwnQueue() { End(); }
};

thread_local TOwnQueue OwnQueue;

} // namespace

TThreadId CurrentThreadId() {
    OwnQueue.Get();
    return OwnQueue.Id;
}

void EndThreadQueue() {
    OwnQueue.End();
}

bool PostThreadMessage(TThreadId thread, std::uint32_t msg, std::intptr_t wparam, TDataBlock data) {
    auto queue = FindQueue(thread);
    if (!queue) return false;
    bool first = false;
    {
        std::lock_guard lock(queue->Mutex);
        if (queue->Ended) return false;
        queue->Messages.push_back(TMessage{msg, wparam, std::move(data)});
        first = queue->Messages.size() == 1;
    }
    if (first) queue->Signal();
    return true;
}

std::optional<TMessage> PeekThreadMessage() {
    TThreadQueue& queue = OwnQueue.Get();
    std::lock_guard lock(queue.Mutex);
    if (queue.Messages.empty()) {
        queue.Unsignal(); // a late signal
        return {};
    }
    TMessage message = std::move(queue.Messages.front());
    queue.Messages.pop_front();
    if (queue.Messages.empty()) queue.Unsignal();
    return message;
}

int ThreadQueueWakeHandle() {
    return OwnQueue.Get().WakeHandle;
}

bool WaitThreadMessage(int timeoutMs) {
    pollfd fd{ThreadQueueWakeHandle(), POLLIN, 0};
    return poll(&fd, 1, timeoutMs) > 0 && (fd.revents & POLLIN);
}

} // namespace platform
