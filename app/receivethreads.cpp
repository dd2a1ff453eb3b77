#include "app/receivethreads.h"

#include "net/pop3mailcheckthread.h"
#include "net/pop3signin.h"
#include "store/pop3accountitem.h"

namespace {

// The account's security (the certificate must be issued for its server's
// name, unless the account pins the certificate's fingerprint) and its way
// of signing in.
void Configure(TCustomPop3ClientThread& thread, const TPop3AccountItemBase& account) {
    platform::TTlsOptions options;
    options.ServerName = account.Host;
    options.Fingerprint = account.Fingerprint;
    thread.SetTls(account.Security, std::move(options));
    thread.SetSignIn(SignInPlanOf(account));
}

} // namespace

void StartCheckThread(const TPop3AccountItemBase& account, const std::string& password,
                      platform::TWindowHandle window, const std::string& logFolder,
                      int limitSizeKB) {
    auto* thread = new TPop3MailCheckThread(true, window, account.Port, account.Host, account.APOP,
                                            password, account.UserID, logFolder);
    thread->SetMaxBlock(TPop3MailCheckThread::BlockLimit(limitSizeKB));
    Configure(*thread, account);
    thread->Resume(); // from here on the thread owns itself
}

void StartEraseThread(const TPop3AccountItemBase& account, const std::string& password,
                      platform::TWindowHandle window, const std::string& targetUID,
                      const std::string& logFolder) {
    auto* thread = new TPop3MailEraseThread(true, window, account.Port, account.Host, account.APOP,
                                            password, account.UserID, targetUID, logFolder);
    Configure(*thread, account);
    thread->Resume(); // from here on the thread owns itself
}
