// marrowby-tool accounts with the desktop's secret store, run by ctest on a
// private session bus with GNOME Keyring (tests/secret/with-keyring.sh).
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "secret/keychainstore.h"
#include "store/pop3accountlist.h"
#include "store/secretstore.h"
#include "store/storelayout.h"
#include "toolstore.h"

namespace {

using TStatus = TSecretStore::TStatus;

class ToolSecret : public ToolStore {
protected:
    // The key the account's password is kept under.
    std::string KeyOf(const std::string& name) const {
        TPop3AccountList list;
        SetupAccountList(list, dir);
        list.Load();
        int index = list.IndexOf(name);
        return index < 0 ? "" : SecretKey(*list.GetAccounts(index));
    }
    TSecretStore::TResult Read(const std::string& key) {
        return WaitForSecretStore([&](TSecretStore::TDone done) { Store.Read(key, done); });
    }

    TKeychainStore Store;
};

TEST_F(ToolSecret, RemovingAnAccountTakesOnlyItsPasswordOutOfTheStore) {
    ASSERT_TRUE(Store.Available());
    for (const char* name : {"home", "work"})
        ASSERT_EQ(AddAccount(name, {"--password-store", "secret", "--local-password", "l"}).Status,
                  0);
    const std::string home = KeyOf("home"), work = KeyOf("work");
    ASSERT_FALSE(home.empty());
    ASSERT_EQ(Read(home).Secret, "se cret");

    ToolRun run = Tool({"accounts", "--folder", dir, "remove", "home"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(Read(home).Status, TStatus::NotFound);
    auto kept = Read(work);
    EXPECT_EQ(kept.Status, TStatus::Ok) << kept.Error;
    EXPECT_EQ(kept.Secret, "se cret");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
