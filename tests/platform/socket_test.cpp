#include "platform/socket.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

#include "platform/listener.h"
#include "platform/messages.h"
#include "platform/testloopback.h"
#include "platform/thread.h"

using namespace platform;
using TWait = TSocket::TWait;

TEST(Socket, CarriesBytesBothWaysAndSeesTheEnd) {
    auto pair = MakeLoopback();
    EXPECT_TRUE(pair->Client->GetConnected());
    WriteText(*pair->Client, "hello");
    EXPECT_EQ(ReadBytes(*pair->Server, 5), "hello");
    WriteText(*pair->Server, "back");
    EXPECT_EQ(ReadBytes(*pair->Client, 4), "back");

    EXPECT_EQ(pair->Server->WaitForData(0), TWait::Timeout);
    pair->Client->Close();
    EXPECT_FALSE(pair->Client->GetConnected());
    ASSERT_EQ(pair->Server->WaitForData(2000), TWait::Data);
    char byte;
    EXPECT_EQ(pair->Server->Read(&byte, 1), 0u);
    EXPECT_FALSE(pair->Server->GetConnected());
    EXPECT_THROW(pair->Client->Write("x", 1), SocketError);
}

TEST(Socket, ReportsThePeersAddress) {
    auto pair = MakeLoopback("127.0.0.2");
    EXPECT_EQ(pair->Server->GetRemoteAddress(), "127.0.0.2");
    EXPECT_EQ(pair->Client->GetRemoteAddress(), "127.0.0.1");
    EXPECT_EQ(pair->Client->GetRemoteHost(), "localhost");
    EXPECT_FALSE(LocalHostName().empty());
}

TEST(Socket, WaitEndsOnDataOrOnAQueuedMessage) {
    auto pair = MakeLoopback();
    int wake = ThreadQueueWakeHandle();
    EXPECT_EQ(pair->Server->WaitForData(0, wake), TWait::Timeout);
    ASSERT_TRUE(PostThreadMessage(CurrentThreadId(), 1, 0, {}));
    EXPECT_EQ(pair->Server->WaitForData(-1, wake), TWait::Message);
    EXPECT_EQ(pair->Server->WaitForMessage(-1, wake), TWait::Message);
    PeekThreadMessage();
    WriteText(*pair->Client, "x");
    EXPECT_EQ(pair->Server->WaitForData(-1, wake), TWait::Data);
    EXPECT_EQ(pair->Server->WaitForMessage(0, wake), TWait::Timeout); // data alone is no reason
}

TEST(Socket, MessageWaitEndsWhenTheConnectionIsShutDown) {
    auto pair = MakeLoopback();
    std::thread closer([&] { pair->Listener->Close(); });
    EXPECT_EQ(pair->Server->WaitForMessage(-1, ThreadQueueWakeHandle()), TWait::Hangup);
    closer.join();
}

TEST(Socket, ConnectFailuresRaise) {
    TListener probe([](std::unique_ptr<TSocket>) {});
    ASSERT_TRUE(probe.Open("127.0.0.1", 0));
    int port = probe.GetPort();
    probe.Close();
    TSocket s;
    EXPECT_THROW(s.Connect("127.0.0.1", port, 2000), SocketError);
    EXPECT_FALSE(s.GetConnected());
    TClientSocket client("127.0.0.1", port);
    EXPECT_THROW(client.Open(), SocketError);
    EXPECT_FALSE(client.GetActive());
}

TEST(Listener, CountsOpenConnectionsAndEndsThemWhenClosed) {
    std::mutex mutex;
    std::vector<std::unique_ptr<TSocket>> accepted;
    TListener listener([&](std::unique_ptr<TSocket> s) {
        std::lock_guard lock(mutex);
        accepted.push_back(std::move(s));
    });
    std::string error;
    ASSERT_TRUE(listener.Open("127.0.0.1", 0, &error)) << error;
    EXPECT_TRUE(listener.GetActive());
    TSocket a, b;
    a.Connect("127.0.0.1", listener.GetPort(), 2000);
    b.Connect("127.0.0.1", listener.GetPort(), 2000);
    WriteText(a, "1");
    WriteText(b, "2");
    auto acceptedCount = [&] {
        std::lock_guard lock(mutex);
        return accepted.size();
    };
    for (int i = 0; i < 1000 && acceptedCount() < 2; ++i)
        WaitThreadMessage(10); // bounded wait for the accepting thread
    ASSERT_EQ(acceptedCount(), 2u);
    EXPECT_EQ(listener.GetActiveConnections(), 2);
    {
        std::lock_guard lock(mutex);
        accepted[0]->Close();
    }
    EXPECT_EQ(listener.GetActiveConnections(), 1);

    listener.Close();
    EXPECT_FALSE(listener.GetActive());
    std::lock_guard lock(mutex);
    char byte[2];
    EXPECT_EQ(accepted[1]->Read(byte, 2), 1u); // what had arrived is still there
    EXPECT_EQ(accepted[1]->Read(byte, 2), 0u); // then the end
}

TEST(Listener, ExplainsAPortThatIsTaken) {
    TListener first([](std::unique_ptr<TSocket>) {});
    ASSERT_TRUE(first.Open("127.0.0.1", 0));
    TListener second([](std::unique_ptr<TSocket>) {});
    std::string error;
    EXPECT_FALSE(second.Open("127.0.0.1", first.GetPort(), &error));
    EXPECT_NE(error.find(std::to_string(first.GetPort())), std::string::npos) << error;
    EXPECT_FALSE(second.Open("not-an-address", 0, &error));
}

namespace {

std::atomic<int> Destroyed{0};

// A worker that waits for data on its socket until the connection ends.
class TWaitingWorker : public TWorkerThread {
public:
    explicit TWaitingWorker(std::unique_ptr<TSocket> s) : FSocket(std::move(s)) {}
    ~TWaitingWorker() override { ++Destroyed; }

protected:
    void Execute() override {
        char chunk[64];
        while (FSocket->WaitForData(-1) == TWait::Data && FSocket->Read(chunk, sizeof chunk) > 0) {
        }
    }

private:
    std::unique_ptr<TSocket> FSocket;
};

} // namespace

TEST(WorkerThread, StoppingEndsEveryWorkerWhichFreesItself) {
    Destroyed = 0;
    TListener listener(
        [](std::unique_ptr<TSocket> s) { (new TWaitingWorker(std::move(s)))->Start(); });
    ASSERT_TRUE(listener.Open("127.0.0.1", 0));
    std::vector<std::unique_ptr<TSocket>> clients;
    for (int i = 0; i < 5; ++i) {
        clients.push_back(std::make_unique<TSocket>());
        clients.back()->Connect("127.0.0.1", listener.GetPort(), 2000);
    }
    for (int i = 0; i < 1000 && RunningWorkerThreads() < 5; ++i)
        WaitThreadMessage(10);
    EXPECT_EQ(RunningWorkerThreads(), 5);

    StopWorkerThreads();
    EXPECT_EQ(RunningWorkerThreads(), 0);
    EXPECT_EQ(Destroyed, 5);

    TSocket later; // new connections work again once every worker has ended
    EXPECT_NO_THROW(later.Connect("127.0.0.1", listener.GetPort(), 2000));
    listener.Close(); // ends the worker of that connection too
    WaitForWorkerThreads();
    EXPECT_EQ(RunningWorkerThreads(), 0);
}

TEST(WorkerThread, RefusesNewConnectionsWhileSessionsEnd) {
    TListener listener([](std::unique_ptr<TSocket>) {});
    ASSERT_TRUE(listener.Open("127.0.0.1", 0));
    ShutdownAllSockets(true);
    TSocket s;
    EXPECT_THROW(s.Connect("127.0.0.1", listener.GetPort(), 2000), SocketError);
    AllowNewSockets();
    EXPECT_NO_THROW(s.Connect("127.0.0.1", listener.GetPort(), 2000));
}
