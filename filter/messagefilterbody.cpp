#include "filter/messagefilterbody.h"

#include "message/multipartitem.h"

bool TMessageFilterBody::CheckPart(TMultipartItem* part) {
    return part != nullptr && part->Kind == TMultipartItem::KindText &&
           Pattern().Search(part->Body);
}
