#pragma once
// Part-type tests of the message viewer; never read from or written to a rule
// file. Multipart containers match none of them; the walk reaches their children.
#include "filter/messagefilters.h"

// A text part of type text/html (without regard to case).
class TMessageFilterHtml : public TMessageFilter {
public:
    using TMessageFilter::TMessageFilter;
    bool CheckPart(TMultipartItem* part) override;
};

// A binary part.
class TMessageFilterBinary : public TMessageFilter {
public:
    using TMessageFilter::TMessageFilter;
    bool CheckPart(TMultipartItem* part) override;
};

// An enclosed message.
class TMessageFilterMessage : public TMessageFilter {
public:
    using TMessageFilter::TMessageFilter;
    bool CheckPart(TMultipartItem* part) override;
};
