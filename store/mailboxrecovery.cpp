#include "store/mailboxrecovery.h"

#include <algorithm>
#include <unordered_set>

#include "platform/file.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"

namespace {

struct TPending {
    TMessageBox* Box;
    bool Changed;
    TRecoveryReport Report;
};

// The UIDL an appended line carries goes back into its account's checklist;
// a line of the inbox without an account name is the inbox account's own.
void Remember(TPop3AccountList& accounts, const TMBXItem& item, int owner, TRecoveryReport& report,
              std::vector<bool>& checklistChanged) {
    if (item.FetchedUID.empty()) return;
    const int index = item.FetchedAccount.empty() ? owner : accounts.IndexOf(item.FetchedAccount);
    if (index < 0) return;
    TStringList& checklist = accounts.GetAccounts(index)->Checklist;
    auto& uidls = checklist.Strings;
    if (std::find(uidls.begin(), uidls.end(), item.FetchedUID) != uidls.end()) return;
    checklist.Add(item.FetchedUID);
    checklistChanged[static_cast<std::size_t>(index)] = true;
    ++report.Remembered;
}

} // namespace

int RemoveTempFiles(const std::string& folder) {
    int removed = 0;
    const std::string base = platform::IncludeTrailingSeparator(folder);
    for (const std::string& name : platform::FindFiles(folder, ""))
        if (platform::IsTempFileName(name) && platform::DeleteFile(base + name)) ++removed;
    return removed;
}

TRecoveryReport RecoverMailbox(TMessageBox& box, bool& changed) {
    TRecoveryReport report;
    report.Caption = box.Caption;
    report.Skipped = box.GetSkipped();
    changed = !report.Skipped.empty();
    const std::string folder = platform::ExtractFilePath(box.Path);
    if (box.Path.empty() || !platform::DirectoryExists(folder)) return report;
    std::unordered_set<std::string> named;
    for (int i = 0; i < box.GetCount();) {
        TMBXItem* item = box.GetMessages(i);
        // Download items stand only in appended lines: a rewrite drops them.
        if (!item->FetchedUID.empty()) changed = true;
        const std::string path = item->GetPath();
        bool present = !path.empty() && platform::FileExists(path);
        if (!present && !path.empty() && platform::RenameFile(box.GetTempPath(*item), path)) {
            present = true;
            ++report.Completed;
        }
        // An entry without its file stays unless a download was storing it
        // (that one never got its file, and its UIDL must not be remembered)
        // or it names no file at all (a line a crash cut short).
        if (present || (item->FetchedUID.empty() && !item->FileName.empty())) {
            named.insert(item->FileName);
            ++i;
            continue;
        }
        box.Extract(item);
        ++report.Dropped;
        changed = true;
    }
    report.TempRemoved = RemoveTempFiles(folder);
    for (const std::string& name : platform::FindFiles(folder, ".eml"))
        if (!named.contains(name) && box.AddFile(name)) {
            ++report.Added;
            changed = true;
        }
    return report;
}

std::vector<TRecoveryReport> RecoverStores(TPop3AccountList& accounts, TMessageBox& trash) {
    std::vector<TPending> pending;
    std::vector<bool> checklistChanged(static_cast<std::size_t>(accounts.GetCount()), false);
    auto recover = [&](TMessageBox& box, int owner) {
        TPending p{&box, false, {}};
        p.Report = RecoverMailbox(box, p.Changed);
        for (int i = 0; i < box.GetCount(); ++i)
            Remember(accounts, *box.GetMessages(i), owner, p.Report, checklistChanged);
        pending.push_back(std::move(p));
    };
    for (int i = 0; i < accounts.GetCount(); ++i)
        recover(accounts.GetAccounts(i)->Mailbox, i);
    recover(trash, -1);

    // The checklists first: rewriting an index drops the UIDLs its appended
    // lines carried, so no index is rewritten while a checklist is not on disk.
    std::string error;
    bool checklistsSaved = true;
    for (int i = 0; i < accounts.GetCount(); ++i)
        if (checklistChanged[static_cast<std::size_t>(i)] &&
            !accounts.GetAccounts(i)->SaveChecklist(&error)) {
            pending[static_cast<std::size_t>(i)].Report.Errors.push_back(error);
            checklistsSaved = false;
        }
    std::vector<TRecoveryReport> reports;
    for (TPending& p : pending) {
        if (p.Changed && checklistsSaved && !p.Box->Save(&error)) p.Report.Errors.push_back(error);
        if (p.Report.Any()) reports.push_back(std::move(p.Report));
    }
    if (!accounts.BaseFolder.empty()) {
        TRecoveryReport folder;
        folder.Caption = accounts.BaseFolder;
        folder.TempRemoved = RemoveTempFiles(accounts.BaseFolder);
        if (folder.Any()) reports.push_back(std::move(folder));
    }
    return reports;
}
