#include "store/pop3accountitem.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "foundation/csvline.h"
#include "foundation/datafile.h"
#include "platform/file.h"
#include "store/numberitem.h"
#include "store/pop3accountlist.h"

namespace {

const char* const kChecklistName = "exclude.txt";
const char* const kIndexName = "messages.idx";
constexpr std::size_t kAccountItems = 7;
// The checklist tells which mail of the account was fetched.
constexpr unsigned kChecklistMode = 0600;

std::string InFolder(const std::string& folder, const char* name) {
    return platform::IncludeTrailingSeparator(folder) + name;
}

// Item 8: "0" none, "1" TLS, "2" STLS; empty or missing is none. A value that
// cannot be read means TLS: a connection never falls back to plain text
// because of it (at worst it fails, and says why).
platform::TTlsMode ReadSecurity(const std::string& item) {
    if (item.empty() || item == "0") return platform::TTlsMode::None;
    if (item == "2") return platform::TTlsMode::StartTls;
    return platform::TTlsMode::Implicit;
}

// Items 10 and 12: a number within the enumeration, else the default (the
// password of the file, which is then empty: the login fails and says so).
template <class TEnum>
TEnum ReadChoice(const std::string& item, TEnum last) {
    const int value = StrToIntDef(item, 0);
    return value >= 0 && value <= static_cast<int>(last) ? static_cast<TEnum>(value) : TEnum{};
}

template <class TEnum>
std::string WriteChoice(TEnum value) {
    return value == TEnum{} ? std::string() : std::to_string(static_cast<int>(value));
}

// The items after the seventh, in file order; a later item is added here
// and in CopyLaterItems.
struct TLaterItem {
    std::string (*Write)(const TPop3AccountItemBase& account);
    void (*Read)(TPop3AccountItemBase& account, const std::string& item);
};

const TLaterItem kLaterItems[] = {
    {[](const TPop3AccountItemBase& a) { return std::to_string(static_cast<int>(a.Security)); },
     [](TPop3AccountItemBase& a, const std::string& item) { a.Security = ReadSecurity(item); }},
    {[](const TPop3AccountItemBase& a) { return a.Fingerprint; },
     [](TPop3AccountItemBase& a, const std::string& item) { a.Fingerprint = item; }},
    {[](const TPop3AccountItemBase& a) { return WriteChoice(a.SignIn); },
     [](TPop3AccountItemBase& a, const std::string& item) {
         a.SignIn = ReadChoice(item, TSignInMethod::XOAuth2);
     }},
    {[](const TPop3AccountItemBase& a) { return a.SecretCommand; },
     [](TPop3AccountItemBase& a, const std::string& item) { a.SecretCommand = item; }},
    {[](const TPop3AccountItemBase& a) { return WriteChoice(a.PasswordStore); },
     [](TPop3AccountItemBase& a, const std::string& item) {
         a.PasswordStore = ReadChoice(item, TPasswordStore::Command);
     }},
    {[](const TPop3AccountItemBase& a) { return a.LocalPassword; },
     [](TPop3AccountItemBase& a, const std::string& item) { a.LocalPassword = item; }},
};

} // namespace

TPop3AccountItemBase::TPop3AccountItemBase(TPop3AccountList* list) : Owner(list) {}

void TPop3AccountItemBase::Create(std::string_view name, std::string_view userID,
                                  std::string_view password, std::string_view host,
                                  std::int32_t port, bool apop, bool stay) {
    Name = name;
    UserID = userID;
    Password = password;
    Host = host;
    Port = port;
    APOP = apop;
    Stay = stay;
    Mailbox.Caption = Name;
    Mailbox.Path = InFolder(GetFolder(), kIndexName);
}

void TPop3AccountItemBase::Assign(const TPop3AccountItemBase& other) {
    if (&other == this) return;
    Owner = other.Owner;
    Checklist = other.Checklist;
    PrevChecklist = other.PrevChecklist;
    FIndexed = false;
    Create(other.Name, other.UserID, other.Password, other.Host, other.Port, other.APOP,
           other.Stay);
    CopyLaterItems(other);
}

void TPop3AccountItemBase::CopyLaterItems(const TPop3AccountItemBase& other) {
    Security = other.Security;
    Fingerprint = other.Fingerprint;
    SignIn = other.SignIn;
    SecretCommand = other.SecretCommand;
    PasswordStore = other.PasswordStore;
    LocalPassword = other.LocalPassword;
}

bool PasswordInFile(const TPop3AccountItemBase& account) {
    return account.SignIn == TSignInMethod::Password &&
           account.PasswordStore == TPasswordStore::File;
}

const std::string& LocalLoginPassword(const TPop3AccountItemBase& account) {
    return PasswordInFile(account) ? account.Password : account.LocalPassword;
}

std::string TPop3AccountItemBase::GetFolder() const {
    // Without a base folder the account folder is relative, never at the root.
    const std::string base = Owner ? Owner->BaseFolder : std::string();
    return (base.empty() ? std::string() : platform::IncludeTrailingSeparator(base)) + "mbx." +
           Name;
}

std::string TPop3AccountItemBase::GetCSV() const {
    std::vector<std::string> items{Name,
                                   UserID,
                                   PasswordInFile(*this) ? Password : std::string(),
                                   Host,
                                   std::to_string(Port),
                                   APOP ? "1" : "0",
                                   Stay ? "1" : "0"};
    for (const TLaterItem& later : kLaterItems)
        items.push_back(later.Write(*this));
    while (items.size() > kAccountItems + 1 && items.back().empty()) // empty ones at the end
        items.pop_back();
    return CSVLineWrite(items);
}

void TPop3AccountItemBase::SetCSV(std::string_view line) {
    std::vector<std::string> items = CSVLineRead(line);
    if (items.size() < kAccountItems) {
        Create({}, {}, {}, {}, DefaultPort, false, false);
        return;
    }
    Create(items[0], items[1], items[2], items[3], StrToIntDef(items[4], DefaultPort),
           StrToIntDef(items[5], 0) != 0, StrToIntDef(items[6], 0) != 0);
    for (std::size_t i = 0; i < std::size(kLaterItems) && kAccountItems + i < items.size(); ++i)
        kLaterItems[i].Read(*this, items[kAccountItems + i]);
}

std::string TPop3AccountItemBase::GetChecklistPath() const {
    return InFolder(GetFolder(), kChecklistName);
}

void TPop3AccountItemBase::LoadChecklist() {
    Checklist.LoadFromFile(GetChecklistPath());
    FIndexed = false;
}

bool TPop3AccountItemBase::SaveChecklist(std::string* error) const {
    std::string path = GetChecklistPath();
    std::string reason;
    if (Checklist.SaveToFile(path, kChecklistMode, &reason)) return true;
    if (error) *error = path + ": " + reason;
    return false;
}

bool TPop3AccountItemBase::AppendChecklist(std::string_view uidl, std::string* error) const {
    std::string path = GetChecklistPath();
    std::string reason;
    if (AppendDataLine(path, uidl, kChecklistMode, &reason)) return true;
    if (error) *error = path + ": " + reason;
    return false;
}

bool TPop3AccountItemBase::Lock() {
    if (Locked) return false;
    Locked = true;
    return true;
}

void TPop3AccountItemBase::PrepareDownload() {
    PrevChecklist = Checklist;
    Confirmed.Clear();
    CurrentUID.clear();
    FIndexed = false;
    Index();
}

void TPop3AccountItemBase::Index() {
    if (FIndexed) return;
    FKnown = {Checklist.Strings.begin(), Checklist.Strings.end()};
    FConfirmed = {Confirmed.Strings.begin(), Confirmed.Strings.end()};
    FIndexed = true;
}

bool TPop3AccountItemBase::BeginDownload(std::string_view uidl) {
    Index();
    CurrentUID = uidl;
    DownloadSize = 0;
    return !FKnown.contains(CurrentUID);
}

bool TPop3AccountItemBase::EndDownload() {
    if (CurrentUID.empty()) return false;
    Index();
    const bool added = FKnown.insert(CurrentUID).second;
    if (added) Checklist.Add(CurrentUID);
    if (FConfirmed.insert(CurrentUID).second) Confirmed.Add(CurrentUID);
    CurrentUID.clear();
    return added;
}

void TPop3AccountItemBase::Forget(const std::vector<std::string>& uidls) {
    if (uidls.empty()) return;
    Index();
    const std::unordered_set<std::string_view> gone(uidls.begin(), uidls.end());
    for (TStringList* list : {&Checklist, &Confirmed})
        std::erase_if(list->Strings, [&](const std::string& uidl) { return gone.contains(uidl); });
    for (const std::string& uidl : uidls) {
        FKnown.erase(uidl);
        FConfirmed.erase(uidl);
    }
}

void TPop3AccountItemBase::CompleteDownload() {
    Index();
    Checklist = Confirmed;
    FKnown = std::move(FConfirmed);
    Confirmed.Clear();
    FConfirmed.clear();
}

void TPop3AccountItemBase::AbortDownload() {
    CurrentUID.clear();
}

TPop3AccountItem::TPop3AccountItem(TPop3AccountList* list, std::string_view name,
                                   std::string_view userID, std::string_view password,
                                   std::string_view host, std::int32_t port, bool apop, bool stay)
    : TPop3AccountItemBase(list) {
    Create(name, userID, password, host, port, apop, stay);
}

TPop3AccountItem::TPop3AccountItem(TPop3AccountList* list, std::string_view line)
    : TPop3AccountItemBase(list) {
    SetCSV(line);
}

TPop3AccountItem::TPop3AccountItem(TPop3AccountList* list, const TPop3AccountItemBase* other)
    : TPop3AccountItemBase(list) {
    if (other) {
        Create(other->Name, other->UserID, other->Password, other->Host, other->Port, other->APOP,
               other->Stay);
        CopyLaterItems(*other);
    } else
        Create({}, {}, {}, {}, DefaultPort, false, false);
}
