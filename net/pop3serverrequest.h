#pragma once
// The main window's side of the local POP3 sessions: it admits the peer,
// maps the local user name to an account, checks the password or the APOP
// digest, locks the account, hands the session the account's index lines
// and at QUIT removes the messages the client marked. Plain code on the
// window's thread; the window supplies the settings and the tray and list
// reactions.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/localuser.h"
#include "store/pop3accountlist.h"

class TPop3ServerRequests {
public:
    struct TSettings {
        bool DenyRemote = true; // only 127.0.0.1 may connect
        bool ServerLog = false;
        std::string ServerLogFolder;
    };
    // The reply to a request; none for the end of a session.
    struct TReply {
        bool Send = true;
        bool Flag = true;
        std::string Text;
    };

    explicit TPop3ServerRequests(TPop3AccountList& accounts) : FAccounts(accounts) {}

    std::function<void()> OnResponding;      // a session starts
    std::function<void()> OnIdle;            // a session ends
    std::function<void(TMBXItem&)> OnRemove; // QUIT is about to remove this entry
    // The index of an account whose messages QUIT removed could not be
    // written (the reason, with the path).
    std::function<void(const std::string&)> OnSaveError;

    TReply Handle(int code, bool flag, std::string_view text, const TSettings& settings);

private:
    TPop3AccountItem* Account(std::string_view localUser) const;
    TReply Connect(const std::vector<std::string>& lines, const TSettings& settings);
    void Disconnect(const std::vector<std::string>& lines);
    TReply Pass(const std::vector<std::string>& lines);
    TReply Apop(const std::vector<std::string>& lines, const std::vector<std::string>& words);
    // The account of localUser when proof holds for it and it can be locked:
    // the login name, the mailbox's index path and its index lines.
    TReply Login(std::string_view localUser,
                 const std::function<bool(const TPop3AccountItem&)>& proof);
    void Quit(const std::vector<std::string>& lines);

    TPop3AccountList& FAccounts;
};
