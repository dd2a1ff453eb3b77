#include "platform/file.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace platform;

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mb-file-XXXXXX";
        dir = mkdtemp(tmpl);
        dir += '/';
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string dir;
};

TEST_F(FileTest, ShiftJisPathsAreUtf8OnDisk) {
    const std::string name = dir + "\x82\xa0\x95\x5c.eml"; // あ表 (表 ends in 0x5C)
    ASSERT_TRUE(WriteFile(name, std::string("a\0b", 3)));
    EXPECT_TRUE(std::filesystem::exists(dir + "\u3042\u8868.eml"));
    EXPECT_EQ(*ReadFile(name), std::string("a\0b", 3));
    auto found = FindFiles(dir, ".EML");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], "\x82\xa0\x95\x5c.eml");
    EXPECT_TRUE(FileExists(name));
    EXPECT_TRUE(DeleteFile(name));
    EXPECT_FALSE(ReadFile(name));
}

TEST_F(FileTest, AtomicWriteReplacesWholeFileAndKeepsModes) {
    const std::string path = dir + "accounts.dat";
    ASSERT_TRUE(WriteFileAtomic(path, "old", 0600));
    ASSERT_TRUE(WriteFileAtomic(path, "new contents", 0600));
    EXPECT_EQ(*ReadFile(path), "new contents");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Only the target is left behind: no temporary files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(FileTest, FailedAtomicWriteKeepsOldFileAndSaysWhy) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomic(dir + "missing/x.idx", "data", 0644, &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(FileTest, FoldersAndPaths) {
    EXPECT_TRUE(ForceDirectories(dir + "a/b/c/"));
    EXPECT_TRUE(DirectoryExists(dir + "a/b/c"));
    EXPECT_TRUE(FindFiles(dir + "a", "").empty()); // folders are not files
    EXPECT_EQ(IncludeTrailingSeparator("x"), "x/");
    EXPECT_EQ(IncludeTrailingSeparator("x/"), "x/");
    EXPECT_EQ(ExtractFilePath("/a/b/c.eml"), "/a/b/");
    EXPECT_EQ(ExtractFileName("/a/b/c.eml"), "c.eml");
    ASSERT_TRUE(WriteFile(dir + "m.eml", "x"));
    EXPECT_TRUE(MoveFile(dir + "m.eml", dir + "a/m.eml"));
    EXPECT_TRUE(FileExists(dir + "a/m.eml"));
    EXPECT_TRUE(FileDateTime(dir + "a/m.eml"));
    EXPECT_FALSE(FileDateTime(dir + "none"));
}
