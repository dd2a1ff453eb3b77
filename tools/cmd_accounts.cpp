// marrowby-tool accounts: lists, adds and removes the remote POP3 accounts
// of a program folder, as the account dialog does.
#include "platform/file.h"
#include "platform/text.h"
#include "store/accountfolder.h"
#include "store/accountname.h"
#include "store/numberitem.h"
#include "store/storelayout.h"
#include "tools/commands.h"
#include "tools/json.h"
#include "tools/storeaccess.h"

namespace {

constexpr std::string_view kCommand = "accounts";

constexpr std::string_view kHelp =
    "Usage: marrowby-tool accounts [--folder DIR]\n"
    "       marrowby-tool accounts [--folder DIR] add NAME --host H --user U --password P\n"
    "                                             [--port N] [--apop] [--stay]\n"
    "       marrowby-tool accounts [--folder DIR] remove NAME [--purge]\n"
    "DIR is the program folder of the gateway (the one with \"Msgbox\"); without it, the\n"
    "gateway's default folder (see marrowby-tool --help).\n"
    "Without a subcommand, prints one JSON object per account and line, in the order of\n"
    "the check cycle, with the keys name, host, port, user, apop, stay (never the password).\n"
    "add registers an account at the end of the list and makes its folder; the name must\n"
    "not be taken and may not hold \\ / : , ; * ? \" < > | % @. The port defaults to 110.\n"
    "remove takes the account off the list; its folder with the stored messages and the\n"
    "checklist stays unless --purge is given. Nothing is asked.\n"
    "add and remove refuse to run while Marrowby runs. Texts are UTF-8.\n";

std::string Json(const TPop3AccountItem& a) {
    auto text = [](const std::string& s) { return platform::Cp932ToUtf8(s); };
    return TJsonObject()
        .Add("name", text(a.Name))
        .Add("host", text(a.Host))
        .Add("port", std::int64_t{a.Port})
        .Add("user", text(a.UserID))
        .AddRaw("apop", a.APOP ? "true" : "false")
        .AddRaw("stay", a.Stay ? "true" : "false")
        .Str();
}

int List(const TToolStores& stores, std::ostream& out) {
    for (int i = 0; i < stores.Accounts.GetCount(); ++i)
        out << Json(*stores.Accounts.GetAccounts(i)) << "\n";
    return 0;
}

int Save(const TToolStores& stores, std::ostream& err) {
    std::string errors;
    if (stores.Accounts.Save(&errors)) return 0;
    ReportErrors(kCommand, errors, err);
    return 1;
}

// The connection values of add, checked; an empty text is refused like an
// empty field, and a control byte would split the account's line.
bool Connection(const TToolOptions& options, std::int32_t& port, std::ostream& err) {
    for (std::string_view name : {"--host", "--user", "--password"}) {
        const std::string* value = options.Value(name);
        if (!value || value->empty()) {
            err << "marrowby-tool accounts add: " << name << " is required\n";
            return false;
        }
        if (HasControlByte(*value)) {
            err << "marrowby-tool accounts add: " << name << " may not hold control characters\n";
            return false;
        }
    }
    port = TPop3AccountItemBase::DefaultPort;
    if (const std::string* text = options.Value("--port")) {
        port = StrToIntDef(*text, -1);
        if (port < 0 || port > 65535) {
            err << "marrowby-tool accounts add: the port must be a number from 0 to 65535\n";
            return false;
        }
    }
    return true;
}

int Add(TToolStores& stores, const std::string& givenName, const TToolOptions& options,
        std::ostream& err) {
    std::int32_t port = 0;
    if (!Connection(options, port, err)) return 2;
    std::string name = TrimAccountName(platform::Utf8ToCp932(givenName));
    if (auto refusal = CheckAccountName(stores.Accounts, name, nullptr, AccountNameCaption())) {
        ReportErrors("accounts add", *refusal, err);
        return 1;
    }
    auto cp932 = [&](std::string_view option) {
        return platform::Utf8ToCp932(*options.Value(option));
    };
    TPop3AccountItem* account =
        stores.Accounts.Add(name, cp932("--user"), cp932("--password"), cp932("--host"), port,
                            options.Has("--apop"), options.Has("--stay"));
    std::string error;
    if (!MakeAccountFolder(account->GetFolder(), &error)) {
        ReportErrors("accounts add", error, err);
        return 1;
    }
    return Save(stores, err);
}

// Deletes the files of the account folder, then the folder, as the account
// dialog does.
bool Purge(const std::string& folder, std::ostream& err) {
    std::string error;
    if (RemoveAccountFolder(folder, &error)) return true;
    ReportErrors("accounts remove", error, err);
    return false;
}

int Remove(TToolStores& stores, const std::string& givenName, bool purge, std::ostream& err) {
    int index = stores.Accounts.IndexOf(platform::Utf8ToCp932(givenName));
    if (index < 0) {
        err << "marrowby-tool accounts remove: no account named " << givenName << "\n";
        return 1;
    }
    std::string folder = stores.Accounts.GetAccounts(index)->GetFolder();
    stores.Accounts.Delete(index);
    if (int status = Save(stores, err)) return status;
    return !purge || Purge(folder, err) ? 0 : 1;
}

} // namespace

int CmdAccounts(const TToolArgs& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kHelp;
        return 0;
    }
    TToolOptions options;
    std::string error, folder;
    if (!ParseToolOptions(args, {"--folder", "--host", "--user", "--password", "--port"},
                          {"--apop", "--stay", "--purge"}, options, error)) {
        err << "marrowby-tool accounts: " << error << "\n\n" << kHelp;
        return 2;
    }
    const auto& ops = options.Operands;
    bool list = ops.empty(), add = ops.size() == 2 && ops[0] == "add",
         remove = ops.size() == 2 && ops[0] == "remove";
    if (!list && !add && !remove) {
        err << "marrowby-tool accounts: unexpected arguments\n\n" << kHelp;
        return 2;
    }
    if (!ProgramFolderOption(kCommand, options, folder, err)) return 2;
    std::unique_ptr<TInstanceLock> lock;
    if (!list && !(lock = LockStores(kCommand, err))) return 1;
    TToolStores stores;
    LoadStores(stores, folder);
    if (list) return List(stores, out);
    if (add) {
        platform::ForceDirectories(MsgboxFolder(folder));
        return Add(stores, ops[1], options, err);
    }
    return Remove(stores, ops[1], options.Has("--purge"), err);
}
