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
// that folder keeps its full path.
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
    MimeType = root.MimeType;
    Subject = message.Subject;
    From = message.From;
    SentDate = message.SentDate;
    RecvDate = message.GetCountReceived() > 0 ? message.GetReceived(0).Date : Now();
    StoredDate = storedDate;
    UID = MakeUID(box->GetCount(), name, Size);
}

TMBXItem::TMBXItem(TMessageBox* box, std::string_view line) : Parent(box) {
    SetCSV(line);
}

std::string TMBXItem::GetPath() const {
    if (!FileName.empty() && FileName.front() == '/') return FileName;
    return platform::ExtractFilePath(Parent ? Parent->Path : std::string()) + FileName;
}

std::string TMBXItem::GetCSV() const {
    return CSVLineWrite({UID, FileName, std::to_string(Size), std::to_string(Kind), MimeType,
                         Subject, From, DateTimeToStr(SentDate), DateTimeToStr(RecvDate),
                         DateTimeToStr(StoredDate), ServerUID, Comment});
}

void TMBXItem::SetCSV(std::string_view line) {
    std::vector<std::string> items = CSVLineRead(line);
    std::string* const texts[] = {&UID, &FileName};
    std::string* const headers[] = {&MimeType, &Subject, &From};
    TDateTime* const dates[] = {&SentDate, &RecvDate, &StoredDate};
    std::string* const tail[] = {&ServerUID, &Comment};
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

bool TMBXItem::SetParent(TMessageBox* box) {
    if (!Parent || box == Parent) return false;
    std::string oldPath = GetPath();
    std::unique_ptr<TMBXItem> self = Parent->Extract(this);
    if (!self) return false;
    box->Add(std::move(self));
    std::string newPath =
        TMessageBox::MakeMessagePath(platform::ExtractFilePath(box->Path), Subject);
    FileName = platform::ExtractFileName(newPath);
    return platform::MoveFile(oldPath, GetPath());
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
