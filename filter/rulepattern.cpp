#include "filter/rulepattern.h"

#include <charconv>

std::unique_ptr<TRegexpObj> CreateBoundedPattern(std::string_view pattern, int options) {
    auto result = std::make_unique<TRegexpObj>(pattern, options);
    result->SetMatchLimits(RuleMatchLimit, RuleDepthLimit);
    result->SetBudgeted(true);
    result->Study();
    return result;
}

std::unique_ptr<TRegexpObj> CreateRulePattern(std::string_view pattern, int options) {
    return CreateBoundedPattern(pattern, options | TRegexpObj::Characters);
}

TRulePattern::TRulePattern(std::unique_ptr<TRegexpObj> regexp)
    : FRegexp(std::move(regexp)), FMatchesEmpty(FRegexp->Execute("")) {}

TRulePattern TRulePattern::Keyword(std::string_view keyword, bool regular, bool caseless) {
    int options = caseless ? TRegexpObj::Caseless : 0;
    if (regular) return TRulePattern(CreateRulePattern(keyword, options));
    TRulePattern pattern(CreateRulePattern(TRegexpObj::escape(keyword), options));
    pattern.FLiteral.emplace(keyword, caseless);
    return pattern;
}

bool TRulePattern::SearchAny(const std::vector<std::string>& texts) {
    for (const std::string& text : texts)
        if (Search(text)) return true;
    return false;
}

bool ReadFlag(std::string_view field, bool defaultValue) {
    // Leading blanks and a sign, as an integer reader takes them.
    std::size_t start = field.find_first_not_of(" \t");
    if (start == std::string_view::npos) return defaultValue;
    field.remove_prefix(start);
    if (field[0] == '+' || field[0] == '-') field.remove_prefix(1);
    if (field.empty() || field[0] < '0' || field[0] > '9') return defaultValue;
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size()) return defaultValue;
    return value != 0;
}
