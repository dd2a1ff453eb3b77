#include "store/accountname.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "store/pop3accountlist.h"

TEST(AccountName, Checks) {
    TPop3AccountList list;
    TPop3AccountItem* home = list.Add("home", "u", "p", "h", 110, false, false);
    const std::string caption = AccountNameCaption();
    const std::string tooShort = caption + platform::Utf8ToCp932("は 1 文字以上を入力してください");
    const std::string notAlnum = caption + platform::Utf8ToCp932("は半角英数字を指定してください");
    auto taken = [&](const std::string& name) {
        return caption + platform::Utf8ToCp932("「") + name +
               platform::Utf8ToCp932("」は、すでに登録されています");
    };
    struct Case {
        std::string name;
        const TPop3AccountItemBase* editing;
        std::optional<std::string> message;
    } cases[] = {
        {"", nullptr, tooShort},
        {" \t ", nullptr, tooShort},
        {"a@b", nullptr, notAlnum},
        {"50%", nullptr, notAlnum},
        {"a,b", nullptr, notAlnum},
        {"a\\b", nullptr, notAlnum},
        {"a/b", nullptr, notAlnum},
        {"\x95\x5c", nullptr, std::nullopt}, // 表: its second byte is no backslash
        {"work", nullptr, std::nullopt},
        {" work ", nullptr, std::nullopt},
        {"home", nullptr, taken("home")},
        {" home", nullptr, taken("home")},
        {"HOME", nullptr, taken("HOME")},
        {"home", home, std::nullopt}, // updating without changing the name
        {"a\r\nb", nullptr,
         caption + platform::Utf8ToCp932("に改行やﾀﾌﾞなどの制御文字は使えません")},
        {"a\x7f", nullptr,
         caption + platform::Utf8ToCp932("に改行やﾀﾌﾞなどの制御文字は使えません")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckAccountName(list, c.name, c.editing, caption), c.message) << c.name;
    EXPECT_EQ(caption, platform::Utf8ToCp932("設定名"));
    EXPECT_EQ(TrimAccountName("\r\n name \x01"), "name");
}

TEST(AccountName, ControlBytes) {
    EXPECT_FALSE(HasControlByte("plain text \x81\x40\x83\x7e\xfc\xfc ~"));
    for (const char* text : {"\t", "a\rb", "\n", "\x1f", "\x7f", "\x81"})
        EXPECT_TRUE(HasControlByte(text) == (text[0] != '\x81')) << text;
    EXPECT_TRUE(HasControlByte(std::string_view("a\0b", 3)));
}
