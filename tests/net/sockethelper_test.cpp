#include "net/sockethelper.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "platform/messages.h"
#include "platform/testloopback.h"

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A helper on the accepted end of a loopback connection; the test plays the
// peer through Peer().
class SocketHelperTest : public ::testing::Test {
protected:
    std::unique_ptr<TLoopback> Pair = MakeLoopback();
    TSocketHelper Helper{Pair->Server.get(), 50};
    std::filesystem::path Folder =
        std::filesystem::temp_directory_path() / ("sockethelper-" + std::to_string(getpid()));

    void SetUp() override { std::filesystem::create_directories(Folder); }
    void TearDown() override { std::filesystem::remove_all(Folder); }
    platform::TSocket& Peer() { return *Pair->Client; }
    std::string LogPath() const { return (Folder / "s.log").string(); }
};

} // namespace

TEST_F(SocketHelperTest, TwoCommandsInOnePacketArriveOneByOne) {
    WriteText(Peer(), "USER bob\r\nPASS x\r\n");
    std::string line;
    ASSERT_TRUE(Helper.ReceiveCommand(line));
    EXPECT_EQ(line, "USER bob");
    EXPECT_EQ(Helper.GetReceived(), "USER bob\r\n");
    ASSERT_TRUE(Helper.ReceiveCommand(line));
    EXPECT_EQ(line, "PASS x");
    EXPECT_FALSE(Helper.ReceiveCommand(line)); // silence: no line, still connected
    EXPECT_TRUE(Helper.GetSocket().GetConnected());
}

TEST_F(SocketHelperTest, ACommandSplitAcrossPacketsArrivesWhenItsLineEndDoes) {
    std::string line;
    WriteText(Peer(), "STA");
    EXPECT_FALSE(Helper.ReceiveCommand(line));
    WriteText(Peer(), "T\r");
    EXPECT_FALSE(Helper.ReceiveCommand(line));
    WriteText(Peer(), "\nNO");
    ASSERT_TRUE(Helper.ReceiveCommand(line));
    EXPECT_EQ(line, "STAT");
    EXPECT_TRUE(Helper.BufferRemaining());
}

TEST_F(SocketHelperTest, ALastLineWithoutLineEndIsDeliveredWhenThePeerCloses) {
    WriteText(Peer(), "one\r\nQUIT");
    Peer().Close();
    std::string line;
    ASSERT_TRUE(Helper.ReceiveCommand(line));
    EXPECT_EQ(line, "one");
    ASSERT_TRUE(Helper.ReceiveCommand(line));
    EXPECT_EQ(line, "QUIT");
    EXPECT_FALSE(Helper.GetSocket().GetConnected());
    EXPECT_FALSE(Helper.ReceiveCommand(line));
}

TEST_F(SocketHelperTest, ManyLinesInLargeWritesKeepTheirOrder) {
    std::string all;
    for (int i = 0; i < 20000; ++i)
        all += "line " + std::to_string(i) + "\r\n";
    std::thread writer([&] { WriteText(Peer(), all); });
    std::string line;
    for (int i = 0; i < 20000; ++i) {
        bool received = false;
        for (int tries = 0; tries < 400 && !received; ++tries) // the writer may lag
            received = Helper.ReceiveCommand(line);
        ASSERT_TRUE(received);
        ASSERT_EQ(line, "line " + std::to_string(i));
    }
    writer.join();
}

TEST_F(SocketHelperTest, BlockIsCutAtItsTerminatorAndUnstuffed) {
    Helper.SetMode(TSocketHelper::ModeBlock);
    WriteText(Peer(), "+OK\r\n..dot\r\nbody\r\n.\r");
    std::string text;
    EXPECT_FALSE(Helper.ReceiveBlock(text)); // the terminator straddles two packets
    WriteText(Peer(), "\n+OK next");
    ASSERT_TRUE(Helper.ReceiveBlock(text));
    EXPECT_EQ(text, "+OK\r\n.dot\r\nbody");
    EXPECT_EQ(Helper.GetLastBlock(), "+OK\r\n..dot\r\nbody\r\n.\r\n");
    EXPECT_TRUE(Helper.BufferRemaining());
}

TEST_F(SocketHelperTest, ABlockStartingWithTheDotLineIsNotTerminated) {
    Helper.SetMode(TSocketHelper::ModeBlock);
    WriteText(Peer(), ".\r\n");
    std::string text;
    EXPECT_FALSE(Helper.ReceiveBlock(text));
    WriteText(Peer(), "x\r\n.\r\n");
    ASSERT_TRUE(Helper.ReceiveBlock(text));
    EXPECT_EQ(Helper.GetLastBlock(), ".\r\nx\r\n.\r\n");
    EXPECT_EQ(text, "x"); // the dot line became an empty first line, then trimmed
}

TEST_F(SocketHelperTest, ABlockCutShortByThePeerIsDeliveredWhole) {
    Helper.SetMode(TSocketHelper::ModeBlock);
    WriteText(Peer(), "-ERR no such message\r\n");
    Peer().Close();
    std::string text;
    ASSERT_TRUE(Helper.ReceiveBlock(text));
    EXPECT_EQ(text, "-ERR no such message");
}

namespace {

// Ends a block early at a first line that starts with "-".
class TRefusalHelper : public TSocketHelper {
public:
    using TSocketHelper::TSocketHelper;

protected:
    std::size_t EarlyBlockEnd(std::string_view pending) const override {
        std::size_t end = pending.find("\r\n");
        return pending.starts_with("-") && end != std::string_view::npos ? end + 2 : 0;
    }
};

} // namespace

TEST_F(SocketHelperTest, ASubclassMayEndABlockEarly) {
    TRefusalHelper helper(Pair->Server.get(), 50);
    helper.SetMode(TSocketHelper::ModeBlock);
    WriteText(Peer(), "-ERR no such message\r\n+OK\r\nbody\r\n.\r\n");
    std::string text;
    ASSERT_TRUE(helper.ReceiveBlock(text));
    EXPECT_EQ(text, "-ERR no such message");
    ASSERT_TRUE(helper.ReceiveBlock(text));
    EXPECT_EQ(text, "+OK\r\nbody");
    EXPECT_EQ(helper.GetBytesRead(), 36u);
}

TEST_F(SocketHelperTest, AMegabyteBlockInSmallReadsArrivesIntact) {
    std::string body, stuffed;
    for (int i = 0; body.size() < (1u << 20); ++i) {
        std::string line(i % 7 == 0 ? "." : "");
        line.append(60 + i % 13, static_cast<char>('a' + i % 26));
        body += line + "\r\n";
        stuffed += (line[0] == '.' ? "." : "") + line + "\r\n";
    }
    Helper.SetMode(TSocketHelper::ModeBlock);
    std::thread writer([&] { WriteText(Peer(), stuffed + ".\r\n"); });
    std::string text;
    bool received = false;
    for (int i = 0; i < 400 && !received; ++i)
        received = Helper.ReceiveBlock(text);
    writer.join();
    ASSERT_TRUE(received);
    EXPECT_TRUE(text == body.substr(0, body.size() - 2));
}

TEST_F(SocketHelperTest, AnOverlongCommandLineIsLoggedAndEndsTheSession) {
    ASSERT_TRUE(Helper.Login(LogPath()));
    std::thread writer([&] {
        try {
            WriteText(Peer(), std::string(200 * 1024, 'A') + "\r\n");
        } catch (const platform::SocketError&) {
        }
    });
    std::string line;
    bool received = false;
    for (int i = 0; i < 400 && Helper.GetSocket().GetConnected(); ++i)
        received = Helper.ReceiveCommand(line);
    writer.join();
    EXPECT_FALSE(received);
    EXPECT_FALSE(Helper.GetSocket().GetConnected());
    EXPECT_FALSE(Helper.BufferRemaining());
    Helper.Logout();
    EXPECT_EQ(ReadFile(LogPath()).rfind("*Error! ", 0), 0u);
}

TEST_F(SocketHelperTest, ABlockPastTheOwnersBoundEndsTheSession) {
    Helper.SetMaxBlock(10000);
    Helper.SetMode(TSocketHelper::ModeBlock);
    std::thread writer([&] {
        try {
            WriteText(Peer(), std::string(30000, 'b'));
        } catch (const platform::SocketError&) {
        }
    });
    std::string text;
    for (int i = 0; i < 400 && Helper.GetSocket().GetConnected(); ++i)
        EXPECT_FALSE(Helper.ReceiveBlock(text));
    writer.join();
    EXPECT_FALSE(Helper.GetSocket().GetConnected());
    EXPECT_FALSE(Helper.ReceiveBlock(text));
}

TEST_F(SocketHelperTest, StreamModeTakesTheCountedBytes) {
    ASSERT_TRUE(Helper.OpenReceiveStream(10, ""));
    EXPECT_EQ(Helper.GetMode(), TSocketHelper::ModeStream);
    WriteText(Peer(), "0123456789rest");
    ASSERT_TRUE(Helper.ReceiveStream());
    EXPECT_EQ(Helper.GetReceiveStreamText(), "0123456789");
    Helper.CloseReceiveStream();
    EXPECT_EQ(Helper.GetMode(), TSocketHelper::ModeCommand);

    std::string file = (Folder / "stream.bin").string();
    ASSERT_TRUE(Helper.OpenReceiveStream(100, file));
    Peer().Close(); // the end of the connection hands over what is left
    ASSERT_TRUE(Helper.ReceiveStream());
    Helper.CloseReceiveStream();
    EXPECT_EQ(ReadFile(file), "rest");
}

TEST_F(SocketHelperTest, WaitModeBuffersWithoutExtracting) {
    Helper.SetMode(TSocketHelper::ModeWait);
    WriteText(Peer(), "abc\r\n");
    EXPECT_FALSE(Helper.ReceiveWait());
    EXPECT_TRUE(Helper.BufferRemaining());
    std::string out;
    ASSERT_TRUE(Helper.ReadBufferStr(out, true));
    EXPECT_EQ(out, "abc\r\n");
    EXPECT_FALSE(Helper.ReadBufferStr(out, true));
}

TEST_F(SocketHelperTest, SendsCommandsAndBlocksAndLogsThem) {
    ASSERT_TRUE(Helper.Login(LogPath()));
    Helper.SendCommand("");
    Helper.SendCommand("+OK 2 320");
    Helper.SendBlock("\r\nline\r\n.hidden\r\n\r\n");
    WriteText(Peer(), "RETR 1\r\n");
    std::string line;
    ASSERT_TRUE(Helper.ReceiveCommand(line));
    Helper.Logging("own line\r\n");
    Helper.Logout();
    Helper.Logging("after logout\r\n");

    const std::string sent = "\r\n+OK 2 320\r\nline\r\n..hidden\r\n.\r\n";
    EXPECT_EQ(ReadBytes(Peer(), sent.size()), sent);
    EXPECT_EQ(Helper.GetLastCommand(), "+OK 2 320");
    EXPECT_EQ(ReadFile(LogPath()), ">\r\n"
                                   ">+OK 2 320\r\n"
                                   ">(BLOCK)\r\n\t|\r\n\t|line\r\n\t|.hidden\r\n\t|\r\n"
                                   "<RETR 1\r\n"
                                   "own line\r\n");
}

TEST_F(SocketHelperTest, SendStreamCopiesTheWholeStream) {
    std::istringstream data(std::string(100000, 'z'));
    Helper.SendStream(data);
    EXPECT_EQ(ReadBytes(Peer(), 100000), std::string(100000, 'z'));
}

TEST_F(SocketHelperTest, LoggingWithoutLoginWritesNothing) {
    Helper.Logging("nothing\r\n");
    Helper.SendCommand("NOOP");
    EXPECT_TRUE(std::filesystem::is_empty(Folder));
}

TEST_F(SocketHelperTest, AWriteToAClosedPeerIsLoggedAndSwallowed) {
    ASSERT_TRUE(Helper.Login(LogPath()));
    Pair->Server->Close();
    Helper.SendCommand("+OK");
    Helper.Logout();
    EXPECT_EQ(ReadFile(LogPath()), ">+OK\r\n*Error! Write on a closed socket\r\n");
}

TEST_F(SocketHelperTest, AQueuedMessageEndsTheWaitAtOnce) {
    TSocketHelper patient(Pair->Server.get(), -1); // waits without end for data
    patient.SetWakeOnMessage(true);
    ASSERT_TRUE(platform::PostThreadMessage(platform::CurrentThreadId(), 1, 0, {}));
    std::string line;
    EXPECT_FALSE(patient.ReceiveCommand(line));
    EXPECT_TRUE(platform::PeekThreadMessage());
}

TEST(SocketHelperBlocks, EncodeAndDecodeTrimAndStuffLines) {
    struct TCase {
        const char* in;
        const char* encoded;
        const char* decoded;
    } cases[] = {
        {"", "", ""},
        {"a", "a", "a"},
        {"\r\n\r\nbody\r\n\r\n", "body", "body"},
        {"  x  ", "x", "x"},
        {".a\rb\nc\r\nd", "..a\r\nb\r\nc\r\nd", "a\r\nb\r\nc\r\nd"},
        {"a\r\n.\r\n..b", "a\r\n..\r\n...b", "a\r\n\r\n.b"},
        {"\x82\xa0\r\n", "\x82\xa0", "\x82\xa0"},
    };
    auto pair = MakeLoopback();
    TSocketHelper helper(pair->Server.get(), 50);
    for (const auto& c : cases) {
        std::string out;
        helper.EncodeBlock(out, c.in);
        EXPECT_EQ(out, c.encoded) << c.in;
        helper.DecodeBlock(out, c.in);
        EXPECT_EQ(out, c.decoded) << c.in;
    }
}

TEST(SocketHelperBlocks, TerminationIsFoundAndSkipped) {
    auto pair = MakeLoopback();
    TSocketHelper helper(pair->Server.get(), 50);
    EXPECT_EQ(helper.BlockTermination("ab\r\n.\r\ncd"), 3);
    EXPECT_EQ(helper.BlockTermination(".\r\nab"), 0);
    std::string text = "ab\r\n.\r\ncd";
    helper.PrepareNextBlock(3, text);
    EXPECT_EQ(text, "cd");
    EXPECT_EQ(TSocketHelper::MemStr("abcabc", "ca", 6), 2u);
    EXPECT_FALSE(TSocketHelper::MemStr("abcabc", "ca", 2));
    EXPECT_FALSE(TSocketHelper::MemStr("abc", "", 3));
}

namespace {

// What the session loop reported, in order.
struct TEvents {
    std::vector<std::string> Seen;
    void Install(TSocketHelper& helper, bool accept) {
        helper.OnConnect = [this, accept](TSocketHelper&, bool& a) {
            Seen.push_back("connect");
            a = accept;
        };
        helper.OnReceived = [this](TSocketHelper&, const std::string& text) {
            Seen.push_back("received " + text);
        };
        helper.OnDisconnect = [this](TSocketHelper&, bool accepted) {
            Seen.push_back(accepted ? "disconnect accepted" : "disconnect refused");
        };
    }
};

} // namespace

TEST_F(SocketHelperTest, ExecuteDeliversEveryLineThenDisconnects) {
    TEvents events;
    events.Install(Helper, true);
    int idle = 0;
    Helper.OnIdle = [&](TSocketHelper& h) {
        if (++idle == 1) h.SendCommand("+OK ready");
    };
    WriteText(Peer(), "A\r\nB\r\nlast");
    Peer().Close();
    Helper.Execute();
    EXPECT_EQ(events.Seen, (std::vector<std::string>{"connect", "received A", "received B",
                                                     "received last", "disconnect accepted"}));
    EXPECT_FALSE(Helper.GetSocket().GetConnected());
}

TEST_F(SocketHelperTest, ExecuteSwitchesModesAsTheOwnerAsks) {
    TEvents events;
    events.Install(Helper, true);
    Helper.OnReceived = [&](TSocketHelper& h, const std::string& text) {
        events.Seen.push_back(text);
        h.SetMode(h.GetMode() == TSocketHelper::ModeCommand ? TSocketHelper::ModeBlock
                                                            : TSocketHelper::ModeCommand);
    };
    WriteText(Peer(), "+OK\r\nline 1\r\nline 2\r\n.\r\n+OK bye\r\n");
    Peer().Close();
    Helper.Execute();
    EXPECT_EQ(events.Seen, (std::vector<std::string>{"connect", "+OK", "line 1\r\nline 2",
                                                     "+OK bye", "disconnect accepted"}));
}

TEST_F(SocketHelperTest, ExecuteEndsInWaitModeWhenThePeerLeaves) {
    TEvents events;
    events.Install(Helper, true);
    Helper.SetMode(TSocketHelper::ModeWait);
    WriteText(Peer(), "left in the buffer");
    Peer().Close();
    Helper.Execute();
    EXPECT_EQ(events.Seen.back(), "disconnect accepted");
}

TEST_F(SocketHelperTest, ARefusedSessionReadsNothingAndClosesTheSocket) {
    TEvents events;
    events.Install(Helper, false);
    WriteText(Peer(), "USER x\r\n");
    Helper.Execute();
    EXPECT_EQ(events.Seen, (std::vector<std::string>{"connect", "disconnect refused"}));
    EXPECT_FALSE(Helper.GetSocket().GetConnected());
}
