#pragma once
// The desktop's secret store, where an account's password lives when it is
// kept out of "accounts.dat". An interface: the program talks to the
// desktop's service (Secret Service or KWallet, through QtKeychain), tests to
// a fake. Every call is made on the owner's thread and answered later on the
// same thread, since the service may first ask the user to unlock it.
#include <functional>
#include <string>

class TPop3AccountItemBase;

class TSecretStore {
public:
    enum class TStatus { Ok, NotFound, Unavailable, Failed };
    struct TResult {
        TStatus Status = TStatus::Failed;
        std::string Secret; // read: the secret (CP932)
        std::string Error;  // otherwise: why, for the user
    };
    using TDone = std::function<void(const TResult& result)>;

    virtual ~TSecretStore() = default;

    // Whether a service is there to ask at all.
    virtual bool Available() = 0;
    // Keys and secrets are CP932 texts.
    virtual void Read(const std::string& key, TDone done) = 0;
    virtual void Write(const std::string& key, const std::string& secret, TDone done) = 0;
    // Removing a key that is not there succeeds.
    virtual void Remove(const std::string& key, TDone done) = 0;
};

// The key of an account's password: its folder, which names it uniquely
// among the accounts of every program folder of the user.
std::string SecretKey(const TPop3AccountItemBase& account);
