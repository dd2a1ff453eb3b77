// marrowby-tool restruct: rebuilds the trash and every inbox index from the
// message files, as the gateway's rebuild button does, and saves them.
#include "platform/file.h"
#include "platform/text.h"
#include "store/storelayout.h"
#include "tools/commands.h"
#include "tools/storeaccess.h"

namespace {

constexpr std::string_view kCommand = "restruct";

constexpr std::string_view kHelp =
    "Usage: marrowby-tool restruct [--folder DIR]\n"
    "DIR is the program folder of the gateway (default: see marrowby-tool --help).\n"
    "Rebuilds the index of the trash and then of every account's inbox from the \".eml\"\n"
    "files in its folder (oldest file first) and saves them. Every entry gets a new local\n"
    "unique id; the server UIDLs and the filter comments of the old indexes are lost, so\n"
    "mail kept on a server is no longer deleted there with the message. Prints the number\n"
    "of messages of each mailbox.\n"
    "Refuses to run while Marrowby runs.\n";

void Rebuild(TMessageBox& box, std::ostream& out) {
    box.Restruct();
    out << platform::Cp932ToUtf8(box.Caption) << ": " << box.GetCount() << " messages\n";
}

} // namespace

int CmdRestruct(const TToolArgs& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kHelp;
        return 0;
    }
    TToolOptions options;
    std::string error, folder;
    if (!ParseToolOptions(args, {"--folder"}, {}, options, error) || !options.Operands.empty()) {
        err << "marrowby-tool restruct: " << (error.empty() ? "unexpected arguments" : error)
            << "\n\n"
            << kHelp;
        return 2;
    }
    if (!ProgramFolderOption(kCommand, options, folder, err)) return 2;
    auto lock = LockStores(kCommand, err);
    if (!lock) return 1;
    // The gateway makes both folders when it starts; so does the rebuild.
    platform::ForceDirectories(MsgboxFolder(folder));
    platform::ForceDirectories(DustboxFolder(folder));
    TToolStores stores;
    LoadStores(stores, folder);
    Rebuild(stores.DustBox, out);
    for (int i = 0; i < stores.Accounts.GetCount(); ++i)
        Rebuild(stores.Accounts.GetAccounts(i)->Mailbox, out);
    std::string trashErrors, listErrors;
    bool trashSaved = stores.DustBox.Save(&trashErrors);
    if (stores.Accounts.Save(&listErrors) && trashSaved) return 0;
    ReportErrors(kCommand, trashErrors, err);
    ReportErrors(kCommand, listErrors, err);
    return 1;
}
