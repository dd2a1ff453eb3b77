#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <stdexcept>

#include "net/customclientthread.h"
#include "net/customserverthread.h"
#include "platform/listener.h"
#include "platform/testloopback.h"

using platform::TMessage;
using platform::TQueueWindow;
using platform::TSocket;

TEST(SplitCommandLine, WordsCommandAndArguments) {
    struct TCase {
        const char* text;
        std::uint8_t mode;
        const char* command;
        std::vector<std::string> arguments;
    } cases[] = {
        {"user  bob", TSocketHelper::ModeCommand, "USER", {"bob"}},
        {"PASS my secret", TSocketHelper::ModeCommand, "PASS", {"my", "secret"}},
        {"apop \"a b\" 0123", TSocketHelper::ModeCommand, "APOP", {"a b", "0123"}},
        {"noop", TSocketHelper::ModeCommand, "NOOP", {}},
        {"", TSocketHelper::ModeCommand, "", {}},
        {"  ", TSocketHelper::ModeCommand, "  ", {}},
        {"+OK\r\nline", TSocketHelper::ModeBlock, "+OK\r\nline", {"+OK", "line"}},
        {"file.bin", TSocketHelper::ModeStream, "file.bin", {}},
    };
    for (const auto& c : cases) {
        TStringList arguments;
        arguments.Add("stale");
        EXPECT_EQ(SplitCommandLine(c.text, c.mode, arguments), c.command) << c.text;
        EXPECT_EQ(arguments.Strings, c.arguments) << c.text;
    }
}

namespace {

std::atomic<int> Freed{0};

// A session thread that starts once it is whole, so that the thread never
// calls into a half-built object, and counts itself freed.
template <class Session>
class TStarted final : public Session {
public:
    template <class... Args>
    explicit TStarted(Args&&... args) : Session(std::forward<Args>(args)...) {
        this->Resume();
    }
    ~TStarted() override { ++Freed; }
};

// A server session on the window's messages 2053 and 2054 that reports its
// end with code 1.
class TTestServerThread : public TCustomServerThread {
public:
    TTestServerThread(std::unique_ptr<TSocket> s, platform::TWindowHandle window)
        : TCustomServerThread(true, std::move(s), window, 2053, 2054) {}

protected:
    void ClientDisconnect(bool accepted) override { FMessenger.SendText(1, accepted, ""); }
};

// A server session that reports to the window and answers with its replies:
// code 0 at connect, 2 per line, 1 at disconnect; a reply with code 8 closes.
class TReportingServerThread : public TTestServerThread {
public:
    using TTestServerThread::TTestServerThread;

protected:
    bool ClientConnect() override {
        FMessenger.SendText(0, true, FHelper->GetAddress());
        return true;
    }
    void ClientDialogue(const std::string& command) override {
        FMessenger.SendText(2, true, command + "|" + FArguments.GetCommaText());
    }
    void ClientDispatch(TMessage& message) override {
        FHelper->SendCommand(FMessenger.GetText());
        if (message.WParam == 8) GetClientSocket().Close();
    }
};

// Plays the main window: the next request, read through a window-side messenger.
struct TRequest {
    std::intptr_t Code = -1;
    bool Flag = false;
    std::string Text;
    std::unique_ptr<TInterThreadMessenger> Messenger;
};

TRequest NextRequest(TQueueWindow& window, std::uint32_t windowMessage) {
    TRequest request;
    auto message = window.Wait(std::chrono::seconds(10));
    if (!message) return request;
    request.Code = message->WParam;
    request.Messenger = std::make_unique<TInterThreadMessenger>(windowMessage, windowMessage + 1,
                                                                *message, &window, true);
    request.Flag = request.Messenger->GetFlag();
    request.Text = request.Messenger->GetText();
    return request;
}

class SessionThreadTest : public ::testing::Test {
protected:
    TQueueWindow Window;
    void SetUp() override { Freed = 0; }
    void TearDown() override { platform::StopWorkerThreads(); }
};

} // namespace

TEST_F(SessionThreadTest, ServerSessionAsksTheWindowAndAnswersThePeer) {
    platform::TListener listener([this](std::unique_ptr<TSocket> s) {
        new TStarted<TReportingServerThread>(std::move(s), &Window);
    });
    ASSERT_TRUE(listener.Open("127.0.0.1", 0));
    TSocket client;
    client.Connect("127.0.0.1", listener.GetPort(), 2000);

    TRequest connect = NextRequest(Window, 2053);
    EXPECT_EQ(connect.Code, 0);
    EXPECT_EQ(connect.Text, "127.0.0.1");
    WriteText(client, "user  bob\r\n");
    TRequest user = NextRequest(Window, 2053);
    EXPECT_EQ(user.Code, 2);
    EXPECT_EQ(user.Text, "USER|bob");
    ASSERT_TRUE(user.Messenger->SendText(2, true, "+OK"));
    EXPECT_EQ(ReadBytes(client, 5), "+OK\r\n");

    WriteText(client, "QUIT\r\n");
    TRequest quit = NextRequest(Window, 2053);
    ASSERT_TRUE(quit.Messenger->SendText(8, true, "+OK bye"));
    EXPECT_EQ(ReadBytes(client, 100), "+OK bye\r\n"); // then the server closes
    TRequest end = NextRequest(Window, 2053);
    EXPECT_EQ(end.Code, 1);
    EXPECT_TRUE(end.Flag);
    platform::WaitForWorkerThreads();
    EXPECT_EQ(Freed, 1);
    EXPECT_EQ(listener.GetActiveConnections(), 0);
}

TEST_F(SessionThreadTest, ClosingTheListenerEndsEverySessionAndLateRepliesAreDropped) {
    platform::TListener listener([this](std::unique_ptr<TSocket> s) {
        new TStarted<TReportingServerThread>(std::move(s), &Window);
    });
    ASSERT_TRUE(listener.Open("127.0.0.1", 0));
    std::vector<std::unique_ptr<TSocket>> clients;
    std::vector<TRequest> waiting;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<TSocket>());
        clients.back()->Connect("127.0.0.1", listener.GetPort(), 2000);
        waiting.push_back(NextRequest(Window, 2053)); // each session waits for its answer
        ASSERT_EQ(waiting.back().Code, 0);
    }
    EXPECT_EQ(listener.GetActiveConnections(), 3);

    listener.Close();
    platform::WaitForWorkerThreads();
    EXPECT_EQ(Freed, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(NextRequest(Window, 2053).Code, 1);
    for (auto& request : waiting)
        EXPECT_FALSE(request.Messenger->SendText(0, true, "late"));
}

namespace {

// A server session that greets the peer only once the window has answered.
class TGreetingServerThread : public TTestServerThread {
public:
    using TTestServerThread::TTestServerThread;

protected:
    bool ClientConnect() override {
        FMessenger.SendText(0, true, "may I?");
        TMessage reply;
        if (!WaitReply(reply)) return false;
        FHelper->SendCommand(FMessenger.GetText());
        return FMessenger.GetFlag();
    }
};

} // namespace

TEST_F(SessionThreadTest, AGreetingWaitsForTheWindowAndEndsWithTheConnection) {
    platform::TListener listener([this](std::unique_ptr<TSocket> s) {
        new TStarted<TGreetingServerThread>(std::move(s), &Window);
    });
    ASSERT_TRUE(listener.Open("127.0.0.1", 0));
    TSocket first, second;
    first.Connect("127.0.0.1", listener.GetPort(), 2000);
    TRequest ask = NextRequest(Window, 2053);
    ASSERT_EQ(ask.Text, "may I?");
    platform::PostThreadMessage(ask.Messenger->GetThread(), 4242, 0, {}); // not the reply
    ASSERT_TRUE(ask.Messenger->SendText(0, false, "-ERR"));
    EXPECT_EQ(ReadBytes(first, 100), "-ERR\r\n"); // refused, then closed
    EXPECT_FALSE(NextRequest(Window, 2053).Flag);

    second.Connect("127.0.0.1", listener.GetPort(), 2000);
    EXPECT_EQ(NextRequest(Window, 2053).Text, "may I?"); // never answered
    listener.Close();
    platform::WaitForWorkerThreads();
    EXPECT_EQ(Freed, 2);
    EXPECT_EQ(NextRequest(Window, 2053).Code, 1);
}

namespace {

// A client session that hands every line to the window and sends the
// window's replies; a reply with code 8 closes.
class TReportingClientThread : public TCustomClientThread {
public:
    TReportingClientThread(int port, platform::TWindowHandle window)
        : TCustomClientThread(true, "127.0.0.1", port, window, 2049, 2050) {}

protected:
    bool ClientConnect() override { return true; }
    void ClientDialogue(const std::string& command) override {
        FMessenger.SendText(0, true, command + "|" + FLine);
    }
    void ClientDispatch(TMessage& message) override {
        if (message.WParam == 8)
            GetClientSocket().Close();
        else
            FHelper->SendCommand(FMessenger.GetText());
    }
    void ClientDisconnect(bool accepted) override { FMessenger.SendText(1, accepted, FHost); }
};

// A reporting client session connected to a listener of its own; Remote is
// the server's end of the connection.
struct TClientSession {
    explicit TClientSession(platform::TWindowHandle window) {
        if (!Listener.Open("127.0.0.1", 0)) throw std::runtime_error("cannot listen");
        new TStarted<TReportingClientThread>(Listener.GetPort(), window);
        Remote = Accepted.get_future().get();
    }

    std::promise<std::unique_ptr<TSocket>> Accepted;
    platform::TListener Listener{
        [this](std::unique_ptr<TSocket> s) { Accepted.set_value(std::move(s)); }};
    std::unique_ptr<TSocket> Remote;
};

} // namespace

TEST_F(SessionThreadTest, ClientSessionTalksToTheServerThroughTheWindow) {
    TClientSession session(&Window);
    TSocket& remote = *session.Remote;

    WriteText(remote, "+OK ready <1.2@host>\r\n");
    TRequest greeting = NextRequest(Window, 2049);
    EXPECT_EQ(greeting.Text, "+OK|+OK ready <1.2@host>");
    ASSERT_TRUE(greeting.Messenger->SendText(0, true, "USER me"));
    EXPECT_EQ(ReadBytes(remote, 9), "USER me\r\n");
    WriteText(remote, "+OK\r\n");
    TRequest user = NextRequest(Window, 2049);
    ASSERT_TRUE(user.Messenger->SendText(8, true, ""));
    TRequest end = NextRequest(Window, 2049);
    EXPECT_EQ(end.Code, 1);
    EXPECT_TRUE(end.Flag);
    EXPECT_EQ(end.Text, "127.0.0.1");
    platform::WaitForWorkerThreads();
    EXPECT_EQ(Freed, 1);
}

TEST_F(SessionThreadTest, AClientThatCannotConnectStillReportsItsEnd) {
    int port;
    {
        platform::TListener probe([](std::unique_ptr<TSocket>) {});
        ASSERT_TRUE(probe.Open("127.0.0.1", 0));
        port = probe.GetPort();
    }
    new TStarted<TReportingClientThread>(port, &Window);
    TRequest end = NextRequest(Window, 2049);
    EXPECT_EQ(end.Code, 1);
    EXPECT_FALSE(end.Flag);
    platform::WaitForWorkerThreads();
    EXPECT_EQ(Freed, 1);
}

TEST_F(SessionThreadTest, StoppingEndsAClientWaitingForTheWindow) {
    TClientSession session(&Window);
    TSocket& remote = *session.Remote;
    WriteText(remote, "+OK\r\n");
    EXPECT_EQ(NextRequest(Window, 2049).Code, 0); // never answered
    platform::StopWorkerThreads();
    EXPECT_EQ(Freed, 1);
    EXPECT_EQ(NextRequest(Window, 2049).Code, 1);
}
