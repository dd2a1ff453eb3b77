#include "app/viewerparts.h"

#include <cstdio>

#include "app/listimages.h"
#include "filter/messagefilterhtml.h"
#include "filter/messagefilters.h"
#include "message/multipartmessage.h"
#include "platform/text.h"

TOpenWarning ChooseOpenWarning(TMessageFilters& attach, TMultipartMessage& message) {
    if (attach.Check(&message)) return TOpenWarning::Program;
    if (TMessageFilterHtml(nullptr).Check(&message)) return TOpenWarning::Html;
    if (TMessageFilterBinary(nullptr).Check(&message)) return TOpenWarning::Binary;
    return TOpenWarning::None;
}

int PartImageIndex(TMultipartItem& part, TMessageFilters& attach) {
    if (part.Kind == TMultipartItem::KindBinary)
        return attach.CheckPart(&part) ? ImageFlagged : ImageBinary;
    return RowImageIndex(static_cast<std::int8_t>(part.Kind), part.MimeType);
}

std::string_view SavedContent(const TMultipartItem& part) {
    if (part.Kind == TMultipartItem::KindBinary || part.Kind == TMultipartItem::KindMessage)
        return part.Stream ? std::string_view(*part.Stream) : std::string_view();
    return part.Body;
}

std::string ProposedSaveName(const TMultipartItem& part) {
    return StripFolders(part.FileName.empty() ? part.Name : part.FileName);
}

std::string StripFolders(std::string_view name) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (platform::IsDoubleByteAt(name, i))
            ++i;
        else if (name[i] == '/' || name[i] == '\\')
            start = i + 1;
    }
    std::string out(name.substr(start));
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (platform::IsDoubleByteAt(out, i))
            ++i;
        else if (static_cast<unsigned char>(out[i]) < 0x20 || out[i] == 0x7F)
            out[i] = '_';
    }
    if (out.find_first_not_of(". ") == std::string::npos) out.clear();
    return out;
}

std::string ViewerDateText(TDateTime value) {
    const TDateTimeFields f = DecodeDateTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", f.Year, f.Month, f.Day,
                  f.Hour, f.Minute, f.Second);
    return text;
}
