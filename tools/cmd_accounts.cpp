// marrowby-tool accounts: lists, adds and removes the remote POP3 accounts
// of a program folder, as the account dialog does.
#include "platform/commandrun.h"
#include "platform/file.h"
#include "platform/text.h"
#include "platform/tls.h"
#include "store/accountfolder.h"
#include "store/accountname.h"
#include "store/numberitem.h"
#include "store/secretstore.h"
#include "store/storelayout.h"
#include "tools/commands.h"
#include "tools/json.h"
#include "tools/secretaccess.h"
#include "tools/storeaccess.h"

namespace {

constexpr std::string_view kCommand = "accounts";

constexpr std::string_view kHelp =
    "Usage: marrowby-tool accounts [--folder DIR]\n"
    "       marrowby-tool accounts [--folder DIR] add NAME --host H --user U [--password P]\n"
    "                                             [--port N] [--apop] [--stay]\n"
    "                                             [--tls | --starttls] [--tls-fingerprint FP]\n"
    "                                             [--sign-in password|xoauth2] [--command C]\n"
    "                                             [--password-store file|secret|command]\n"
    "                                             [--local-password L]\n"
    "       marrowby-tool accounts [--folder DIR] remove NAME [--purge]\n"
    "DIR is the program folder of the gateway (the one with \"Msgbox\"); without it, the\n"
    "gateway's default folder (see marrowby-tool --help).\n"
    "Without a subcommand, prints one JSON object per account and line, in the order of\n"
    "the check cycle, with the keys name, host, port, user, apop, stay, security (none, tls\n"
    "or starttls), fingerprint (null when none is pinned), signin (password or xoauth2),\n"
    "command (null when none), store (file, secret or command) and localpassword (whether\n"
    "one is set); never a password.\n"
    "add registers an account at the end of the list and makes its folder; the name must\n"
    "not be taken and may not hold \\ / : , ; * ? \" < > | % @. --tls speaks TLS from the\n"
    "first byte (POP3S), --starttls starts it with STLS after the greeting and never goes on\n"
    "without it; either way the server's certificate must be valid for the host. The port\n"
    "defaults to 995 with --tls, else 110. --tls-fingerprint pins the SHA-256 fingerprint of\n"
    "the server's certificate (64 hexadecimal digits, colons optional): exactly that\n"
    "certificate is then accepted, a self-signed one too, and no other.\n"
    "--sign-in password (the default) logs in with the password (USER/PASS, or APOP with\n"
    "--apop); --password-store says where it lives: file (the default) keeps --password in\n"
    "accounts.dat, secret keeps it in the desktop's secret store (Secret Service or\n"
    "KWallet), command has --command print it at every session. --sign-in xoauth2 signs in\n"
    "with an OAuth 2.0 access token through SASL XOAUTH2, only with --tls or --starttls;\n"
    "--command prints the token at every session. The command runs without a shell (quote\n"
    "words as in a shell, nothing is expanded) with a time-out; its first output line is\n"
    "the secret. When the password is not in accounts.dat, --local-password is required: the\n"
    "mail client logs in to the local server with it.\n"
    "remove takes the account off the list; its folder with the stored messages and the\n"
    "checklist stays unless --purge is given; a password in the secret store is removed.\n"
    "Nothing is asked.\n"
    "add and remove refuse to run while Marrowby runs. Texts are UTF-8.\n";

const char* SecurityName(platform::TTlsMode mode) {
    switch (mode) {
    case platform::TTlsMode::Implicit:
        return "tls";
    case platform::TTlsMode::StartTls:
        return "starttls";
    default:
        return "none";
    }
}

// The words of --password-store, in the order of TPasswordStore.
const char* const kStoreNames[] = {"file", "secret", "command"};

std::string Json(const TPop3AccountItem& a) {
    auto text = [](const std::string& s) { return platform::Cp932ToUtf8(s); };
    return TJsonObject()
        .Add("name", text(a.Name))
        .Add("host", text(a.Host))
        .Add("port", std::int64_t{a.Port})
        .Add("user", text(a.UserID))
        .AddRaw("apop", a.APOP ? "true" : "false")
        .AddRaw("stay", a.Stay ? "true" : "false")
        .Add("security", SecurityName(a.Security))
        .AddRaw("fingerprint", a.Fingerprint.empty() ? "null" : JsonQuote(text(a.Fingerprint)))
        .Add("signin", a.SignIn == TSignInMethod::XOAuth2 ? "xoauth2" : "password")
        .AddRaw("command", a.SecretCommand.empty() ? "null" : JsonQuote(text(a.SecretCommand)))
        .Add("store", kStoreNames[static_cast<int>(a.PasswordStore)])
        .AddRaw("localpassword", a.LocalPassword.empty() ? "false" : "true")
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

struct TConnection {
    std::int32_t Port = TPop3AccountItemBase::DefaultPort;
    platform::TTlsMode Security = platform::TTlsMode::None;
    std::string Fingerprint;
    TSignInMethod SignIn = TSignInMethod::Password;
    TPasswordStore Store = TPasswordStore::File;
};

bool Refuse(std::ostream& err, std::string_view why) {
    err << "marrowby-tool accounts add: " << why << "\n";
    return false;
}

// The security options of add, checked.
bool Security(const TToolOptions& options, TConnection& c, std::ostream& err) {
    auto refuse = [&](const char* why) { return Refuse(err, why); };
    if (options.Has("--tls") && options.Has("--starttls"))
        return refuse("--tls and --starttls exclude each other");
    if (options.Has("--tls")) c.Security = platform::TTlsMode::Implicit;
    if (options.Has("--starttls")) c.Security = platform::TTlsMode::StartTls;
    if (const std::string* pin = options.Value("--tls-fingerprint")) {
        if (c.Security == platform::TTlsMode::None)
            return refuse("--tls-fingerprint needs --tls or --starttls");
        auto normal = platform::NormalizeFingerprint(*pin);
        if (!normal)
            return refuse("--tls-fingerprint must be a SHA-256 fingerprint: 64 hexadecimal "
                          "digits, colons optional");
        c.Fingerprint = *normal;
    }
    return true;
}

// A choice among words: its index, or -1.
int Choice(const std::string* value, std::initializer_list<std::string_view> words, int none) {
    if (!value) return none;
    int index = 0;
    for (std::string_view word : words) {
        if (*value == word) return index;
        ++index;
    }
    return -1;
}

// The text options the sign-in needs, and the ones it refuses.
struct TSignInNeeds {
    bool Password, Command, Local;
};

TSignInNeeds Needs(const TConnection& c) {
    if (c.SignIn == TSignInMethod::XOAuth2) return {false, true, true};
    switch (c.Store) {
    case TPasswordStore::Secret:
        return {true, false, true};
    case TPasswordStore::Command:
        return {false, true, true};
    default:
        return {true, false, false};
    }
}

// The sign-in options of add, checked.
bool SignIn(const TToolOptions& options, TConnection& c, std::ostream& err) {
    const int method = Choice(options.Value("--sign-in"), {"password", "xoauth2"}, 0);
    if (method < 0) return Refuse(err, "--sign-in must be password or xoauth2");
    c.SignIn = static_cast<TSignInMethod>(method);
    const int store = Choice(options.Value("--password-store"), {"file", "secret", "command"}, 0);
    if (store < 0) return Refuse(err, "--password-store must be file, secret or command");
    c.Store = static_cast<TPasswordStore>(store);
    if (c.SignIn == TSignInMethod::XOAuth2) {
        if (options.Value("--password-store"))
            return Refuse(err, "--password-store is for --sign-in password");
        if (c.Security == platform::TTlsMode::None)
            return Refuse(err, "--sign-in xoauth2 needs --tls or --starttls");
    }
    const TSignInNeeds needs = Needs(c);
    const std::pair<std::string_view, bool> texts[] = {{"--password", needs.Password},
                                                       {"--command", needs.Command},
                                                       {"--local-password", needs.Local}};
    for (const auto& [name, needed] : texts) {
        const std::string* value = options.Value(name);
        if (needed && (!value || value->empty()))
            return Refuse(err, std::string(name) + " is required with this sign-in");
        if (!needed && value)
            return Refuse(err, std::string(name) + " does not apply to this sign-in");
        if (value && HasControlByte(*value))
            return Refuse(err, std::string(name) + " may not hold control characters");
    }
    if (needs.Command && !platform::SplitCommandWords(*options.Value("--command")))
        return Refuse(err, "--command has an unclosed quote or no word");
    return true;
}

// The connection values of add, checked; an empty text is refused like an
// empty field, and a control byte would split the account's line.
bool Connection(const TToolOptions& options, TConnection& c, std::ostream& err) {
    for (std::string_view name : {"--host", "--user"}) {
        const std::string* value = options.Value(name);
        if (!value || value->empty()) return Refuse(err, std::string(name) + " is required");
        if (HasControlByte(*value))
            return Refuse(err, std::string(name) + " may not hold control characters");
    }
    if (!Security(options, c, err) || !SignIn(options, c, err)) return false;
    if (c.Security == platform::TTlsMode::Implicit) c.Port = TPop3AccountItemBase::DefaultTlsPort;
    if (const std::string* text = options.Value("--port")) {
        c.Port = StrToIntDef(*text, -1);
        if (c.Port < 0 || c.Port > 65535)
            return Refuse(err, "the port must be a number from 0 to 65535");
    }
    return true;
}

int Add(TToolStores& stores, const std::string& givenName, const TToolOptions& options,
        std::ostream& err) {
    TConnection connection;
    if (!Connection(options, connection, err)) return 2;
    std::string name = TrimAccountName(platform::Utf8ToCp932(givenName));
    if (auto refusal = CheckAccountName(stores.Accounts, name, nullptr, AccountNameCaption())) {
        ReportErrors("accounts add", *refusal, err);
        return 1;
    }
    auto cp932 = [&](std::string_view option) {
        const std::string* value = options.Value(option);
        return value ? platform::Utf8ToCp932(*value) : std::string();
    };
    TPop3AccountItem* account =
        stores.Accounts.Add(name, cp932("--user"), cp932("--password"), cp932("--host"),
                            connection.Port, options.Has("--apop"), options.Has("--stay"));
    account->Security = connection.Security;
    account->Fingerprint = connection.Fingerprint;
    account->SignIn = connection.SignIn;
    account->PasswordStore = connection.Store;
    account->SecretCommand = cp932("--command");
    account->LocalPassword = cp932("--local-password");
    std::string error;
    if (account->PasswordStore == TPasswordStore::Secret &&
        !WriteToolSecret(SecretKey(*account), account->Password, error)) {
        stores.Accounts.Delete(stores.Accounts.GetCount() - 1);
        ReportErrors("accounts add", error, err);
        return 1;
    }
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
    const TPop3AccountItem& account = *stores.Accounts.GetAccounts(index);
    std::string folder = account.GetFolder(), error;
    if (account.PasswordStore == TPasswordStore::Secret &&
        account.SignIn == TSignInMethod::Password && !RemoveToolSecret(SecretKey(account), error))
        ReportErrors("accounts remove", error, err);
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
    if (!ParseToolOptions(args,
                          {"--folder", "--host", "--user", "--password", "--port",
                           "--tls-fingerprint", "--sign-in", "--command", "--password-store",
                           "--local-password"},
                          {"--apop", "--stay", "--purge", "--tls", "--starttls"}, options, error)) {
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
