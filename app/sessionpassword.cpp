#include "app/sessionpassword.h"

#include "store/pop3accountitem.h"
#include "store/secretstore.h"

void ReadSessionPassword(TSecretStore& store, const TPop3AccountItemBase& account,
                         std::function<void(const TSessionPassword& answer)> done) {
    if (account.SignIn != TSignInMethod::Password ||
        account.PasswordStore != TPasswordStore::Secret) {
        done({account.Password, {}});
        return;
    }
    store.Read(SecretKey(account), [done](const TSecretStore::TResult& result) {
        switch (result.Status) {
        case TSecretStore::TStatus::Ok:
            done({result.Secret, {}});
            return;
        case TSecretStore::TStatus::NotFound:
            done({std::nullopt, "the secret store holds no password for the account"});
            return;
        default:
            done({std::nullopt, "the secret store: " + result.Error});
        }
    });
}
