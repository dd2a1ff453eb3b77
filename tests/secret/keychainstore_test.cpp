// Run by ctest on a private session bus: with GNOME Keyring (RoundTrip*) or
// on a bus without any secret service (Without*).
#include "secret/keychainstore.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

using TStatus = TSecretStore::TStatus;

TSecretStore::TResult Read(TSecretStore& store, const std::string& key) {
    return WaitForSecretStore([&](TSecretStore::TDone done) { store.Read(key, done); });
}
TSecretStore::TResult Write(TSecretStore& store, const std::string& key,
                            const std::string& secret) {
    return WaitForSecretStore([&](TSecretStore::TDone done) { store.Write(key, secret, done); });
}
TSecretStore::TResult Remove(TSecretStore& store, const std::string& key) {
    return WaitForSecretStore([&](TSecretStore::TDone done) { store.Remove(key, done); });
}

} // namespace

TEST(KeychainStore, RoundTripWritesReadsReplacesAndRemoves) {
    TKeychainStore store;
    ASSERT_TRUE(store.Available());
    // CP932: the key is an account folder with kana, the secret has kanji.
    const std::string key = "/home/taro/Msgbox/mbx.\x83\x7a\x81\x5b\x83\x80";
    const std::string secret = "p\x88\xc0 ,\"s e\"";
    EXPECT_EQ(Read(store, key).Status, TStatus::NotFound);
    ASSERT_EQ(Write(store, key, secret).Status, TStatus::Ok);
    auto read = Read(store, key);
    EXPECT_EQ(read.Status, TStatus::Ok) << read.Error;
    EXPECT_EQ(read.Secret, secret);
    ASSERT_EQ(Write(store, key, "second").Status, TStatus::Ok);
    EXPECT_EQ(Read(store, key).Secret, "second");
    EXPECT_EQ(Read(store, key + "x").Status, TStatus::NotFound); // keys are exact
    EXPECT_EQ(Remove(store, key).Status, TStatus::Ok);
    EXPECT_EQ(Read(store, key).Status, TStatus::NotFound);
    EXPECT_EQ(Remove(store, key).Status, TStatus::Ok);
}

TEST(KeychainStore, WithoutAServiceEveryCallSaysSo) {
    TKeychainStore store;
    EXPECT_FALSE(store.Available());
    for (auto result : {Read(store, "k"), Write(store, "k", "s"), Remove(store, "k")}) {
        EXPECT_EQ(result.Status, TStatus::Unavailable);
        EXPECT_FALSE(result.Error.empty());
    }
}

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
