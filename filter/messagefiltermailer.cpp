#include "filter/messagefiltermailer.h"

#include "filter/rulepattern.h"
#include "message/multipartmessage.h"

bool TMessageFilterMailer::Check(TMultipartMessage* message) {
    // The name is a pattern fragment: an alternative of the two names, the
    // colon of the selection belonging to the second only.
    return message != nullptr &&
           Pattern().SearchAny(HeaderValues(&message->GetRoot(), "X-Mailer|X-Library"));
}
