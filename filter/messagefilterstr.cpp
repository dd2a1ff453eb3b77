#include "filter/messagefilterstr.h"

#include "filter/rulepattern.h"
#include "foundation/csvline.h"

TMessageFilterStr::TMessageFilterStr(TMessageFilters* owner, bool regular, bool caseless,
                                     std::string keyword)
    : TMessageFilter(owner), FRegular(regular), FCaseless(caseless), FKeyword(std::move(keyword)),
      FPattern(CreateRegexp()) {}

void TMessageFilterStr::Assign(const TMessageFilter& source) {
    TMessageFilter::Assign(source);
    auto* str = dynamic_cast<const TMessageFilterStr*>(&source);
    if (str == nullptr || str == this) return;
    FRegular = str->FRegular;
    FCaseless = str->FCaseless;
    FKeyword = str->FKeyword;
    FPattern = CreateRegexp();
}

std::string TMessageFilterStr::GetCSV() const {
    return CSVLineWrite({FKeyword, FlagField(FRegular), FlagField(FCaseless)});
}

TRulePattern TMessageFilterStr::CreateRegexp() const {
    return TRulePattern::Keyword(FKeyword, FRegular, FCaseless);
}

bool ReadStrLine(std::string_view line, bool& regular, bool& caseless, std::string& keyword) {
    std::vector<std::string> fields = CSVLineRead(line);
    if (fields.size() < 3) return false;
    keyword = fields[0];
    regular = ReadFlag(fields[1], true);
    caseless = ReadFlag(fields[2], true);
    return true;
}
