#pragma once
// Patterns and fields of the rules users write.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "filter/literalsearch.h"
#include "foundation/regexpobj.h"

// Bounds of one search with a user's pattern (a tenth of the library's
// defaults). A catastrophic pattern such as "(a+)+$" on a long line of "a"
// stops within milliseconds and counts as no match; honest patterns such as
// ".*prize" or "(free|cheap)\s+pills" on a 100 KB line stay far below.
constexpr std::uint32_t RuleMatchLimit = 1000000;
constexpr std::uint32_t RuleDepthLimit = 100000;

// A pattern with a user's part compiled with the options, bounded and
// studied. A pattern that does not compile never matches.
std::unique_ptr<TRegexpObj> CreateBoundedPattern(std::string_view pattern, int options);
// A user's pattern for the text a rule tests: bounded, and matching CP932
// text by characters (TRegexpObj::Characters).
std::unique_ptr<TRegexpObj> CreateRulePattern(std::string_view pattern, int options);
// A rule's compiled pattern. Whether a pattern matches an empty text is
// learnt once, so the many empty texts a rule meets (parts without a name)
// cost no search.
class TRulePattern {
public:
    // A pattern searched as it stands.
    explicit TRulePattern(std::unique_ptr<TRegexpObj> regexp);
    // A keyword rule: the keyword is the pattern when it is a regular
    // expression; otherwise it matches literally (as the keyword escaped
    // would). Either matches by characters.
    static TRulePattern Keyword(std::string_view keyword, bool regular, bool caseless);

    // True when the pattern is found anywhere in the text. The matcher's
    // searches draw on the thread's current match budget. A literal keyword
    // is looked for directly in short texts, where the matcher's cost per
    // call dominates (a cost that needs no budget); the matcher's scan is
    // faster on long ones.
    bool Search(std::string_view text) {
        if (FLiteral && text.size() <= ShortText) return FLiteral->Find(text);
        return text.empty() ? FMatchesEmpty : FRegexp->Execute(text);
    }
    // True when the pattern is found in one of the texts.
    bool SearchAny(const std::vector<std::string>& texts);

private:
    static constexpr std::size_t ShortText = 512;

    std::unique_ptr<TRegexpObj> FRegexp;
    std::optional<TLiteralSearch> FLiteral;
    bool FMatchesEmpty = false;
};

// A flag field read as an integer: true when it is not 0; the default when the
// text is not an integer.
bool ReadFlag(std::string_view field, bool defaultValue);
// The flag as its rule-file field.
inline std::string FlagField(bool flag) {
    return flag ? "1" : "0";
}
