#include "store/mbxitem.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "foundation/csvline.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "platform/text.h"
#include "store/messagebox.h"
#include "store/numberitem.h"

namespace {

// The message file's path relative to the box's folder; a file outside
// that folder keeps its full path (and is then not a plain name).
std::string RelativeFileName(const std::string& folder, const std::string& path) {
    if (!folder.empty() && path.size() > folder.size() &&
        path.compare(0, folder.size(), folder) == 0)
        return path.substr(folder.size());
    return path;
}

// The local time as a 64-bit file time, low half first, then the number
// of entries before this one, the name and the size.
std::string MakeUID(int count, std::string_view name, std::int32_t size) {
    std::uint64_t ticks = LocalFileTime();
    char head[48];
    std::snprintf(head, sizeof head, "%08" PRIx32 "%08" PRIx32 ".%d.",
                  static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32),
                  count);
    return std::string(head) + std::string(name) + ",s=" + std::to_string(size);
}

template <typename T>
int Order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

TMBXItem::TMBXItem(TMessageBox* box, std::string_view name, TDateTime storedDate,
                   const TMultipartMessage& message)
    : Parent(box) {
    const TMultipartItem& root = message.GetRoot();
    FileName = RelativeFileName(platform::ExtractFilePath(box->Path), message.Path);
    Size = message.Size;
    Kind = static_cast<std::int8_t>(root.Kind);
    MimeType = SingleLineText(root.MimeType);
    Subject = SingleLineText(message.Subject);
    From = SingleLineText(message.From);
    SentDate = message.SentDate;
    RecvDate = message.GetCountReceived() > 0 ? message.GetReceived(0).Date : Now();
    StoredDate = storedDate;
    UID = MakeUID(box->GetCount(), name, Size);
}

TMBXItem::TMBXItem(TMessageBox* box, std::string_view line) : Parent(box) {
    SetCSV(line);
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

std::string SingleLineText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return out;
}

std::string TMBXItem::GetPath() const {
    if (!IsPlainFileName(FileName)) return {};
    return platform::ExtractFilePath(Parent ? Parent->Path : std::string()) + FileName;
}

std::string TMBXItem::GetCSV(bool fetched) const {
    std::vector<std::string> items{UID,
                                   FileName,
                                   std::to_string(Size),
                                   std::to_string(Kind),
                                   MimeType,
                                   Subject,
                                   From,
                                   DateTimeToStr(SentDate),
                                   DateTimeToStr(RecvDate),
                                   DateTimeToStr(StoredDate),
                                   ServerUID,
                                   Comment};
    if (fetched) {
        items.push_back(FetchedUID);
        items.push_back(FetchedAccount);
    }
    return CSVLineWrite(items);
}

void TMBXItem::SetCSV(std::string_view line) {
    std::vector<std::string> items = CSVLineRead(line);
    std::string* const texts[] = {&UID, &FileName};
    std::string* const headers[] = {&MimeType, &Subject, &From};
    TDateTime* const dates[] = {&SentDate, &RecvDate, &StoredDate};
    std::string* const tail[] = {&ServerUID, &Comment, &FetchedUID, &FetchedAccount};
    std::size_t k = 0;
    auto more = [&] { return k < items.size(); };
    for (std::string* field : texts)
        if (more()) *field = items[k++];
    if (more()) Size = StrToIntDef(items[k++], 0);
    if (more()) Kind = static_cast<std::int8_t>(StrToIntDef(items[k++], 2));
    for (std::string* field : headers)
        if (more()) *field = items[k++];
    for (TDateTime* field : dates) {
        if (!more()) return;
        auto value = StrToDateTime(items[k++]);
        if (!value) return;
        *field = *value;
    }
    for (std::string* field : tail)
        if (more()) *field = items[k++];
}

bool TMBXItem::SetParent(TMessageBox* box, std::string* error) {
    auto fail = [error](std::string reason) {
        if (error) *error = std::move(reason);
        return false;
    };
    if (!Parent || !box || box == Parent) return fail("the entry has no other mailbox to go to");
    if (Parent->IndexOf(this) < 0) return fail("the entry is not in its mailbox");
    const std::string oldPath = GetPath();
    if (oldPath.empty()) return fail("the entry names no file of its folder: " + FileName);
    if (box->Path.empty()) return fail("the mailbox has no folder");
    const std::string newPath =
        TMessageBox::MakeMessagePath(platform::ExtractFilePath(box->Path), Subject);
    std::string reason;
    if (!platform::MoveFile(oldPath, newPath, &reason))
        return fail(oldPath + " -> " + newPath + ": " + reason);
    box->Add(Parent->Extract(this));
    FileName = platform::ExtractFileName(newPath);
    return true;
}

int TMBXItem::CompareSubject(const TMBXItem& other) const {
    return platform::CompareStr(Subject, other.Subject);
}

int TMBXItem::CompareSize(const TMBXItem& other) const {
    return Order(Size, other.Size);
}

int TMBXItem::CompareRecvDate(const TMBXItem& other) const {
    return Order(RecvDate, other.RecvDate);
}
