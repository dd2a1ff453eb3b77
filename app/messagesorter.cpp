#include "app/messagesorter.h"

#include "app/messagelistmodel.h"
#include "platform/text.h"
#include "store/localuser.h"
#include "store/messagebox.h"

TMessageSorter::TMessageSorter(int target, bool descend, const TPop3AccountList& accounts)
    : FTarget(target), FDescend(descend), FAccounts(accounts) {}

int TMessageSorter::operator()(const TMBXItem& a, const TMBXItem& b) const {
    int order = Ascending(a, b);
    return FDescend ? -order : order;
}

int TMessageSorter::AccountIndex(const TMBXItem& entry) const {
    auto [slot, added] = FAccountOfBox.try_emplace(entry.Parent, -1);
    if (added && entry.Parent)
        slot->second = FindAccountByLocalUser(FAccounts, entry.Parent->Caption);
    return slot->second;
}

int TMessageSorter::Ascending(const TMBXItem& a, const TMBXItem& b) const {
    using Model = TMessageListModel;
    switch (FTarget) {
    case Model::ColSubject:
        return a.CompareSubject(b);
    case Model::ColSize:
        return a.CompareSize(b);
    case Model::ColRecvDate:
        return a.CompareRecvDate(b);
    case Model::ColAccount: {
        int x = AccountIndex(a), y = AccountIndex(b);
        return x != y ? (x < y ? -1 : 1) : a.CompareRecvDate(b);
    }
    case Model::ColFileName:
        return platform::CompareStr(a.GetPath(), b.GetPath());
    case Model::ColUID:
        return platform::CompareStr(a.UID, b.UID);
    case Model::ColComment:
        return platform::CompareStr(a.Comment, b.Comment);
    default:
        return 0;
    }
}
