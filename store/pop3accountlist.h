#pragma once
// The remote accounts in their order (the order of the file, of the check
// cycle and of the account dialog), stored in "accounts.dat", one CSV line
// per account. The list owns the records.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/pop3accountitem.h"

class TPop3AccountList {
public:
    TPop3AccountList() = default;
    TPop3AccountList(const TPop3AccountList&) = delete;
    TPop3AccountList& operator=(const TPop3AccountList&) = delete;

    int GetCount() const { return static_cast<int>(FItems.size()); }
    TPop3AccountItem* GetAccounts(int i) const { return FItems[static_cast<std::size_t>(i)].get(); }

    // Appends a new record; neither its checklist nor its mailbox is loaded.
    TPop3AccountItem* Add(std::string_view name, std::string_view userID, std::string_view password,
                          std::string_view host, std::int32_t port, bool apop, bool stay);
    void Move(int curIndex, int newIndex);
    int IndexOf(const TPop3AccountItemBase* record) const;
    // First account of that name, letter case ignored; -1 when none.
    int IndexOf(std::string_view name) const;
    void Delete(int i);
    void Remove(TPop3AccountItemBase* record);

    void LoadFromFile(std::string_view path);
    // Replaces the records by those of ListFile, each with its checklist and
    // mailbox loaded. A missing file gives an empty list.
    void Load();
    // Writes every mailbox index, every checklist and then ListFile (readable
    // by its owner only: it holds passwords), each replaced atomically. A file
    // that cannot be written keeps its old contents; the others are written
    // all the same and the reasons are collected in error, one per line.
    [[nodiscard]] bool Save(std::string* error = nullptr) const;

    std::string ListFile;
    std::string BaseFolder;

private:
    std::vector<std::unique_ptr<TPop3AccountItem>> FItems;
};
