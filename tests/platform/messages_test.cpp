#include "platform/messages.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <thread>

using namespace platform;

namespace {

bool WakeReadable() {
    pollfd fd{ThreadQueueWakeHandle(), POLLIN, 0};
    return poll(&fd, 1, 0) == 1;
}

// The identity of a thread that has run and ended.
TThreadId EndedThread() {
    TThreadId id = 0;
    std::thread([&] { id = CurrentThreadId(); }).join();
    return id;
}

} // namespace

TEST(ThreadQueue, DeliversInOrderAndWakesExactlyWhileMessagesWait) {
    TThreadId self = CurrentThreadId();
    EXPECT_NE(self, 0u);
    EXPECT_EQ(CurrentThreadId(), self);
    EXPECT_FALSE(WakeReadable());
    EXPECT_FALSE(PeekThreadMessage());

    ASSERT_TRUE(PostThreadMessage(self, 10, 1, {1, 2}));
    ASSERT_TRUE(PostThreadMessage(self, 11, 2, {}));
    EXPECT_TRUE(WakeReadable());
    auto first = PeekThreadMessage();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Msg, 10u);
    EXPECT_EQ(first->WParam, 1);
    EXPECT_EQ(first->Data, (TDataBlock{1, 2}));
    EXPECT_TRUE(WakeReadable());
    auto second = PeekThreadMessage();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Msg, 11u);
    EXPECT_FALSE(WakeReadable());
    EXPECT_FALSE(PeekThreadMessage());
}

TEST(ThreadQueue, PostFromAnotherThreadEndsTheWait) {
    TThreadId self = CurrentThreadId();
    std::thread poster([self] { PostThreadMessage(self, 7, 0, TDataBlock(100, 9)); });
    EXPECT_TRUE(WaitThreadMessage(-1));
    poster.join();
    auto message = PeekThreadMessage();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->Data.size(), 100u);
    EXPECT_FALSE(WaitThreadMessage(0));
}

TEST(ThreadQueue, PostsToThreadsWithoutQueueAreDropped) {
    EXPECT_FALSE(PostThreadMessage(0, 1, 0, {1}));
    TThreadId ended = EndedThread();
    EXPECT_FALSE(PostThreadMessage(ended, 1, 0, TDataBlock(64, 1)));
    EXPECT_NE(EndedThread(), ended); // identities are not reused
}

TEST(ThreadQueue, EndingTheQueueFreesWaitingMessagesAndRefusesLaterOnes) {
    TThreadId old = CurrentThreadId();
    ASSERT_TRUE(PostThreadMessage(old, 1, 0, TDataBlock(32, 1)));
    EndThreadQueue();
    EXPECT_FALSE(PostThreadMessage(old, 1, 0, {}));
    TThreadId fresh = CurrentThreadId();
    EXPECT_NE(fresh, old);
    EXPECT_FALSE(PeekThreadMessage());
}

TEST(ThreadQueue, ManyPostersAreAllDelivered) {
    TThreadId self = CurrentThreadId();
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t)
        posters.emplace_back([self, t] {
            for (int i = 0; i < 200; ++i)
                PostThreadMessage(self, 1, t * 1000 + i, {});
        });
    for (auto& p : posters)
        p.join();
    std::vector<int> last(4, -1);
    int count = 0;
    while (auto m = PeekThreadMessage()) {
        int poster = static_cast<int>(m->WParam / 1000), i = static_cast<int>(m->WParam % 1000);
        EXPECT_GT(i, last[poster]); // each poster's messages keep their order
        last[poster] = i;
        ++count;
    }
    EXPECT_EQ(count, 800);
}

TEST(QueueWindow, HandsOutPostsInArrivalOrderUntilClosed) {
    TQueueWindow window;
    EXPECT_FALSE(PostWindowMessage(nullptr, 1, 0, {}));
    EXPECT_FALSE(window.Peek());
    EXPECT_FALSE(window.Wait(std::chrono::milliseconds(1)));
    ASSERT_TRUE(PostWindowMessage(&window, 2049, 5, {1}));
    ASSERT_TRUE(PostWindowMessage(&window, 2053, 6, {}));
    auto first = window.Peek();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Msg, 2049u);
    EXPECT_EQ(first->WParam, 5);
    std::thread poster([&] { PostWindowMessage(&window, 1026, 0, {}); });
    auto second = window.Wait(std::chrono::seconds(10));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Msg, 2053u);
    EXPECT_TRUE(window.Wait(std::chrono::seconds(10)));
    poster.join();
    window.Close();
    EXPECT_FALSE(PostWindowMessage(&window, 1, 0, {}));
}
