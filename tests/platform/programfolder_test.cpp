// The default program folder: beside the executable only for an existing,
// writable layout; otherwise the user's data folder, made private.
#include "platform/programfolder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"

using namespace platform;

namespace {

// Sets an environment variable for the test's time and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : FName(name) {
        if (const char* old = std::getenv(name)) FOld = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { FOld ? setenv(FName, FOld->c_str(), 1) : unsetenv(FName); }

private:
    const char* FName;
    std::optional<std::string> FOld;
};

unsigned Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mb-progfolder-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ASSERT_TRUE(ForceDirectories(dir + "/bin"));
    }
    void TearDown() override {
        chmod((dir + "/bin").c_str(), 0755);
        std::filesystem::remove_all(dir);
    }
    std::string dir;
};

TEST_F(ProgramFolderTest, UserDataFolderIsCreatedPrivateWithItsParents) {
    ScopedEnv data("XDG_DATA_HOME", (dir + "/data/share").c_str());
    const TProgramFolder folder = DefaultProgramFolder(dir + "/bin");
    EXPECT_EQ(folder.Path, dir + "/data/share/Marrowby/");
    EXPECT_TRUE(folder.Error.empty());
    EXPECT_EQ(Mode(dir + "/data/share/Marrowby"), 0700u);
    EXPECT_EQ(Mode(dir + "/data"), 0700u);
    // An existing folder is used as it is.
    chmod((dir + "/data/share/Marrowby").c_str(), 0750);
    EXPECT_EQ(DefaultProgramFolder(dir + "/bin").Path, dir + "/data/share/Marrowby/");
    EXPECT_EQ(Mode(dir + "/data/share/Marrowby"), 0750u);
}

TEST_F(ProgramFolderTest, DataHomeFallsBackToHomeWhenUnsetEmptyOrRelative) {
    ScopedEnv home("HOME", (dir + "/home").c_str());
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/share"}) {
        ScopedEnv data("XDG_DATA_HOME", value);
        EXPECT_EQ(UserDataProgramFolder(), dir + "/home/.local/share/Marrowby")
            << (value ? value : "(unset)");
    }
    ScopedEnv data("XDG_DATA_HOME", (dir + "/xdg/").c_str());
    EXPECT_EQ(UserDataProgramFolder(), dir + "/xdg/Marrowby");
}

TEST_F(ProgramFolderTest, LayoutBesideTheExecutableIsKept) {
    ScopedEnv data("XDG_DATA_HOME", (dir + "/data").c_str());
    ASSERT_TRUE(ForceDirectories(dir + "/bin/Msgbox"));
    EXPECT_EQ(DefaultProgramFolder(dir + "/bin").Path, dir + "/bin/");
    EXPECT_FALSE(DirectoryExists(dir + "/data"));
}

TEST_F(ProgramFolderTest, LayoutBesideTheExecutableThatCannotBeWrittenIsNotUsed) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write any folder";
    ScopedEnv data("XDG_DATA_HOME", (dir + "/data").c_str());
    ASSERT_TRUE(ForceDirectories(dir + "/bin/Msgbox"));
    chmod((dir + "/bin").c_str(), 0555);
    EXPECT_EQ(DefaultProgramFolder(dir + "/bin").Path, dir + "/data/Marrowby/");
}

TEST_F(ProgramFolderTest, UnmakeableDataFolderIsAnError) {
    ASSERT_TRUE(WriteFile(dir + "/file", "x"));
    ScopedEnv data("XDG_DATA_HOME", (dir + "/file").c_str());
    const TProgramFolder folder = DefaultProgramFolder(dir + "/bin");
    EXPECT_TRUE(folder.Path.empty());
    EXPECT_NE(folder.Error.find(dir + "/file/Marrowby"), std::string::npos) << folder.Error;
}

TEST(ProgramFolder, ExecutableFolderIsThisProgramsFolder) {
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(FileExists(folder + "/" +
                           std::filesystem::read_symlink("/proc/self/exe").filename().string()));
}

} // namespace
