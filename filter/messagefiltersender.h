#pragma once
// Sender rule: a keyword searched in the Return-Path and From headers of the
// message, combined by two flags. The white and the black sender lists hold it.
#include <memory>
#include <string>
#include <string_view>

#include "filter/messagefilters.h"
#include "filter/rulepattern.h"
#include "foundation/regexpobj.h"

class TMessageFilterSender : public TMessageFilter {
public:
    TMessageFilterSender(TMessageFilters* owner, bool regular, bool caseless, std::string keyword,
                         bool checkReturnPath, bool checkFrom);
    // From the rule line "keyword,regular,caseless[,checkReturnPath,checkFrom]";
    // null when it has fewer than three fields.
    static std::unique_ptr<TMessageFilterSender> FromLine(TMessageFilters* owner,
                                                          std::string_view line);

    void Assign(const TMessageFilter& source) override;
    std::string GetCSV() const override;
    // Both headers are searched; the flags choose: both set R and F, one set
    // that one, neither R or F.
    bool Check(TMultipartMessage* message) override;
    TRulePattern CreateRegexp() const;

    bool GetCheckReturnPath() const { return FCheckReturnPath; }
    bool GetCheckFrom() const { return FCheckFrom; }
    bool GetRegular() const { return FRegular; }
    bool GetCaseless() const { return FCaseless; }
    const std::string& GetKeyword() const { return FKeyword; }

private:
    bool FCheckReturnPath;
    bool FCheckFrom;
    bool FRegular;
    bool FCaseless;
    std::string FKeyword;
    TRulePattern FPattern;
};
