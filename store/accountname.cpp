#include "store/accountname.h"

#include "platform/text.h"
#include "store/pop3accountlist.h"

namespace {

bool Blank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

bool HasForbiddenCharacter(std::string_view name) {
    constexpr std::string_view forbidden = "\\/:,;*?\"<>|%@";
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (platform::IsDoubleByteAt(name, i))
            ++i;
        else if (forbidden.find(name[i]) != std::string_view::npos)
            return true;
    }
    return false;
}

bool Registered(const TPop3AccountList& list, std::string_view name,
                const TPop3AccountItemBase* editing) {
    for (int i = 0; i < list.GetCount(); ++i) {
        const TPop3AccountItem* record = list.GetAccounts(i);
        if (record != editing && platform::SameText(record->Name, name)) return true;
    }
    return false;
}

std::string Sjis(std::string_view utf8) {
    return platform::Utf8ToCp932(utf8);
}

} // namespace

std::string TrimAccountName(std::string_view text) {
    while (!text.empty() && Blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && Blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

bool HasControlByte(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

std::string ControlByteMessage(std::string_view caption) {
    return std::string(caption) + Sjis("に改行やﾀﾌﾞなどの制御文字は使えません");
}

std::optional<std::string> CheckAccountName(const TPop3AccountList& list, std::string_view name,
                                            const TPop3AccountItemBase* editing,
                                            std::string_view caption) {
    std::string text = TrimAccountName(name);
    std::string head(caption);
    if (text.empty()) return head + Sjis("は 1 文字以上を入力してください");
    if (HasForbiddenCharacter(text)) return head + Sjis("は半角英数字を指定してください");
    if (HasControlByte(text)) return ControlByteMessage(caption);
    if (Registered(list, text, editing))
        return head + Sjis("「") + text + Sjis("」は、すでに登録されています");
    return std::nullopt;
}

std::string AccountNameCaption() {
    return Sjis("設定名");
}
