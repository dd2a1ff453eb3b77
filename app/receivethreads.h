#pragma once
// Starting the two POP3 client threads with copies of an account's values.
// The threads free themselves; their events come back as messages 2049
// (check) and 2051 (erase) to the window.
#include <string>

#include "platform/messages.h"

class TPop3AccountItemBase;

// password: the one of the file or of the secret store (see
// ReadSessionPassword). logFolder: the client-log folder, or empty for no
// session log. limitSizeKB (the setting "limitsize") also bounds the block
// one RETR may bring.
void StartCheckThread(const TPop3AccountItemBase& account, const std::string& password,
                      platform::TWindowHandle window, const std::string& logFolder,
                      int limitSizeKB);
void StartEraseThread(const TPop3AccountItemBase& account, const std::string& password,
                      platform::TWindowHandle window, const std::string& targetUID,
                      const std::string& logFolder);
