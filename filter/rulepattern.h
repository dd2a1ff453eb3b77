#pragma once
// Patterns and fields of the rules users write.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/regexpobj.h"

// Bounds of one search with a user's pattern. A catastrophic pattern such as
// "(a+)+$" on a long line of "a" stops within milliseconds and counts as no
// match; honest patterns stay far below (a literal search on a 1 MB body
// costs a few hundred backtracking steps per kilobyte at most).
constexpr std::uint32_t RuleMatchLimit = 1000000;
constexpr std::uint32_t RuleDepthLimit = 100000;

// A user's pattern compiled with the options, bounded and studied. A pattern
// that does not compile never matches.
std::unique_ptr<TRegexpObj> CreateRulePattern(std::string_view pattern, int options);
// The pattern of a keyword rule: the keyword itself when it is a regular
// expression, else the keyword escaped so that it matches literally.
std::unique_ptr<TRegexpObj> CreateKeywordPattern(std::string_view keyword, bool regular,
                                                 bool caseless);
// A rule's compiled pattern. Whether it matches an empty text is learnt once,
// so the many empty texts a rule meets (parts without a name) cost no search.
class TRulePattern {
public:
    explicit TRulePattern(std::unique_ptr<TRegexpObj> regexp);

    // True when the pattern is found anywhere in the text.
    bool Search(std::string_view text) {
        return text.empty() ? FMatchesEmpty : FRegexp->Execute(text);
    }
    // True when the pattern is found in one of the texts.
    bool SearchAny(const std::vector<std::string>& texts);

private:
    std::unique_ptr<TRegexpObj> FRegexp;
    bool FMatchesEmpty;
};

// A flag field read as an integer: true when it is not 0; the default when the
// text is not an integer.
bool ReadFlag(std::string_view field, bool defaultValue);
// The flag as its rule-file field.
inline std::string FlagField(bool flag) {
    return flag ? "1" : "0";
}
