#include "app/receivethreads.h"

#include "net/pop3mailcheckthread.h"
#include "store/pop3accountitem.h"

namespace {

// The sessions do not speak TLS yet: an account that asks for it gets no
// host, so its session fails at once (and the cycle goes on) instead of
// sending the password in plain text.
std::string SessionHost(const TPop3AccountItemBase& account) {
    return account.Security == platform::TTlsMode::None ? account.Host : std::string();
}

} // namespace

void StartCheckThread(const TPop3AccountItemBase& account, platform::TWindowHandle window,
                      const std::string& logFolder, int limitSizeKB) {
    auto* thread =
        new TPop3MailCheckThread(true, window, account.Port, SessionHost(account), account.APOP,
                                 account.Password, account.UserID, logFolder);
    thread->SetMaxBlock(TPop3MailCheckThread::BlockLimit(limitSizeKB));
    thread->Resume(); // from here on the thread owns itself
}

void StartEraseThread(const TPop3AccountItemBase& account, platform::TWindowHandle window,
                      const std::string& targetUID, const std::string& logFolder) {
    // Runs at once and owns itself.
    new TPop3MailEraseThread(false, window, account.Port, SessionHost(account), account.APOP,
                             account.Password, account.UserID, targetUID, logFolder);
}
