#include <gtest/gtest.h>

#include "platform/file.h"
#include "platform/text.h"
#include "store/messagebox.h"
#include "storefixture.h"

class MessagePath : public StoreTest {
protected:
    // The name part of the path MakeMessagePath gives; the file is then created.
    std::string Take(const std::string& subject) {
        std::string path = TMessageBox::MakeMessagePath(dir, subject);
        EXPECT_EQ(platform::ExtractFilePath(path), dir);
        EXPECT_TRUE(platform::WriteFile(path, "x")) << path;
        return platform::ExtractFileName(path);
    }
};

const std::string Untitled = platform::Utf8ToCp932("無題");

TEST_F(MessagePath, NamesMadeFromSubjects) {
    const std::string quotedWrap =
        std::string("'").append(50, 'a').append(" ").append(190, 'b').append("' c");
    struct Case {
        std::string subject, name;
    } cases[] = {
        {"Hello world", "Hello world.eml"},
        {"a/b", "a_b.eml"},
        {"1:2;3*4?5\\6\"7<8>9|", "1_2_3_4_5_6_7_8_9_.eml"},
        {std::string("n\0l\x01\x0f\x10\x11\x1f", 8), std::string("n_l__\x10__.eml")},
        {"\x95\x5c\x83\x7c", "\x95\x5c\x83\x7c.eml"}, // trail bytes 0x5C and 0x7C stay
        {"\x82/x", "\x82_x.eml"},                     // a stray lead byte protects nothing
        // Longer than 240 bytes: cut after the last blank, hyphen or full stop within
        // 240, else after the first one beyond, never inside apostrophes.
        {std::string(230, 'a') + " " + std::string(30, 'b'), std::string(230, 'a') + " .eml"},
        {std::string(100, 'a') + "." + std::string(100, 'b') + "-" + std::string(100, 'c'),
         std::string(100, 'a') + "." + std::string(100, 'b') + "-.eml"},
        {std::string(250, 'a') + "-" + std::string(10, 'b'), std::string(250, 'a') + "-.eml"},
        {quotedWrap, quotedWrap.substr(0, 244) + ".eml"},
        // Never a hidden name: no subject, no break point, leading dots.
        {std::string(300, 'x'), Untitled + ".eml"},
        {"..tmpx", "__tmpx.eml"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Take(c.subject), c.name) << c.subject;
}

TEST_F(MessagePath, TakenNamesGetACounter) {
    EXPECT_EQ(Take("a/b"), "a_b.eml");
    EXPECT_EQ(Take("a/b"), "a_b (2).eml");
    const std::string longName(300, 'x');
    EXPECT_EQ(Take(longName), Untitled + ".eml");
    EXPECT_EQ(Take(longName), Untitled + " (2).eml");
    EXPECT_EQ(Take(""), Untitled + " (3).eml");
    ASSERT_TRUE(platform::ForceDirectories(dir + "d.eml"));
    EXPECT_EQ(Take("d"), "d (2).eml"); // a folder takes the name too
}

// The counter gives the names the plain count from 2 would give: over files
// left by an earlier run, after a name handed out but never written, and
// after the last file was removed.
TEST_F(MessagePath, CounterGivesTheFirstFreeNumber) {
    ASSERT_TRUE(platform::WriteFile(dir + "s.eml", "x"));
    for (int n = 2; n <= 40; ++n)
        ASSERT_TRUE(platform::WriteFile(dir + "s (" + std::to_string(n) + ").eml", "x"));
    EXPECT_EQ(Take("s"), "s (41).eml");
    EXPECT_EQ(Take("s"), "s (42).eml");
    EXPECT_EQ(platform::ExtractFileName(TMessageBox::MakeMessagePath(dir, "s")), "s (43).eml");
    EXPECT_EQ(Take("s"), "s (43).eml"); // the name handed out was not written
    ASSERT_TRUE(platform::DeleteFile(dir + "s (43).eml"));
    EXPECT_EQ(Take("s"), "s (43).eml");
    for (int n = 44; n <= 1100; ++n)
        ASSERT_EQ(Take("s"), "s (" + std::to_string(n) + ").eml");
    EXPECT_EQ(Take("t"), "t.eml"); // other names count on their own
    EXPECT_EQ(Take("t"), "t (2).eml");
}

// A subject of a megabyte whose only break is at its end is cut at once to
// what fits, never a character split.
TEST_F(MessagePath, LongSubjectIsCutToWhatFits) {
    std::string subject;
    for (int i = 0; i < 500000; ++i)
        subject += "\x88\xa0"; // 亜: 3 bytes in UTF-8
    const std::string fits = subject.substr(0, 2 * 83) + ".eml";
    EXPECT_EQ(Take(subject + " re"), fits); // cut after the first break beyond 240 bytes
    EXPECT_EQ(Take("a " + subject + " re"), "a .eml");
    EXPECT_EQ(Take(subject.substr(0, 200) + " " + subject + " re"),
              fits.substr(0, 2 * 82) + " (2).eml");
}

TEST_F(MessagePath, NamesFitTheFileSystemInUtf8) {
    const std::string kana(240, '\xb1'); // half-width katakana: 3 UTF-8 bytes each
    std::string first = Take(kana);
    EXPECT_EQ(first, std::string(83, '\xb1') + ".eml");
    std::string second = Take(kana);
    EXPECT_EQ(second, std::string(82, '\xb1') + " (2).eml");
    for (const std::string& name : {first, second})
        EXPECT_LE(platform::Cp932ToUtf8(name).size(), 255u);
    // Double-byte characters are never split.
    std::string mixed;
    for (int i = 0; i < 90; ++i)
        mixed += "\x88\xa0"; // 亜
    std::string name = Take(mixed);
    EXPECT_EQ(name, mixed.substr(0, 2 * 83) + ".eml");
}

TEST(MessagePathFolder, SeparatorAddedOnlyWhenMissing) {
    EXPECT_EQ(TMessageBox::MakeMessagePath("/nonexistent-mb/x", "s"), "/nonexistent-mb/x/s.eml");
    EXPECT_EQ(TMessageBox::MakeMessagePath("/nonexistent-mb/x/", "s"), "/nonexistent-mb/x/s.eml");
}
