#pragma once
// The rules an account name must meet before it is registered: the name is
// part of the account's folder name, a field of the account file and part
// of the local POP3 user names ("%tarn%", "%%").
#include <optional>
#include <string>
#include <string_view>

class TPop3AccountList;
class TPop3AccountItemBase;

// The text without leading and trailing blanks and control characters.
std::string TrimAccountName(std::string_view text);

// The message (CP932, beginning with caption) that refuses the trimmed
// name, or nothing when it may be registered. editing is the record being
// edited, whose own name is no duplicate, or null when adding. Names that
// differ only in letter case count as duplicates: the name lookups of the
// account list cannot tell them apart.
std::optional<std::string> CheckAccountName(const TPop3AccountList& list, std::string_view name,
                                            const TPop3AccountItemBase* editing,
                                            std::string_view caption);

// "設定名", the caption the account dialog gives the name (CP932).
std::string AccountNameCaption();
