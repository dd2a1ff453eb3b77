#pragma once
// Where the stores lie under the program folder: the inboxes and the
// account file in "Msgbox", the trash in "Dustbox".
#include <string>
#include <string_view>

class TMessageBox;
class TPop3AccountList;

std::string MsgboxFolder(std::string_view programFolder);
std::string DustboxFolder(std::string_view programFolder);
// Base folder "Msgbox" and list file "Msgbox/accounts.dat"; nothing loaded.
void SetupAccountList(TPop3AccountList& list, std::string_view programFolder);
// Caption "ごみ箱" and index "Dustbox/messages.idx"; nothing loaded.
void SetupDustBox(TMessageBox& box, std::string_view programFolder);
