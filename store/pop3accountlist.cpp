#include "store/pop3accountlist.h"

#include "foundation/datafile.h"
#include "platform/text.h"

namespace {

// accounts.dat holds the passwords in plain text.
constexpr unsigned kListFileMode = 0600;

void Note(std::string* error, const std::string& reason) {
    if (!error) return;
    if (!error->empty()) *error += '\n';
    *error += reason;
}

} // namespace

TPop3AccountItem* TPop3AccountList::Add(std::string_view name, std::string_view userID,
                                        std::string_view password, std::string_view host,
                                        std::int32_t port, bool apop, bool stay) {
    FItems.push_back(
        std::make_unique<TPop3AccountItem>(this, name, userID, password, host, port, apop, stay));
    return FItems.back().get();
}

void TPop3AccountList::Move(int curIndex, int newIndex) {
    int n = GetCount();
    if (curIndex < 0 || curIndex >= n || newIndex < 0 || newIndex >= n || curIndex == newIndex)
        return;
    auto record = std::move(FItems[static_cast<std::size_t>(curIndex)]);
    FItems.erase(FItems.begin() + curIndex);
    FItems.insert(FItems.begin() + newIndex, std::move(record));
}

int TPop3AccountList::IndexOf(const TPop3AccountItemBase* record) const {
    for (int i = 0; i < GetCount(); ++i)
        if (FItems[static_cast<std::size_t>(i)].get() == record) return i;
    return -1;
}

int TPop3AccountList::IndexOf(std::string_view name) const {
    for (int i = 0; i < GetCount(); ++i)
        if (platform::SameText(FItems[static_cast<std::size_t>(i)]->Name, name)) return i;
    return -1;
}

void TPop3AccountList::Delete(int i) {
    if (i >= 0 && i < GetCount()) FItems.erase(FItems.begin() + i);
}

void TPop3AccountList::Remove(TPop3AccountItemBase* record) {
    Delete(IndexOf(record));
}

void TPop3AccountList::LoadFromFile(std::string_view path) {
    ListFile = path;
    Load();
}

void TPop3AccountList::Load() {
    FItems.clear();
    for (const std::string& line : ReadDataFile(ListFile)) {
        auto record = std::make_unique<TPop3AccountItem>(this, line);
        record->LoadChecklist();
        record->Mailbox.Load();
        FItems.push_back(std::move(record));
    }
}

bool TPop3AccountList::Save(std::string* error) const {
    bool ok = true;
    std::string reason;
    std::vector<std::string> lines;
    for (const auto& record : FItems) {
        lines.push_back(record->GetCSV());
        if (!record->Mailbox.Save(&reason)) {
            ok = false;
            Note(error, reason);
        }
        if (!record->SaveChecklist(&reason)) {
            ok = false;
            Note(error, reason);
        }
    }
    if (!WriteDataFile(ListFile, lines, kListFileMode, &reason)) {
        ok = false;
        Note(error, ListFile + ": " + reason);
    }
    return ok;
}
