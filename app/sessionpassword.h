#pragma once
// The password a client session of an account is given before it starts:
// the one of "accounts.dat", or the one kept in the secret store, which is
// read first (the store answers later, on the window's thread). A token or a
// password that a command prints is fetched by the session itself.
#include <chrono>
#include <functional>
#include <optional>
#include <string>

class TPop3AccountItemBase;
class TSecretStore;

struct TSessionPassword {
    std::optional<std::string> Password; // nothing: the session cannot start
    std::string Error;                   // then why, for the log
};

// How long the secret store may take: it may first ask the user to unlock it,
// and a question nobody answers must not hold the cycle.
constexpr std::chrono::milliseconds SecretStoreTimeout{120000};

// done is called once: at once when nothing is to be read, else with the
// store's answer or, when none came in time, with the time-out (an answer
// after it is dropped).
void ReadSessionPassword(TSecretStore& store, const TPop3AccountItemBase& account,
                         std::function<void(const TSessionPassword& answer)> done,
                         std::chrono::milliseconds timeout = SecretStoreTimeout);
