#pragma once
// Subject rule: the keyword searched in the message's decoded subject.
#include "filter/messagefilterstr.h"

class TMessageFilterSubject : public TMessageFilterStr {
public:
    using TMessageFilterStr::TMessageFilterStr;
    bool Check(TMultipartMessage* message) override;
};
