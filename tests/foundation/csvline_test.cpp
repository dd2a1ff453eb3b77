#include "foundation/csvline.h"
#include "foundation/datafile.h"
#include "foundation/stringlist.h"

#include <gtest/gtest.h>

using Items = std::vector<std::string>;

TEST(CSVLine, Writing) {
    struct Case {
        Items items;
        std::string line;
    } cases[] = {
        {{}, ""},
        {{""}, "\"\""},
        {{"a", "b"}, "a,b"},
        {{"a", "", "c"}, "a,,c"},
        {{"a", ""}, "a,"},
        {{"x y"}, "\"x y\""},
        {{"say \"hi\", now"}, "\"say \"\"hi\"\", now\""},
        {{"tab\there"}, "\"tab\there\""},
        // Trail bytes 0x40..0xFC never count as quote, comma or blank.
        {{"\x95\x5c\x83\x7c"}, "\x95\x5c\x83\x7c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSVLineWrite(c.items), c.line);
}

TEST(CSVLine, Reading) {
    struct Case {
        std::string line;
        Items items;
    } cases[] = {
        {"", {}},
        {"   ", {}},
        {"a,b", {"a", "b"}},
        {"a,,b", {"a", "", "b"}},
        {",a", {"", "a"}},
        {"a,", {"a"}},            // a trailing comma adds no item
        {"a b", {"a", "b"}},      // an unquoted blank ends an item
        {"  a ,  b", {"a", "b"}}, // blanks around items are skipped
        {"\"a\"\"b\",c", {"a\"b", "c"}},
        {"\"a\"b", {"a", "b"}}, // text after a closing quote starts a new item
        {"\"open", {"open"}},   // a line ending inside quotes keeps what it has
        {"\"\"", {""}},
        {std::string("a\0,b", 4), {"a"}}, // NUL ends the text
        {"\x95\x5c,\x83\x7c", {"\x95\x5c", "\x83\x7c"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSVLineRead(c.line), c.items) << c.line;
}

TEST(CSVLine, RoundTripOfAwkwardItems) {
    Items items{"subject, with \"quotes\"", "", "pass word", "\x82\xa0\x95\x5c", "a\tb", "z"};
    EXPECT_EQ(CSVLineRead(CSVLineWrite(items)), items);
}

TEST(DataFile, LineEndsAndNul) {
    EXPECT_EQ(SplitDataLines("a\r\nb\nc\rd"), (Items{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitDataLines("a\r\n\r\nb\r\n"), (Items{"a", "", "b"}));
    EXPECT_EQ(SplitDataLines(std::string("a\r\nb\0c\r\nd", 9)), (Items{"a", "b"}));
    EXPECT_EQ(JoinDataLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_TRUE(SplitDataLines("").empty());
}

TEST(StringList, LookupTextAndCommaText) {
    TStringList list;
    list.SetText("UIDL-1\r\nuidl-2\r\n");
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.IndexOf("UIDL-2"), 1);
    EXPECT_EQ(list.IndexOf("missing"), -1);
    EXPECT_EQ(list.GetText(), "UIDL-1\r\nuidl-2\r\n");
    list.SetCommaText("RETR  1");
    EXPECT_EQ(list.Strings, (Items{"RETR", "1"}));
    EXPECT_EQ(list.GetCommaText(), "RETR,1");
    list.Delete(0);
    list.Delete(5);
    EXPECT_EQ(list.Strings, (Items{"1"}));
}

TEST(StringList, FilesLoadAndSave) {
    char tmpl[] = "/tmp/mb-sl-XXXXXX";
    std::string dir = mkdtemp(tmpl);
    TStringList list;
    EXPECT_FALSE(list.LoadFromFile(dir + "/none.txt"));
    EXPECT_EQ(list.GetCount(), 0);
    list.Strings = {"a", "b c"};
    ASSERT_TRUE(list.SaveToFile(dir + "/exclude.txt"));
    TStringList back;
    ASSERT_TRUE(back.LoadFromFile(dir + "/exclude.txt"));
    EXPECT_EQ(back.Strings, list.Strings);
    std::string error;
    EXPECT_FALSE(list.SaveToFile(dir + "/no/such/dir.txt", 0644, &error));
    EXPECT_FALSE(error.empty());
    std::remove((dir + "/exclude.txt").c_str());
    rmdir(dir.c_str());
}
