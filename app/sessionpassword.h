#pragma once
// The password a client session of an account is given before it starts:
// the one of "accounts.dat", or the one kept in the secret store, which is
// read first (the store answers later, on the window's thread). A token or a
// password that a command prints is fetched by the session itself.
#include <functional>
#include <optional>
#include <string>

class TPop3AccountItemBase;
class TSecretStore;

struct TSessionPassword {
    std::optional<std::string> Password; // nothing: the session cannot start
    std::string Error;                   // then why, for the log
};

// done is called once, at once when nothing is to be read.
void ReadSessionPassword(TSecretStore& store, const TPop3AccountItemBase& account,
                         std::function<void(const TSessionPassword& answer)> done);
