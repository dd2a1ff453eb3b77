#include "filter/messagefilterhtml.h"

#include "message/multipartitem.h"
#include "platform/text.h"

bool TMessageFilterHtml::CheckPart(TMultipartItem* part) {
    return part != nullptr && part->Kind == TMultipartItem::KindText &&
           platform::SameText(part->MimeType, "text/html");
}

bool TMessageFilterBinary::CheckPart(TMultipartItem* part) {
    return part != nullptr && part->Kind == TMultipartItem::KindBinary;
}

bool TMessageFilterMessage::CheckPart(TMultipartItem* part) {
    return part != nullptr && part->Kind == TMultipartItem::KindMessage;
}
