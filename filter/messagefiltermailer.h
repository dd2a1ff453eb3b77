#pragma once
// Mailer rule: the keyword searched in the X-Mailer and X-Library headers of
// the message (not of its parts).
#include "filter/messagefilterstr.h"

class TMessageFilterMailer : public TMessageFilterStr {
public:
    using TMessageFilterStr::TMessageFilterStr;
    bool Check(TMultipartMessage* message) override;
};
