#include "app/receivethreads.h"

#include "net/pop3mailcheckthread.h"
#include "store/pop3accountitem.h"

namespace {

// The account's security: the certificate must be issued for its server's
// name, unless the account pins the certificate's fingerprint.
void SetSecurity(TCustomPop3ClientThread& thread, const TPop3AccountItemBase& account) {
    platform::TTlsOptions options;
    options.ServerName = account.Host;
    options.Fingerprint = account.Fingerprint;
    thread.SetTls(account.Security, std::move(options));
}

} // namespace

void StartCheckThread(const TPop3AccountItemBase& account, platform::TWindowHandle window,
                      const std::string& logFolder, int limitSizeKB) {
    auto* thread = new TPop3MailCheckThread(true, window, account.Port, account.Host, account.APOP,
                                            account.Password, account.UserID, logFolder);
    thread->SetMaxBlock(TPop3MailCheckThread::BlockLimit(limitSizeKB));
    SetSecurity(*thread, account);
    thread->Resume(); // from here on the thread owns itself
}

void StartEraseThread(const TPop3AccountItemBase& account, platform::TWindowHandle window,
                      const std::string& targetUID, const std::string& logFolder) {
    auto* thread = new TPop3MailEraseThread(true, window, account.Port, account.Host, account.APOP,
                                            account.Password, account.UserID, targetUID, logFolder);
    SetSecurity(*thread, account);
    thread->Resume(); // from here on the thread owns itself
}
