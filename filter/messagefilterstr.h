#pragma once
// Common base of the single-keyword rules; the bare kind matches nothing.
#include <memory>
#include <string>
#include <string_view>

#include "filter/messagefilters.h"
#include "filter/rulepattern.h"
#include "foundation/regexpobj.h"

class TMessageFilterStr : public TMessageFilter {
public:
    TMessageFilterStr(TMessageFilters* owner, bool regular, bool caseless, std::string keyword);

    void Assign(const TMessageFilter& source) override;
    // "keyword,regular,caseless"
    std::string GetCSV() const override;
    TRulePattern CreateRegexp() const;

    bool GetRegular() const { return FRegular; }
    bool GetCaseless() const { return FCaseless; }
    const std::string& GetKeyword() const { return FKeyword; }

protected:
    TRulePattern& Pattern() { return FPattern; }

private:
    bool FRegular;
    bool FCaseless;
    std::string FKeyword;
    TRulePattern FPattern;
};

// The fields of a keyword rule line; false when it has fewer than three.
bool ReadStrLine(std::string_view line, bool& regular, bool& caseless, std::string& keyword);

// A keyword rule of kind T read from its line "keyword,regular,caseless", or
// null when the line lacks a field.
template <class T>
std::unique_ptr<T> StrFilterFromLine(TMessageFilters* owner, std::string_view line) {
    bool regular = true, caseless = true;
    std::string keyword;
    if (!ReadStrLine(line, regular, caseless, keyword)) return nullptr;
    return std::make_unique<T>(owner, regular, caseless, std::move(keyword));
}
