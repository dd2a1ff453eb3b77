#pragma once
// What the store commands share: the program folder (--folder or the default),
// the gateway's instance lock for commands that write, the loading of the
// account list and the trash, and error reports on standard error.
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/instancelock.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"
#include "tools/options.h"

// The account list and the trash of one program folder (CP932 paths).
struct TToolStores {
    std::string ProgramFolder;
    TPop3AccountList Accounts;
    TMessageBox DustBox;
};

// The gateway's default program folder (platform::DefaultProgramFolder) in
// CP932; nothing, with the reason on err, when it cannot be made.
bool DefaultToolFolder(std::string_view command, std::string& folder, std::ostream& err);
// The folder of --folder in CP932 (the command line gives UTF-8), else the
// default; nothing, with the reason on err, when the folder given is empty or
// not a folder.
bool ProgramFolderOption(std::string_view command, const TToolOptions& options, std::string& folder,
                         std::ostream& err);
// Sets up the paths and loads the accounts (with checklists and inboxes) and the trash.
void LoadStores(TToolStores& stores, std::string_view programFolder);
// The instance lock for a command that writes, or null with the reason on
// err while the gateway runs or when the lock cannot be taken.
std::unique_ptr<TInstanceLock> LockStores(std::string_view command, std::ostream& err);
// Each line of a CP932 error text on err as UTF-8, after the command's name.
void ReportErrors(std::string_view command, std::string_view errors, std::ostream& err);
