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

// True when the text holds a control byte (below 0x20, or 0x7F). No field of
// an account may: a CR or LF would split its line of the account file. The
// second byte of a CP932 character is never one.
bool HasControlByte(std::string_view text);
// The message (CP932) that refuses a control byte in the field of caption.
std::string ControlByteMessage(std::string_view caption);

// The message (CP932, beginning with caption) that refuses the trimmed
// name, or nothing when it may be registered. editing is the record being
// edited, whose own name is no duplicate, or null when adding. A control
// byte inside the name is refused (the ends are trimmed). Names that
// differ only in letter case count as duplicates: the name lookups of the
// account list cannot tell them apart.
std::optional<std::string> CheckAccountName(const TPop3AccountList& list, std::string_view name,
                                            const TPop3AccountItemBase* editing,
                                            std::string_view caption);

// "設定名", the caption the account dialog gives the name (CP932).
std::string AccountNameCaption();
