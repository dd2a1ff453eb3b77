#pragma once
// TSecretStore on the desktop's secret service through QtKeychain, under the
// service name "Marrowby". Needs a Qt application object on the calling
// thread; answers come through its event loop.
#include "store/secretstore.h"

class TKeychainStore : public TSecretStore {
public:
    static constexpr const char* ServiceName = "Marrowby";

    // A service owns or can be started under one of the names QtKeychain
    // talks to, on the session bus.
    bool Available() override;
    void Read(const std::string& key, TDone done) override;
    void Write(const std::string& key, const std::string& secret, TDone done) override;
    void Remove(const std::string& key, TDone done) override;
};

// Runs one call of a store and waits for its answer in a local event loop,
// for a program without one of its own (marrowby-tool); makes the Qt
// application object when there is none.
TSecretStore::TResult WaitForSecretStore(const std::function<void(TSecretStore::TDone done)>& call);
