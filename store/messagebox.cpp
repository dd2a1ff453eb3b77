#include "store/messagebox.h"

#include <algorithm>

#include "foundation/datafile.h"
#include "foundation/md5digest.h"
#include "message/multipartmessage.h"
#include "platform/file.h"

std::int64_t TMessageBox::GetTotal() const {
    std::int64_t total = 0;
    for (const auto& item : FItems)
        total += item->Size;
    return total;
}

TMBXItem* TMessageBox::Add(std::unique_ptr<TMBXItem> item) {
    item->Parent = this;
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

TMBXItem* TMessageBox::Add(const TMultipartMessage& message, TDateTime storedDate,
                           std::string_view name) {
    return Add(std::make_unique<TMBXItem>(this, name.empty() ? std::string_view(Caption) : name,
                                          storedDate, message));
}

void TMessageBox::LoadFromFile(std::string_view path) {
    Path = path;
    Load();
}

void TMessageBox::Load() {
    if (Path.empty()) return;
    LoadFromStrings(ReadDataFile(Path));
}

namespace {

// Index files hold what private mail is about.
constexpr unsigned IndexFileMode = 0600;

// A file name that is no plain name of the folder. An entry without a file
// name leads nowhere and stays.
bool LeadsOutside(const TMBXItem& item) {
    return !item.FileName.empty() && !IsPlainFileName(item.FileName);
}

} // namespace

void TMessageBox::LoadFromStrings(const std::vector<std::string>& lines) {
    FItems.clear();
    FSkipped.clear();
    FItems.reserve(lines.size());
    for (const std::string& line : lines) {
        auto item = std::make_unique<TMBXItem>(this, line);
        if (LeadsOutside(*item))
            FSkipped.push_back(item->FileName);
        else
            FItems.push_back(std::move(item));
    }
}

void TMessageBox::SaveToStrings(std::vector<std::string>& lines) const {
    lines.reserve(lines.size() + FItems.size());
    for (const auto& item : FItems)
        if (!LeadsOutside(*item)) lines.push_back(item->GetCSV());
}

bool TMessageBox::Save(std::string* error) const {
    if (Path.empty()) return true;
    std::vector<std::string> lines;
    SaveToStrings(lines);
    std::string reason;
    if (WriteDataFile(Path, lines, IndexFileMode, &reason)) return true;
    if (error) *error = Path + ": " + reason;
    return false;
}

bool TMessageBox::Append(const TMBXItem& item, std::string* error) const {
    std::string reason;
    if (Path.empty())
        reason = "the mailbox has no index file";
    else if (!IsPlainFileName(item.FileName))
        reason = "not a file name of the folder: " + item.FileName;
    else if (AppendDataLine(Path, item.GetCSV(true), IndexFileMode, &reason))
        return true;
    if (error) *error = Path + ": " + reason;
    return false;
}

std::string TMessageBox::GetTempPath(const TMBXItem& item) const {
    return platform::ExtractFilePath(Path) + std::string(platform::TempFilePrefix) +
           TMD5Digest::Digest(item.UID);
}

void TMessageBox::Remove(int i) {
    if (i < 0 || i >= GetCount()) return;
    platform::DeleteFile(FItems[static_cast<std::size_t>(i)]->GetPath());
    FItems.erase(FItems.begin() + i);
}

int TMessageBox::Remove(TMBXItem* item) {
    int i = IndexOf(item);
    Remove(i);
    return i;
}

std::unique_ptr<TMBXItem> TMessageBox::Extract(TMBXItem* item) {
    int i = IndexOf(item);
    if (i < 0) return nullptr;
    std::unique_ptr<TMBXItem> taken = std::move(FItems[static_cast<std::size_t>(i)]);
    FItems.erase(FItems.begin() + i);
    return taken;
}

int TMessageBox::IndexOf(std::string_view uid) const {
    for (int i = 0; i < GetCount(); ++i)
        if (FItems[static_cast<std::size_t>(i)]->UID == uid) return i;
    return -1;
}

int TMessageBox::IndexOf(const TMBXItem* item) const {
    for (int i = 0; i < GetCount(); ++i)
        if (FItems[static_cast<std::size_t>(i)].get() == item) return i;
    return -1;
}

void TMessageBox::Clear() {
    if (Path.empty()) return;
    for (const auto& item : FItems)
        platform::DeleteFile(item->GetPath());
    FItems.clear();
}

TMBXItem* TMessageBox::AddFile(const std::string& name) {
    const std::string path = platform::ExtractFilePath(Path) + name;
    auto date = platform::FileDateTime(path);
    TMultipartMessage message;
    if (!date || !message.LoadFromFile(path)) return nullptr;
    return Add(message, *date, {});
}

void TMessageBox::Restruct() {
    if (Path.empty()) return;
    FItems.clear();
    for (const std::string& name : platform::FindFiles(platform::ExtractFilePath(Path), ".eml"))
        AddFile(name);
    std::stable_sort(FItems.begin(), FItems.end(),
                     [](const auto& a, const auto& b) { return Compare(*a, *b) < 0; });
}

int TMessageBox::Compare(const TMBXItem& a, const TMBXItem& b) {
    return a.StoredDate < b.StoredDate ? -1 : (b.StoredDate < a.StoredDate ? 1 : 0);
}
