#include "filter/messagefiltersubject.h"

#include "message/multipartmessage.h"

bool TMessageFilterSubject::Check(TMultipartMessage* message) {
    return message != nullptr && Pattern().Search(message->Subject);
}
