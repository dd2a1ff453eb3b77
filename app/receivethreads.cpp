#include "app/receivethreads.h"

#include "net/pop3mailcheckthread.h"
#include "store/pop3accountitem.h"

void StartCheckThread(const TPop3AccountItemBase& account, platform::TWindowHandle window,
                      const std::string& logFolder, int limitSizeKB) {
    auto* thread = new TPop3MailCheckThread(true, window, account.Port, account.Host, account.APOP,
                                            account.Password, account.UserID, logFolder);
    thread->SetMaxBlock(TPop3MailCheckThread::BlockLimit(limitSizeKB));
    thread->Resume(); // from here on the thread owns itself
}

void StartEraseThread(const TPop3AccountItemBase& account, platform::TWindowHandle window,
                      const std::string& targetUID, const std::string& logFolder) {
    // Runs at once and owns itself.
    new TPop3MailEraseThread(false, window, account.Port, account.Host, account.APOP,
                             account.Password, account.UserID, targetUID, logFolder);
}
