#pragma once
// Body rule: the keyword searched in the decoded text of every text part, at
// every depth; other parts never match.
#include "filter/messagefilterstr.h"

class TMessageFilterBody : public TMessageFilterStr {
public:
    using TMessageFilterStr::TMessageFilterStr;
    bool CheckPart(TMultipartItem* part) override;
};
