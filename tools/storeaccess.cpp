#include "tools/storeaccess.h"

#include "platform/file.h"
#include "platform/programfolder.h"
#include "platform/text.h"
#include "store/storelayout.h"

bool DefaultToolFolder(std::string_view command, std::string& folder, std::ostream& err) {
    const platform::TProgramFolder found = platform::DefaultProgramFolder();
    if (found.Path.empty()) {
        err << "marrowby-tool " << command << ": " << found.Error << "\n";
        return false;
    }
    folder = found.Path;
    return true;
}

bool ProgramFolderOption(std::string_view command, const TToolOptions& options, std::string& folder,
                         std::ostream& err) {
    const std::string* given = options.Value("--folder");
    if (!given) return DefaultToolFolder(command, folder, err);
    if (given->empty()) {
        err << "marrowby-tool " << command << ": --folder needs a folder\n";
        return false;
    }
    folder = platform::Utf8ToCp932(*given);
    if (!platform::DirectoryExists(folder)) {
        err << "marrowby-tool " << command << ": " << *given << " is not a folder\n";
        return false;
    }
    return true;
}

void LoadStores(TToolStores& stores, std::string_view programFolder) {
    stores.ProgramFolder = programFolder;
    SetupAccountList(stores.Accounts, programFolder);
    SetupDustBox(stores.DustBox, programFolder);
    stores.Accounts.Load();
    stores.DustBox.Load();
}

std::unique_ptr<TInstanceLock> LockStores(std::string_view command, std::ostream& err) {
    auto lock = std::make_unique<TInstanceLock>();
    switch (lock->Acquire()) {
    case TInstanceLock::TState::Acquired:
        return lock;
    case TInstanceLock::TState::Running:
        err << "marrowby-tool " << command
            << ": Marrowby is running; close it first, it owns the mailboxes, the "
               "account list and the rule files while it runs (lock "
            << lock->Path() << ")\n";
        return nullptr;
    case TInstanceLock::TState::Failed:
        break;
    }
    err << "marrowby-tool " << command << ": cannot take the instance lock: " << lock->Error()
        << "\n";
    return nullptr;
}

void ReportErrors(std::string_view command, std::string_view errors, std::ostream& err) {
    while (!errors.empty()) {
        std::size_t end = errors.find('\n');
        err << "marrowby-tool " << command << ": " << platform::Cp932ToUtf8(errors.substr(0, end))
            << "\n";
        errors.remove_prefix(end == std::string_view::npos ? errors.size() : end + 1);
    }
}
