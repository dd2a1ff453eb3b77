#include "filter/messagefilterhost.h"

#include "message/multipartmessage.h"

bool TMessageFilterHost::Check(TMultipartMessage* message) {
    if (message == nullptr) return false;
    for (int i = 0; i < message->GetCountReceived(); ++i)
        if (Pattern().Search(message->GetReceived(i).Host)) return true;
    return false;
}
