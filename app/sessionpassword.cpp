#include "app/sessionpassword.h"

#include <QTimer>
#include <memory>

#include "store/pop3accountitem.h"
#include "store/secretstore.h"

void ReadSessionPassword(TSecretStore& store, const TPop3AccountItemBase& account,
                         std::function<void(const TSessionPassword& answer)> done,
                         std::chrono::milliseconds timeout) {
    if (account.SignIn != TSignInMethod::Password ||
        account.PasswordStore != TPasswordStore::Secret) {
        done({account.Password, {}});
        return;
    }
    auto pending = std::make_shared<std::function<void(const TSessionPassword&)>>(std::move(done));
    auto answer = [pending](const TSessionPassword& password) {
        if (!*pending) return;
        auto first = std::move(*pending);
        *pending = nullptr;
        first(password);
    };
    QTimer::singleShot(timeout, [answer, timeout] {
        answer({std::nullopt, "the secret store did not answer within " +
                                  std::to_string(timeout.count() / 1000) + " s"});
    });
    store.Read(SecretKey(account), [answer](const TSecretStore::TResult& result) {
        switch (result.Status) {
        case TSecretStore::TStatus::Ok:
            answer({result.Secret, {}});
            return;
        case TSecretStore::TStatus::NotFound:
            answer({std::nullopt, "the secret store holds no password for the account"});
            return;
        default:
            answer({std::nullopt, "the secret store: " + result.Error});
        }
    });
}
