// Network sessions: one request/reply exchange between a worker thread and
// the window, and one large block received over loopback through the helper.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <future>
#include <thread>

#include "net/customclientthread.h"
#include "net/sockethelper.h"
#include "platform/listener.h"
#include "tests/platform/testloopback.h"

namespace {

using Clock = std::chrono::steady_clock;

// A worker that asks the window again as soon as its idle hook picks up the
// answer to its last request; its peer stays silent.
class TAskingThread : public TCustomClientThread {
public:
    TAskingThread(int port, platform::TWindowHandle window)
        : TCustomClientThread(true, "127.0.0.1", port, window, 2053, 2054) {
        Resume();
    }

protected:
    bool ClientConnect() override { return FMessenger.SendText(0, true, "request"); }
    void ClientDispatch(platform::TMessage& message) override {
        if (message.WParam == 8)
            GetClientSocket().Close();
        else
            FMessenger.SendText(0, true, "request");
    }
};

// Answers the next request from the worker; false when none came.
bool AnswerNext(platform::TQueueWindow& window, std::intptr_t code) {
    auto request = window.Wait(std::chrono::seconds(10));
    if (!request) return false;
    TInterThreadMessenger side(2053, 2054, *request, &window, true);
    return side.SendText(code, true, "reply");
}

void BM_RequestReplyWithWindow(benchmark::State& state) {
    platform::TQueueWindow window;
    std::promise<std::unique_ptr<platform::TSocket>> accepted;
    platform::TListener listener(
        [&](std::unique_ptr<platform::TSocket> s) { accepted.set_value(std::move(s)); });
    listener.Open("127.0.0.1", 0);
    new TAskingThread(listener.GetPort(), &window);
    auto peer = accepted.get_future().get();
    auto first = window.Wait(std::chrono::seconds(10)); // the first request
    TInterThreadMessenger side(2053, 2054, *first, &window, true);
    side.SendText(1, true, "reply");

    std::vector<double> micros;
    for (auto _ : state) {
        auto start = Clock::now();
        if (!AnswerNext(window, 1)) state.SkipWithError("no request");
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    AnswerNext(window, 8);
    platform::WaitForWorkerThreads();
    std::nth_element(micros.begin(), micros.begin() + micros.size() / 2, micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
}
BENCHMARK(BM_RequestReplyWithWindow)->UseRealTime();

// The POP3 client's helper passes blocks through without unstuffing.
class TPassThroughHelper : public TSocketHelper {
public:
    using TSocketHelper::TSocketHelper;
    void DecodeBlock(std::string& out, std::string_view in) override { out = in; }
};

std::string MailBlock(std::size_t size) {
    std::string block = "+OK message follows\r\n";
    const std::string line(76, 'm');
    while (block.size() < size)
        block += (block.size() % 5 == 0 ? "." + line : line) + "\r\n";
    return block + ".\r\n";
}

template <class THelper>
void BM_ReceiveBlock(benchmark::State& state) {
    const std::string block = MailBlock(50u << 20);
    auto pair = MakeLoopback();
    platform::TSocket& sender = *pair->Client;
    THelper helper(pair->Server.get(), 50);
    helper.SetMode(TSocketHelper::ModeBlock);
    std::string text;
    for (auto _ : state) {
        std::thread writer([&] { sender.Write(block.data(), block.size()); });
        bool received = false;
        while (!received && pair->Server->GetConnected())
            received = helper.ReceiveBlock(text);
        writer.join();
        if (!received) state.SkipWithError("no block");
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
}
BENCHMARK_TEMPLATE(BM_ReceiveBlock, TSocketHelper)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
BENCHMARK_TEMPLATE(BM_ReceiveBlock, TPassThroughHelper)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

// Many short command lines arriving together: each is cut out without
// moving or searching the rest of the buffer again.
void BM_ReceiveCommands(benchmark::State& state) {
    std::string lines;
    while (lines.size() < (10u << 20))
        lines += "RETR " + std::to_string(lines.size()) + "\r\n";
    auto pair = MakeLoopback();
    platform::TSocket& sender = *pair->Client;
    TSocketHelper helper(pair->Server.get(), 50);
    std::string line;
    for (auto _ : state) {
        std::thread writer([&] { sender.Write(lines.data(), lines.size()); });
        std::size_t received = 0;
        while (received < lines.size() && helper.ReceiveCommand(line))
            received += line.size() + 2;
        writer.join();
        if (received != lines.size()) state.SkipWithError("lines lost");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_ReceiveCommands)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
