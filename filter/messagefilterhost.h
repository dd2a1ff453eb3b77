#pragma once
// Host rule: the keyword searched in the host name of every Received hop.
#include "filter/messagefilterstr.h"

class TMessageFilterHost : public TMessageFilterStr {
public:
    using TMessageFilterStr::TMessageFilterStr;
    bool Check(TMultipartMessage* message) override;
};
