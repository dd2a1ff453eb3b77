// Window messages posted from worker threads reach the window's thread as
// events, in the order they were posted, with their data.
#include <QCoreApplication>
#include <QObject>
#include <gtest/gtest.h>
#include <thread>

#include "app/formwindow.h"
#include "app/windowmessage.h"

namespace {

class TRecorder : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != TWindowMessageEvent::EventType()) return QObject::event(e);
        auto* message = static_cast<TWindowMessageEvent*>(e);
        Seen.push_back({message->Msg, message->WParam, message->Data});
        return true;
    }
    struct TSeen {
        std::uint32_t Msg;
        std::intptr_t WParam;
        std::vector<unsigned char> Data;
    };
    std::vector<TSeen> Seen;
};

TEST(FormWindow, PostsFromAThreadArriveInOrder) {
    TRecorder recorder;
    TFormWindow window(&recorder);
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(
                platform::PostWindowMessage(&window, 2049, i, {static_cast<unsigned char>(i)}));
    });
    worker.join();
    QCoreApplication::processEvents();
    ASSERT_EQ(recorder.Seen.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(recorder.Seen[i].Msg, 2049u);
        EXPECT_EQ(recorder.Seen[i].WParam, i);
        EXPECT_EQ(recorder.Seen[i].Data, std::vector<unsigned char>{static_cast<unsigned char>(i)});
    }
}

TEST(FormWindow, DetachedWindowRefusesPosts) {
    TRecorder recorder;
    TFormWindow window(&recorder);
    window.Detach();
    EXPECT_FALSE(platform::PostWindowMessage(&window, 2053, 1, {}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(recorder.Seen.empty());
}

} // namespace
