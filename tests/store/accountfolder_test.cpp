#include "store/accountfolder.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "platform/file.h"
#include "storefixture.h"

namespace {

class AccountFolder : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        base = dir + "Msgbox/";
    }
    std::string base;
};

} // namespace

TEST_F(AccountFolder, MakeRenameAndRemove) {
    std::string error;
    ASSERT_TRUE(MakeAccountFolder(base + "mbx.a", &error)) << error;
    EXPECT_TRUE(MakeAccountFolder(base + "mbx.a")); // already there
    ASSERT_TRUE(platform::WriteFile(base + "mbx.a/1.eml", "mail"));

    ASSERT_TRUE(RenameAccountFolder(base + "mbx.a", base + "mbx.b", &error)) << error;
    EXPECT_FALSE(platform::DirectoryExists(base + "mbx.a"));
    EXPECT_EQ(platform::ReadFile(base + "mbx.b/1.eml"), "mail");

    // A missing source gives the target, so the account has its folder.
    ASSERT_TRUE(RenameAccountFolder(base + "mbx.none", base + "mbx.c"));
    EXPECT_TRUE(platform::DirectoryExists(base + "mbx.c"));

    // Any existing target refuses the move, even an empty folder that
    // rename(2) would replace; nothing moves.
    EXPECT_FALSE(RenameAccountFolder(base + "mbx.b", base + "mbx.c", &error));
    EXPECT_EQ(error, base + "mbx.c: " + std::make_error_code(std::errc::file_exists).message());
    EXPECT_EQ(platform::ReadFile(base + "mbx.b/1.eml"), "mail");

    EXPECT_TRUE(RemoveAccountFolder(base + "mbx.b", &error)) << error;
    EXPECT_FALSE(platform::DirectoryExists(base + "mbx.b"));
    EXPECT_TRUE(RemoveAccountFolder(base + "mbx.b")); // gone already
}

TEST_F(AccountFolder, FailuresTellWhy) {
    std::string error;
    ASSERT_TRUE(MakeAccountFolder(base + "mbx.a"));
    ASSERT_TRUE(platform::WriteFile(base + "mbx.a/1.eml", "mail"));
    ASSERT_TRUE(platform::ForceDirectories(base + "mbx.a/keep"));
    // A sub-folder is not the gateway's: the files go, the folder stays.
    EXPECT_FALSE(RemoveAccountFolder(base + "mbx.a", &error));
    EXPECT_EQ(error.rfind(base + "mbx.a: ", 0), 0u) << error;
    EXPECT_FALSE(platform::FileExists(base + "mbx.a/1.eml"));
    EXPECT_TRUE(platform::DirectoryExists(base + "mbx.a/keep"));

    ASSERT_TRUE(platform::WriteFile(base + "file", "x"));
    EXPECT_FALSE(MakeAccountFolder(base + "file", &error));
    EXPECT_EQ(error.rfind(base + "file: ", 0), 0u) << error;
    EXPECT_FALSE(RenameAccountFolder(base + "mbx.a", base + "file/mbx.z", &error));
    EXPECT_EQ(error, base + "mbx.a: " + std::make_error_code(std::errc::not_a_directory).message());
    EXPECT_TRUE(platform::DirectoryExists(base + "mbx.a/keep"));
}
