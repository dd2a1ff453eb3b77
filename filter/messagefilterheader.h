#pragma once
// Header rule: the keyword searched in the values of a header the user names,
// in the headers of every part (the MIME headers of attachments included).
#include <memory>
#include <string>
#include <string_view>

#include "filter/messagefilters.h"
#include "filter/rulepattern.h"
#include "foundation/regexpobj.h"

class TMessageFilterHeader : public TMessageFilter {
public:
    // The header name is a pattern fragment matched without regard to case.
    TMessageFilterHeader(TMessageFilters* owner, std::string headerName, bool regular,
                         bool caseless, std::string keyword);
    // From the rule line "header,keyword,regular,caseless"; null when it has
    // fewer than four fields.
    static std::unique_ptr<TMessageFilterHeader> FromLine(TMessageFilters* owner,
                                                          std::string_view line);

    void Assign(const TMessageFilter& source) override;
    std::string GetCSV() const override;
    bool CheckPart(TMultipartItem* part) override;
    TRulePattern CreateRegexp() const;
    std::unique_ptr<TRegexpObj> CreateSelectRegexp() const;

    const std::string& GetHeaderName() const { return FHeaderName; }
    bool GetRegular() const { return FRegular; }
    bool GetCaseless() const { return FCaseless; }
    const std::string& GetKeyword() const { return FKeyword; }

private:
    std::string FHeaderName;
    bool FRegular;
    bool FCaseless;
    std::string FKeyword;
    TRulePattern FPattern;
    // The name is the user's pattern fragment too: its search is bounded alike.
    std::unique_ptr<TRegexpObj> FSelect;
};
