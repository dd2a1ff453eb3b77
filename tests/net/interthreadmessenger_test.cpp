#include "net/interthreadmessenger.h"

#include <cstring>
#include <gtest/gtest.h>
#include <thread>

using platform::TDataBlock;
using platform::TMessage;

TEST(DataBlock, LayoutAndPadding) {
    struct TCase {
        int length;
        std::size_t blockSize;
    } cases[] = {{0, 20}, {1, 20}, {7, 20}, {8, 28}, {15, 28}, {16, 36}};
    for (const auto& c : cases) {
        std::string data(static_cast<std::size_t>(c.length), 'x');
        TDataBlock block =
            TInterThreadMessenger::MakeBlock(0x01020304, true, data.data(), c.length);
        ASSERT_EQ(block.size(), c.blockSize) << c.length;
        std::uint32_t id;
        std::int32_t length;
        std::memcpy(&id, block.data(), 4);
        std::memcpy(&length, block.data() + 8, 4);
        EXPECT_EQ(id, 0x01020304u);
        EXPECT_EQ(block[4], 1);
        EXPECT_EQ(block[5] | block[6] | block[7], 0);
        EXPECT_EQ(length, c.length);
        for (std::size_t i = 12 + data.size(); i < block.size(); ++i)
            EXPECT_EQ(block[i], 0);
    }
}

TEST(DataBlock, MalformedBlocksAreRefused) {
    platform::TThreadId thread;
    bool flag;
    std::string data;
    TDataBlock good = TInterThreadMessenger::MakeBlock(5, false, "abc", 3);
    ASSERT_TRUE(TInterThreadMessenger::ReadBlock(good, thread, flag, data));
    EXPECT_EQ(data, "abc");
    TDataBlock tooLong = good;
    tooLong[8] = 100;
    TDataBlock negative = good;
    negative[11] = 0x80;
    for (const TDataBlock& bad : {TDataBlock{}, TDataBlock(11, 0), tooLong, negative})
        EXPECT_FALSE(TInterThreadMessenger::ReadBlock(bad, thread, flag, data));
}

TEST(Messenger, AnEmptyTextTravelsAsOneZeroByte) {
    platform::TQueueWindow window;
    TInterThreadMessenger worker(2053, 2054, platform::CurrentThreadId(), &window, false);
    ASSERT_TRUE(worker.SendText(7, true, ""));
    auto message = window.Peek();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->Msg, 2053u);
    EXPECT_EQ(message->WParam, 7);
    EXPECT_EQ(message->Data.size(), 20u);
    TInterThreadMessenger side(2053, 2054, *message, &window, true);
    EXPECT_EQ(side.GetLength(), 1);
    EXPECT_EQ(side.GetText(), "");
    EXPECT_TRUE(message->Data.empty()); // the block is freed by the receiver
    EXPECT_FALSE(worker.Send(1, false, nullptr, -1));
    EXPECT_FALSE(worker.Send(1, false, nullptr, 3));
}

TEST(Messenger, RequestAndReplyBetweenWorkerAndWindow) {
    platform::TQueueWindow window;
    std::string reply;
    bool replyFlag = false;
    std::thread worker([&] {
        TInterThreadMessenger messenger(2049, 2050, platform::CurrentThreadId(), &window, false);
        ASSERT_TRUE(messenger.SendText(200, true, "UIDL 1\r\n+OK 1 abc"));
        ASSERT_TRUE(platform::WaitThreadMessage(10000));
        TMessage message;
        ASSERT_TRUE(messenger.Query(message));
        EXPECT_EQ(message.WParam, 200);
        messenger.Receive(message);
        reply = messenger.GetText();
        replyFlag = messenger.GetFlag();
    });
    auto request = window.Wait(std::chrono::seconds(10));
    ASSERT_TRUE(request);
    TInterThreadMessenger side(2049, 2050, *request, &window, true);
    EXPECT_TRUE(side.GetFlag());
    EXPECT_EQ(side.GetText(), "UIDL 1\r\n+OK 1 abc");
    EXPECT_TRUE(side.SendText(request->WParam, true, "SKIP"));
    worker.join();
    EXPECT_EQ(reply, "SKIP");
    EXPECT_TRUE(replyFlag);
}

TEST(Messenger, QueryDropsMessagesOtherThanTheReply) {
    TInterThreadMessenger worker(2053, 2054, platform::CurrentThreadId(), nullptr, false);
    platform::PostThreadMessage(platform::CurrentThreadId(), 9999, 0, TDataBlock(40, 1));
    platform::PostThreadMessage(platform::CurrentThreadId(), 2054, 3,
                                TInterThreadMessenger::MakeBlock(0, true, "ok", 3));
    TMessage message;
    EXPECT_FALSE(worker.Query(message));
    ASSERT_TRUE(worker.Query(message));
    worker.Receive(message);
    EXPECT_EQ(worker.GetText(), "ok");
    EXPECT_FALSE(worker.Query(message));
    EXPECT_FALSE(worker.SendText(0, true, "no window")); // nowhere to post
}

TEST(Messenger, AReplyToAnEndedWorkerIsDropped) {
    platform::TQueueWindow window;
    std::thread([&] {
        TInterThreadMessenger messenger(2053, 2054, platform::CurrentThreadId(), &window, false);
        messenger.SendText(1, true, "bye");
    }).join();
    auto request = window.Peek();
    ASSERT_TRUE(request);
    TInterThreadMessenger side(2053, 2054, *request, &window, true);
    EXPECT_FALSE(side.SendText(1, true, std::string(1000, 'r')));
}
