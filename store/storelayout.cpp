#include "store/storelayout.h"

#include "platform/file.h"
#include "platform/text.h"
#include "store/pop3accountlist.h"

std::string MsgboxFolder(std::string_view programFolder) {
    return platform::IncludeTrailingSeparator(programFolder) + "Msgbox";
}

std::string DustboxFolder(std::string_view programFolder) {
    return platform::IncludeTrailingSeparator(programFolder) + "Dustbox";
}

void SetupAccountList(TPop3AccountList& list, std::string_view programFolder) {
    list.BaseFolder = MsgboxFolder(programFolder);
    list.ListFile = list.BaseFolder + "/accounts.dat";
}

void SetupDustBox(TMessageBox& box, std::string_view programFolder) {
    box.Caption = platform::Utf8ToCp932("ごみ箱");
    box.Path = DustboxFolder(programFolder) + "/messages.idx";
}
