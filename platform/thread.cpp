#include "platform/thread.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/messages.h"
#include "platform/socket.h"

namespace platform {

namespace {

// Running threads by number; a thread that finishes moves its handle to
// Finished, where the next Start or wait joins it.
struct TWorkerTable {
    std::mutex Mutex;
    std::condition_variable Changed;
    std::map<unsigned long, std::thread> Running;
    std::vector<std::thread> Finished;
    unsigned long Next = 0;

    std::vector<std::thread> TakeFinished() {
        std::vector<std::thread> done;
        done.swap(Finished);
        return done;
    }
};

TWorkerTable& Table() {
    static auto* table = new TWorkerTable; // outlives every thread's exit
    return *table;
}

void JoinAll(std::vector<std::thread> threads) {
    for (auto& t : threads)
        t.join();
}

void Finish(unsigned long number) {
    EndThreadQueue();
    auto& table = Table();
    std::lock_guard lock(table.Mutex);
    auto it = table.Running.find(number);
    table.Finished.push_back(std::move(it->second));
    table.Running.erase(it);
    table.Changed.notify_all();
}

} // namespace

void TWorkerThread::Start() {
    auto& table = Table();
    std::vector<std::thread> done;
    {
        std::lock_guard lock(table.Mutex);
        done = table.TakeFinished();
        unsigned long number = table.Next++;
        table.Running.emplace(number, std::thread([this, number] {
                                  try {
                                      Execute();
                                  } catch (...) {
                                  }
                                  delete this;
                                  Finish(number);
                              }));
    }
    JoinAll(std::move(done));
}

int RunningWorkerThreads() {
    std::lock_guard lock(Table().Mutex);
    return static_cast<int>(Table().Running.size());
}

void WaitForWorkerThreads() {
    auto& table = Table();
    std::vector<std::thread> done;
    {
        std::unique_lock lock(table.Mutex);
        table.Changed.wait(lock, [&] { return table.Running.empty(); });
        done = table.TakeFinished();
    }
    JoinAll(std::move(done));
}

void StopWorkerThreads() {
    ShutdownAllSockets(true);
    WaitForWorkerThreads();
    AllowNewSockets();
}

} // namespace platform
