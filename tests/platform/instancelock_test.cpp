#include "platform/instancelock.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(InstanceLock, OneHolderAtATime) {
    char tmpl[] = "/tmp/mb-lock-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string path = std::string(tmpl) + "/test.lock";
    {
        TInstanceLock first(path), second(path);
        EXPECT_EQ(first.Acquire(), TInstanceLock::TState::Acquired);
        EXPECT_EQ(second.Acquire(), TInstanceLock::TState::Running);
    }
    TInstanceLock again(path); // the lock ended with its holder
    EXPECT_EQ(again.Acquire(), TInstanceLock::TState::Acquired);

    TInstanceLock nowhere(std::string(tmpl) + "/missing/test.lock");
    EXPECT_EQ(nowhere.Acquire(), TInstanceLock::TState::Failed);
    EXPECT_NE(nowhere.Error().find("missing/test.lock"), std::string::npos);
    std::filesystem::remove_all(tmpl);
}

TEST(InstanceLock, DefaultPathIsPerUser) {
    const std::string path = TInstanceLock::DefaultLockPath();
    EXPECT_NE(path.find("/MutexSkerrywick-" + std::to_string(getuid()) + ".lock"),
              std::string::npos);
}
