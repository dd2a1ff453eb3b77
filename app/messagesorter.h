#pragma once
// The order of the message list: ascending by the chosen column, reversed
// when descending. The account column orders rows by their account's place
// in the account list (the trash and unknown names first), then by received
// date. One sorter serves one sort: it remembers each mailbox's account.
#include <unordered_map>

class TMBXItem;
class TMessageBox;
class TPop3AccountList;

class TMessageSorter {
public:
    TMessageSorter(int target, bool descend, const TPop3AccountList& accounts);

    // Negative, 0 or positive: LVMessagesCompare.
    int operator()(const TMBXItem& a, const TMBXItem& b) const;

private:
    int Ascending(const TMBXItem& a, const TMBXItem& b) const;
    int AccountIndex(const TMBXItem& entry) const;

    int FTarget;
    bool FDescend;
    const TPop3AccountList& FAccounts;
    mutable std::unordered_map<const TMessageBox*, int> FAccountOfBox;
};
