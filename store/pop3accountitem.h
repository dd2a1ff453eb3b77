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
    // then the later items: security ("0", "1", "2") and the fingerprint
    // (left off when empty, as any empty item at the end after the eighth).
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
