#pragma once
// What the filter dialog and the tool make of the texts a user types for a
// rule before it is stored. A pattern that does not compile never matches,
// so they say so first.
#include <optional>
#include <string>
#include <string_view>

class TMessageFilterAttach;
class TMessageFilters;

struct TPatternError {
    std::string Text; // the matching library's message (ASCII)
    int Offset = 0;   // characters of the user's text before the point of the error
};

// The keyword of a sender, keyword or header rule; a literal keyword always compiles.
std::optional<TPatternError> KeywordPatternError(std::string_view keyword, bool regular,
                                                 bool caseless);
// The header name of a header rule, a fragment of the header selection pattern.
std::optional<TPatternError> HeaderNamePatternError(std::string_view name);
// The extension of an attachment rule, which is not escaped either.
std::optional<TPatternError> ExtensionPatternError(std::string_view extension);

// The extension of an attachment rule as typed, without the dots a user may
// put before it (".exe" would ask for a second dot in the name).
std::string TypedExtension(std::string_view text);
// The rule of the attachment list whose extension equals this one without
// regard to case, or null.
const TMessageFilterAttach* ListedExtension(const TMessageFilters& list,
                                            std::string_view extension);
