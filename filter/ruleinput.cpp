#include "filter/ruleinput.h"

#include <algorithm>

#include "filter/messagefilterattach.h"
#include "foundation/regexpobj.h"
#include "message/multipartitem.h"
#include "platform/text.h"

namespace {

// The error of a pattern that holds the user's text from byte `lead` on; the
// offset is counted in characters of that text.
std::optional<TPatternError> ErrorOf(std::string_view pattern, int options, std::string_view text,
                                     std::size_t lead) {
    TRegexpObj regexp(pattern, options);
    if (regexp.Compiled()) return std::nullopt;
    const std::size_t offset = static_cast<std::size_t>(regexp.ErrorOffset);
    const std::size_t end = offset < lead ? 0 : std::min(offset - lead, text.size());
    int characters = 0;
    for (std::size_t i = 0; i < end; ++characters)
        i += platform::IsDoubleByteAt(text, i) ? 2 : 1;
    return TPatternError{regexp.ErrorText, characters};
}

} // namespace

std::optional<TPatternError> KeywordPatternError(std::string_view keyword, bool regular,
                                                 bool caseless) {
    if (!regular) return std::nullopt;
    // Compiled as the rule compiles it: by characters, so that a character
    // whose second byte is a backslash is no escape.
    return ErrorOf(keyword, TRegexpObj::Characters | (caseless ? TRegexpObj::Caseless : 0), keyword,
                   0);
}

std::optional<TPatternError> HeaderNamePatternError(std::string_view name) {
    // The name stands where an empty one leaves its colon.
    const std::size_t lead = TMultipartItem::SelectPattern("").find(':');
    return ErrorOf(TMultipartItem::SelectPattern(name),
                   TRegexpObj::Caseless | TRegexpObj::Multiline, name, lead);
}

std::optional<TPatternError> ExtensionPatternError(std::string_view extension) {
    // The extension stands before the final "$".
    const std::size_t lead = TMessageFilterAttach::PatternText("").size() - 1;
    return ErrorOf(TMessageFilterAttach::PatternText(extension),
                   TRegexpObj::Caseless | TRegexpObj::Characters, extension, lead);
}

std::string TypedExtension(std::string_view text) {
    const std::size_t start = text.find_first_not_of('.');
    return std::string(start == std::string_view::npos ? text : text.substr(start));
}

const TMessageFilterAttach* ListedExtension(const TMessageFilters& list,
                                            std::string_view extension) {
    for (int i = 0; i < list.Count(); ++i) {
        auto* rule = dynamic_cast<const TMessageFilterAttach*>(list.Items(i));
        if (rule && platform::SameText(rule->GetExtension(), extension)) return rule;
    }
    return nullptr;
}
