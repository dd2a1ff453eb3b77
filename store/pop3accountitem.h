#pragma once
// One remote POP3 account: its connection values, its own inbox, and the
// checklist of the UIDLs of messages already stored that the server still
// listed at the last complete walk, with the bookkeeping of one download
// session that keeps that checklist.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "foundation/stringlist.h"
#include "platform/tls.h"
#include "store/messagebox.h"

class TPop3AccountList;

// How the account signs in to its server (item 10): with a password (USER/PASS
// or APOP), or with an OAuth 2.0 access token through SASL XOAUTH2.
enum class TSignInMethod { Password = 0, XOAuth2 = 1 };
// Where the password lives (item 12): in "accounts.dat", in the desktop's
// secret store, or printed by the account's command.
enum class TPasswordStore { File = 0, Secret = 1, Command = 2 };

class TPop3AccountItemBase {
public:
    static constexpr std::int32_t DefaultPort = 110;
    static constexpr std::int32_t DefaultTlsPort = 995; // POP3 over TLS (RFC 8314)

    explicit TPop3AccountItemBase(TPop3AccountList* list);
    virtual ~TPop3AccountItemBase() = default;
    TPop3AccountItemBase(const TPop3AccountItemBase&) = delete;
    TPop3AccountItemBase& operator=(const TPop3AccountItemBase&) = delete;

    // Sets the seven values of the original account line; the mailbox takes
    // the name as its caption and the index file of the account folder as its
    // path (entries stay). The values of the later items are set one by one.
    void Create(std::string_view name, std::string_view userID, std::string_view password,
                std::string_view host, std::int32_t port, bool apop, bool stay);
    // Owner, both checklists and every value of the other record.
    void Assign(const TPop3AccountItemBase& other);

    // Base folder of the owner + "mbx." + Name, no trailing separator.
    std::string GetFolder() const;
    // The account-file line: the seven items, port in decimal, flags "1"/"0",
    // then the later items: security ("0", "1", "2"), the fingerprint, the
    // sign-in method, the command, the password store and the local password
    // (a default is written empty, and empty items at the end after the
    // eighth are left off). A password kept elsewhere is written empty.
    std::string GetCSV() const;

    // A missing file gives an empty checklist.
    void LoadChecklist();
    // Replaces "exclude.txt" atomically (readable by its owner only); false
    // with the reason in error.
    [[nodiscard]] bool SaveChecklist(std::string* error = nullptr) const;
    // Appends one UIDL to "exclude.txt" (not synced); false with the reason.
    [[nodiscard]] bool AppendChecklist(std::string_view uidl, std::string* error = nullptr) const;
    std::string GetChecklistPath() const;

    bool IsLocked() const { return Locked; }
    bool Lock();
    void Unlock() { Locked = false; }

    // One download session: PrepareDownload once, then per message on the
    // server BeginDownload and one of EndDownload (known, or fetched and
    // stored: remembered) or AbortDownload (not stored: fetched again next
    // time), and CompleteDownload when the walk has seen every message.
    // Until then no entry leaves Checklist, so a session that breaks off
    // (a refused login, a lost connection) forgets nothing.
    void PrepareDownload();
    bool BeginDownload(std::string_view uidl); // true: new, fetch it
    // Remembers CurrentUID; true when it was not in Checklist before (the
    // caller then appends it to the file).
    bool EndDownload();
    void AbortDownload();
    // The walk is complete: Checklist becomes the UIDLs this session
    // remembered, in server order; the others are no longer on the server.
    void CompleteDownload();
    // The server has deleted the messages (QUIT after their DELE): forgotten.
    void Forget(const std::vector<std::string>& uidls);
    void MeasureDownload(std::int32_t size) { DownloadSize = size; }

    TPop3AccountList* Owner; // not owned
    std::string Name;
    std::string UserID;
    std::string Password;
    std::string Host;
    std::int32_t Port = DefaultPort;
    bool APOP = false;
    bool Stay = false;
    // The items after the seventh; a line that ends before one gives it the
    // default, so files of earlier versions load unchanged.
    platform::TTlsMode Security = platform::TTlsMode::None; // item 8
    std::string Fingerprint; // item 9: a pinned SHA-256 fingerprint, empty for none
    TSignInMethod SignIn = TSignInMethod::Password; // item 10
    // Item 11: the command line that prints the access token (XOAUTH2) or
    // the password (PasswordStore Command), run without a shell.
    std::string SecretCommand;
    TPasswordStore PasswordStore = TPasswordStore::File; // item 12
    // Item 13: the password of the local server's login when Password is not
    // the remote one kept in the file.
    std::string LocalPassword;
    TStringList Checklist;
    TStringList PrevChecklist;
    TStringList Confirmed; // remembered by the running session, in server order
    TMessageBox Mailbox;
    std::string CurrentUID;
    std::int32_t DownloadSize = 0;
    bool Locked = false;

protected:
    void SetCSV(std::string_view line);
    // The values of the items after the seventh.
    void CopyLaterItems(const TPop3AccountItemBase& other);

private:
    // Makes the sets below from the lists unless they are in step with them.
    void Index();

    // The texts of Checklist and Confirmed, compared exactly (RFC 1939
    // unique-ids are case-sensitive, and a known UIDL may be deleted on the
    // server unfetched), kept in step with them by the
    // session's operations, so that each look-up costs the same however many
    // messages the server keeps. Made again by PrepareDownload, and when
    // needed after LoadChecklist or Assign.
    std::unordered_set<std::string> FKnown;
    std::unordered_set<std::string> FConfirmed;
    bool FIndexed = false;
};

// Whether the account signs in with the password of "accounts.dat".
bool PasswordInFile(const TPop3AccountItemBase& account);
// The password the local server's login checks: the remote password when it
// is kept in the file, otherwise the local password (empty: no login).
const std::string& LocalLoginPassword(const TPop3AccountItemBase& account);

class TPop3AccountItem : public TPop3AccountItemBase {
public:
    explicit TPop3AccountItem(TPop3AccountList* list) : TPop3AccountItemBase(list) {}
    TPop3AccountItem(TPop3AccountList* list, std::string_view name, std::string_view userID,
                     std::string_view password, std::string_view host, std::int32_t port, bool apop,
                     bool stay);
    // From an account-file line; fewer than seven items give the defaults.
    TPop3AccountItem(TPop3AccountList* list, std::string_view line);
    // The other record's values, or the defaults when there is none.
    TPop3AccountItem(TPop3AccountList* list, const TPop3AccountItemBase* other);
};
