#include "secret/keychainstore.h"
#include "tools/secretaccess.h"

namespace {

bool Done(const TSecretStore::TResult& result, std::string& error) {
    if (result.Status == TSecretStore::TStatus::Ok) return true;
    error = "the secret store: " + result.Error;
    return false;
}

} // namespace

bool WriteToolSecret(const std::string& key, const std::string& secret, std::string& error) {
    TKeychainStore store;
    return Done(
        WaitForSecretStore([&](TSecretStore::TDone done) { store.Write(key, secret, done); }),
        error);
}

bool RemoveToolSecret(const std::string& key, std::string& error) {
    TKeychainStore store;
    return Done(WaitForSecretStore([&](TSecretStore::TDone done) { store.Remove(key, done); }),
                error);
}
