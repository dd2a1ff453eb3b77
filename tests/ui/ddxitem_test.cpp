// The bindings one by one: their input checks with the exact messages, their
// transfer between value and control, and their modification test.
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include "tests/ui/ddxtesthelp.h"
#include "ui/ddxitem.h"
#include "ui/radiogroup.h"

namespace {

struct IntegerCase {
    int minval, maxval;
    const char* text;
    int code;            // 0 accepted
    const char* message; // after the caption
};

class IntegerValidation : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerValidation, MessageAndCode) {
    const IntegerCase& c = GetParam();
    QLineEdit edit;
    TDDXInteger item(Cp("ﾒｰﾙﾁｪｯｸ間隔"), &edit, 5, c.maxval, c.minval);
    edit.setText(c.text);
    std::string msg;
    EXPECT_EQ(item.Validate(msg), c.code == 0);
    EXPECT_EQ(item.GetErrorCode(), c.code);
    EXPECT_EQ(msg, c.code ? Cp("ﾒｰﾙﾁｪｯｸ間隔") + Cp(c.message) : std::string());
}

INSTANTIATE_TEST_SUITE_P(
    Table, IntegerValidation,
    ::testing::Values(IntegerCase{1, 60, "0", 2, "は 1 以上の値を入力してください"},
                      IntegerCase{1, 60, "61", 3, "は 60 以内の値を入力してください"},
                      IntegerCase{1, 60, "abc", 1, "は数値を指定してください"},
                      IntegerCase{1, 60, "", 1, "は数値を指定してください"},
                      IntegerCase{1, 60, " 5", 1, "は数値を指定してください"},
                      IntegerCase{1, 60, "5 ", 1, "は数値を指定してください"},
                      IntegerCase{1, 60, "0x10", 1, "は数値を指定してください"},
                      IntegerCase{1, 60, "+-5", 1, "は数値を指定してください"},
                      IntegerCase{1, 60, "60", 0, ""}, IntegerCase{1, 60, "+1", 0, ""},
                      IntegerCase{0, -1, "65535", 0, ""}, IntegerCase{0, -1, "100000", 0, ""},
                      IntegerCase{0, -1, "-1", 2, "は 0 以上の値を入力してください"},
                      IntegerCase{0, -1, "99999999999", 1, "は数値を指定してください"},
                      IntegerCase{0, 10240, "10241", 3, "は 10240 以内の値を入力してください"}));

TEST(StrictStrToInt, RangeAndForm) {
    struct {
        const char* text;
        bool ok;
        int value;
    } cases[] = {{"0", true, 0},
                 {"-0", true, 0},
                 {"2147483647", true, 2147483647},
                 {"-2147483648", true, -2147483647 - 1},
                 {"2147483648", false, 0},
                 {"-2147483649", false, 0},
                 {"-", false, 0},
                 {"+", false, 0},
                 {"1e3", false, 0},
                 {"１", false, 0}};
    for (const auto& c : cases) {
        int value = 0;
        EXPECT_EQ(StrictStrToInt(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

struct StringCase {
    int minlen, maxlen;
    const char* text;
    const char* message; // empty when accepted
};

class StringValidation : public ::testing::TestWithParam<StringCase> {};

TEST_P(StringValidation, Message) {
    const StringCase& c = GetParam();
    QLineEdit edit;
    TDDXString item(Cp("ｴﾃﾞｨﾀ"), &edit, "", c.maxlen, c.minlen);
    edit.setText(Q(c.text));
    std::string msg;
    const bool accepted = *c.message == 0;
    EXPECT_EQ(item.Validate(msg), accepted);
    EXPECT_EQ(msg, accepted ? std::string() : Cp("ｴﾃﾞｨﾀ") + Cp(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Table, StringValidation,
    ::testing::Values(StringCase{1, 0, "", "は 1 文字以上を入力してください"},
                      StringCase{1, 0, " ", ""}, StringCase{0, 0, "", ""},
                      StringCase{0, 4, "abcd", ""},
                      StringCase{0, 4, "abcde", "は 4 文字以内で入力してください"},
                      // lengths count CP932 bytes: half-width kana one, kanji two
                      StringCase{0, 3, "ｱｲｳ", ""},
                      StringCase{0, 4, "受信箱", "は 4 文字以内で入力してください"},
                      StringCase{3, 0, "受", "は 3 文字以上を入力してください"}));

struct AddressCase {
    const char* text;
    const char* message;
};

class AddressValidation : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressValidation, Message) {
    const AddressCase& c = GetParam();
    QLineEdit edit;
    TDDXIPAddress item(Cp("ﾈｯﾄﾜｰｸｱﾄﾞﾚｽ"), &edit, "0.0.0.0");
    edit.setText(c.text);
    std::string msg;
    const bool accepted = *c.message == 0;
    EXPECT_EQ(item.Validate(msg), accepted);
    EXPECT_EQ(msg, accepted ? std::string() : Cp("ﾈｯﾄﾜｰｸｱﾄﾞﾚｽ") + Cp(c.message));
    EXPECT_EQ(item.GetErrorCode(), 0);
}

const char* const NotAddress = "は 192.168.0.1 のようなIPｱﾄﾞﾚｽを指定してください";
const char* const OctetRange = "の各ｵｸﾃｯﾄは 0～255 の範囲で指定してください";

INSTANTIATE_TEST_SUITE_P(
    Table, AddressValidation,
    ::testing::Values(AddressCase{"192.168.0", NotAddress},
                      AddressCase{"192.168.0.256", OctetRange},
                      AddressCase{"999.1.1.1", OctetRange}, AddressCase{"0.0.0.0", ""},
                      AddressCase{"255.255.255.255", ""}, AddressCase{"1.2.3.4 ", NotAddress},
                      AddressCase{"1234.1.1.1", NotAddress}, AddressCase{"", NotAddress}));

TEST(DDXItem, ValidateCallbackDecidesAfterTheKindsOwnCheck) {
    QLineEdit edit;
    TDDXString item(Cp("件名"), &edit, "", 0, 1);
    item.OnValidate = [](TDDXItem&, bool& result, std::string& msg) {
        result = false;
        msg = "refused";
    };
    std::string msg;
    edit.setText("x");
    EXPECT_FALSE(item.Validate(msg));
    EXPECT_EQ(msg, "refused");
    edit.setText("");
    EXPECT_FALSE(item.Validate(msg));
    EXPECT_EQ(msg, Cp("件名は 1 文字以上を入力してください"));
}

TEST(DDXItem, StringTransfersCp932AndClearsModified) {
    QLineEdit edit;
    TDDXString item(Cp("ｴﾃﾞｨﾀ"), &edit, Cp("/usr/bin/ｴﾃﾞｨﾀ"), 0, 0);
    item.Upload();
    EXPECT_EQ(edit.text(), Q("/usr/bin/ｴﾃﾞｨﾀ"));
    EXPECT_FALSE(item.IsModified());
    QTest::keyClicks(&edit, "x");
    EXPECT_TRUE(item.IsModified());
    item.Download();
    EXPECT_EQ(item.AsString(), Cp("/usr/bin/ｴﾃﾞｨﾀx"));
    EXPECT_FALSE(item.IsModified());
}

TEST(DDXItem, IntegerDownloadKeepsTheValueForText) {
    QLineEdit edit;
    TDDXInteger item("n", &edit, 42, -1, 0);
    item.Upload();
    EXPECT_EQ(edit.text(), "42");
    edit.setText("abc");
    item.Download();
    EXPECT_EQ(item.AsInteger(), 42);
    edit.setText("-7");
    item.Download();
    EXPECT_EQ(item.AsInteger(), -7);
}

TEST(DDXItem, CheckBoxModifiedOnlyWhileItDiffers) {
    QCheckBox box;
    TDDXCheckBox item("c", &box, true);
    item.Upload();
    EXPECT_TRUE(box.isChecked());
    EXPECT_FALSE(item.IsModified());
    box.click();
    EXPECT_TRUE(item.IsModified());
    box.click();
    EXPECT_FALSE(item.IsModified());
    box.setChecked(false);
    item.Download();
    EXPECT_FALSE(item.AsBoolean());
    EXPECT_FALSE(item.IsModified());
}

TEST(DDXItem, RadioButtonFollowsItsValue) {
    QWidget parent;
    QRadioButton button(&parent), other(&parent);
    TDDXRadioButton item("r", &button, true);
    item.Upload();
    EXPECT_TRUE(button.isChecked());
    other.setChecked(true);
    EXPECT_TRUE(item.IsModified());
    item.Download();
    EXPECT_FALSE(item.AsBoolean());
}

TEST(DDXItem, RadioGroupsWithAndWithoutOffset) {
    TRadioGroup group("g", {"a", "b", "c"});
    TDDXRadioGroup plain("g", &group, 2);
    plain.Upload();
    EXPECT_EQ(group.GetItemIndex(), 2);
    plain.SetValue(-1);
    plain.Upload();
    EXPECT_EQ(group.GetItemIndex(), -1);
    EXPECT_FALSE(plain.IsModified());

    TDDXOffsetRadioGroup shifted("g", &group, 3, 2);
    shifted.Upload();
    EXPECT_EQ(group.GetItemIndex(), 1);
    EXPECT_FALSE(shifted.IsModified());
    group.SetItemIndex(0);
    EXPECT_TRUE(shifted.IsModified());
    shifted.Download();
    EXPECT_EQ(shifted.AsInteger(), 2);
    EXPECT_FALSE(shifted.IsModified());
}

} // namespace
