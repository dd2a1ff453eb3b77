// The per-user instance lock.
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/singleinstance.h"

namespace {

using TState = TSingleInstance::TState;

TEST(SingleInstance, SecondHolderFindsItRunningUntilTheFirstEnds) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("instance.lock").toStdString();
    auto first = std::make_unique<TSingleInstance>(path);
    ASSERT_EQ(first->Acquire(), TState::Acquired);
    TSingleInstance second(path);
    EXPECT_EQ(second.Acquire(), TState::Running);
    first.reset();
    EXPECT_EQ(second.Acquire(), TState::Acquired);
}

TEST(SingleInstance, LockFileOfTheUserInTheRuntimeFolder) {
    const std::string path = TSingleInstance::DefaultLockPath();
    const std::string runtime = qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString();
    EXPECT_EQ(path, runtime + "/MutexSkerrywick-" + std::to_string(getuid()) + ".lock");
}

TEST(SingleInstance, UnopenableLockFails) {
    TSingleInstance instance("/nonexistent-folder/instance.lock");
    EXPECT_EQ(instance.Acquire(), TState::Failed);
    EXPECT_NE(instance.Error().find("/nonexistent-folder/instance.lock"), std::string::npos);
}

} // namespace
