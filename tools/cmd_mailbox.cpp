// marrowby-tool mailbox: the index entries of the inboxes or of the trash.
#include "platform/text.h"
#include "tools/commands.h"
#include "tools/json.h"
#include "tools/storeaccess.h"

namespace {

constexpr std::string_view kCommand = "mailbox";

constexpr std::string_view kHelp =
    "Usage: marrowby-tool mailbox [--folder DIR] [--account NAME | --trash]\n"
    "DIR is the program folder of the gateway (default: see marrowby-tool --help).\n"
    "Prints the index entries of the account's inbox, of the trash, or (without either\n"
    "option) of every inbox in account order, one JSON object per entry and line, with\n"
    "the keys:\n"
    "  uid, file             the local unique id and the message file's full path\n"
    "  size, kind            bytes; root part kind (0 multipart, 1 message, 2 text, 3 binary)\n"
    "  mime_type, subject, from\n"
    "  sent, received, stored  dates as the index writes them, \"yyyy/mm/dd hh:nn:ss\"\n"
    "  server_uid            the UIDL while the message is still kept on the server\n"
    "  comment               the filter verdict\n"
    "Texts are UTF-8. Nothing is written.\n";

std::string Json(const TMBXItem& item) {
    auto text = [](const std::string& s) { return platform::Cp932ToUtf8(s); };
    return TJsonObject()
        .Add("uid", text(item.UID))
        .Add("file", text(item.GetPath()))
        .Add("size", std::int64_t{item.Size})
        .Add("kind", std::int64_t{item.Kind})
        .Add("mime_type", text(item.MimeType))
        .Add("subject", text(item.Subject))
        .Add("from", text(item.From))
        .Add("sent", DateTimeToStr(item.SentDate))
        .Add("received", DateTimeToStr(item.RecvDate))
        .Add("stored", DateTimeToStr(item.StoredDate))
        .Add("server_uid", text(item.ServerUID))
        .Add("comment", text(item.Comment))
        .Str();
}

void Print(const TMessageBox& box, std::ostream& out) {
    for (int i = 0; i < box.GetCount(); ++i)
        out << Json(*box.GetMessages(i)) << "\n";
}

} // namespace

int CmdMailbox(const TToolArgs& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kHelp;
        return 0;
    }
    TToolOptions options;
    std::string error, folder;
    if (!ParseToolOptions(args, {"--folder", "--account"}, {"--trash"}, options, error) ||
        !options.Operands.empty() || (options.Has("--account") && options.Has("--trash"))) {
        err << "marrowby-tool mailbox: "
            << (error.empty() ? "give --account or --trash, not both, and no operands" : error)
            << "\n\n"
            << kHelp;
        return 2;
    }
    if (!ProgramFolderOption(kCommand, options, folder, err)) return 2;
    TToolStores stores;
    LoadStores(stores, folder);
    if (options.Has("--trash")) {
        Print(stores.DustBox, out);
    } else if (const std::string* name = options.Value("--account")) {
        int index = stores.Accounts.IndexOf(platform::Utf8ToCp932(*name));
        if (index < 0) {
            err << "marrowby-tool mailbox: no account named " << *name << "\n";
            return 1;
        }
        Print(stores.Accounts.GetAccounts(index)->Mailbox, out);
    } else {
        for (int i = 0; i < stores.Accounts.GetCount(); ++i)
            Print(stores.Accounts.GetAccounts(i)->Mailbox, out);
    }
    return 0;
}
