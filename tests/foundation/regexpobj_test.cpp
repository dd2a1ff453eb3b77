#include "foundation/regexpobj.h"

#include <gtest/gtest.h>

TEST(RegexpObj, BadPatternNeverMatches) {
    TRegexpObj re("(unclosed");
    EXPECT_FALSE(re.Compiled());
    EXPECT_FALSE(re.ErrorText.empty());
    EXPECT_GT(re.ErrorOffset, 0);
    EXPECT_FALSE(re.Study());
    EXPECT_FALSE(re.Execute("unclosed"));
}

TEST(RegexpObj, CapturesAndSurroundingText) {
    for (bool study : {false, true}) {
        TRegexpObj re("(\\d+)(x)?-(\\w+)", TRegexpObj::Caseless);
        if (study) {
            EXPECT_TRUE(re.Study());
        }
        ASSERT_TRUE(re.Execute("ab 12-cd ef"));
        ASSERT_EQ(re.Captures().size(), 4u); // whole match and every group, matched or not
        EXPECT_EQ(re.Capture(0), "12-cd");
        EXPECT_EQ(re.Capture(1), "12");
        EXPECT_EQ(re.Capture(2), "");
        EXPECT_EQ(re.Capture(3), "cd");
        EXPECT_EQ(re.PreMatch(), "ab ");
        EXPECT_EQ(re.PostMatch(), " ef");
        EXPECT_EQ(re.ResultCount, 4); // highest matched group + 1
    }
}

TEST(RegexpObj, FailedExecuteKeepsThePreviousMatch) {
    TRegexpObj re("b");
    std::string first = "abc", second = "xyz";
    ASSERT_TRUE(re.Execute(first));
    EXPECT_FALSE(re.Execute(second));
    EXPECT_EQ(re.Capture(0), "b");
    EXPECT_EQ(re.PreMatch(), "a");
    EXPECT_EQ(re.PostMatch(), "c");
}

TEST(RegexpObj, OptionBits) {
    EXPECT_FALSE(TRegexpObj("abc").Execute("ABC"));
    EXPECT_TRUE(TRegexpObj("abc", TRegexpObj::Caseless).Execute("ABC"));
    EXPECT_FALSE(TRegexpObj("^b").Execute("a\nb"));
    EXPECT_TRUE(TRegexpObj("^b", TRegexpObj::Multiline).Execute("a\nb"));
    // Subjects are bytes: embedded NUL bytes count, bytes >= 0x80 are not letters.
    EXPECT_TRUE(TRegexpObj("a\\x00b").Execute(std::string_view("a\0b", 3)));
    EXPECT_FALSE(TRegexpObj("\\w").Execute("\x82\xa0"));
}

TEST(RegexpObj, ScanningIdiomTreatsRemainderAsFreshSubject) {
    TRegexpObj re("\\d");
    std::string text = "a1b2";
    std::string_view rest = text;
    std::vector<std::string> found;
    while (re.Execute(rest)) {
        found.push_back(re.Capture(0));
        rest = re.PostMatch();
    }
    EXPECT_EQ(found, (std::vector<std::string>{"1", "2"}));
    // "^" without multiline matches at the start of each remainder.
    TRegexpObj anchored("^x");
    ASSERT_TRUE(anchored.Execute("xx"));
    EXPECT_TRUE(anchored.Execute(anchored.PostMatch()));
}

TEST(RegexpObj, Recompile) {
    TRegexpObj re("a");
    ASSERT_TRUE(re.Execute("a"));
    EXPECT_FALSE(re.Compile("(", 0));
    EXPECT_TRUE(re.Captures().empty());
    EXPECT_TRUE(re.Compile("b", 0));
    EXPECT_TRUE(re.ErrorText.empty());
    EXPECT_EQ(re.Pattern, "b");
    EXPECT_TRUE(re.Execute("b"));
}

TEST(RegexpObj, EscapeMatchesTextLiterally) {
    EXPECT_EQ(TRegexpObj::escape("a.b"), "a\\.b");
    EXPECT_EQ(TRegexpObj::escape(""), "");
    // Every byte of a double-byte character whose trail is not a word byte gets one.
    EXPECT_EQ(TRegexpObj::escape("\x95\x5c"), "\\\x95\\\x5c");
    const std::string texts[] = {"(a+b)*?[x]{2}$^|\\", "\x95\x5c\x83\x7c", std::string("n\0l", 3),
                                 "--==--"};
    for (const std::string& t : texts) {
        TRegexpObj re(TRegexpObj::escape(t));
        ASSERT_TRUE(re.Compiled()) << re.ErrorText;
        std::string subject = "<" + t + ">";
        ASSERT_TRUE(re.Execute(subject));
        EXPECT_EQ(re.Capture(0), t);
    }
}

TEST(RegexpObj, StudyDoesNotChangeResultsOnHardSubjects) {
    // Backtracking-heavy pattern on a long subject: studied and unstudied agree.
    std::string subject(20000, 'a');
    TRegexpObj plain("(a|aa)+b"), studied("(a|aa)+b");
    studied.Study();
    EXPECT_EQ(plain.Execute(subject), studied.Execute(subject));
    TRegexpObj deep("(?:(a)|b)*c");
    deep.Study();
    std::string many(200000, 'a');
    many += 'c';
    EXPECT_TRUE(deep.Execute(many));
}
