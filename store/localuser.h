#pragma once
// The account a local user name means, the name a mail client logs in to
// the local POP3 server with: user + "%tarn%" + host (the first account with
// exactly that user and host), anything + "%%" + account name, or the account
// name alone (names ignore letter case).
#include <string_view>

class TPop3AccountList;

// The account's index in the list, or -1.
int FindAccountByLocalUser(const TPop3AccountList& list, std::string_view name);
