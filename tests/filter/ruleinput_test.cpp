#include "filter/ruleinput.h"

#include <gtest/gtest.h>

#include "filter/filterrowtext.h"
#include "filter/messagefilterattach.h"
#include "filter/messagefilterbody.h"
#include "filter/messagefilterheader.h"
#include "filter/messagefilterhtml.h"
#include "filter/messagefilterip.h"
#include "filter/messagefiltersender.h"
#include "filter/messagefiltersubject.h"

namespace {

void ExpectError(const std::optional<TPatternError>& error, const char* text, int offset,
                 const char* what) {
    ASSERT_TRUE(error.has_value()) << what;
    EXPECT_EQ(error->Text, text) << what;
    EXPECT_EQ(error->Offset, offset) << what;
}

} // namespace

// The offset counts characters of what the user typed, wherever the text
// stands in the pattern the rule builds.
TEST(RuleInput, NamesTheLibrarysErrorAndWhereInTheUsersText) {
    EXPECT_FALSE(KeywordPatternError("(free|cheap)\\s+pills", true, true));
    EXPECT_FALSE(KeywordPatternError("(((", false, true)); // literal: always compiles
    ExpectError(KeywordPatternError("(abc", true, false), "missing closing parenthesis", 4,
                "keyword");
    // 件名 is two double-byte characters: the error at the end lies 4 characters (6 bytes) in.
    ExpectError(KeywordPatternError("\x8C\x8F\x96\xBC*[", true, true),
                "missing terminating ] for character class", 4, "Japanese keyword");
    ExpectError(KeywordPatternError("a{2,1}", true, true), "numbers out of order in {} quantifier",
                5, "quantifier");
    // 表 ends in the byte of a backslash, which a rule reads as part of the character.
    EXPECT_FALSE(KeywordPatternError("x\x95\x5c", true, true));

    EXPECT_FALSE(HeaderNamePatternError("X-Mailer|X-Library"));
    ExpectError(HeaderNamePatternError("X-(Spam"), "missing closing parenthesis", 7, "header");
    // Found past the name, in the text around it: the end of the name.
    ExpectError(HeaderNamePatternError("X)"), "unmatched closing parenthesis", 2, "header )");

    EXPECT_FALSE(ExtensionPatternError("(com|scr)"));
    EXPECT_FALSE(ExtensionPatternError(""));
    ExpectError(ExtensionPatternError("ex)e"), "unmatched closing parenthesis", 2, "extension");
}

TEST(FilterRowText, EveryKindAsTheDialogShowsIt) {
    const std::string caseless = "\x8B\xE6\x95\xCA\x82\xB5\x82\xC8\x82\xA2"; // 区別しない
    using Row = std::vector<std::string>;
    EXPECT_EQ(FilterRowTexts(TMessageFilterSender(nullptr, false, true, "a@b", true, true)),
              (Row{"Return-Path AND From", "a@b", "No", caseless}));
    EXPECT_EQ(FilterRowTexts(TMessageFilterSender(nullptr, true, false, "x", true, false)),
              (Row{"Return-Path", "x", "Yes", ""}));
    EXPECT_EQ(FilterRowTexts(TMessageFilterSender(nullptr, true, false, "x", false, true))[0],
              "From");
    EXPECT_EQ(FilterRowTexts(TMessageFilterSender(nullptr, true, false, "x", false, false))[0],
              "Return-Path OR From");
    EXPECT_EQ(FilterRowTexts(TMessageFilterSubject(nullptr, true, true, "^\\[ad\\]")),
              (Row{"^\\[ad\\]", "Yes", caseless}));
    EXPECT_EQ(FilterRowTexts(TMessageFilterBody(nullptr, false, false, "pills")),
              (Row{"pills", "No", ""}));
    EXPECT_EQ(FilterRowTexts(TMessageFilterHeader(nullptr, "X-Spam-Flag", false, true, "YES")),
              (Row{"X-Spam-Flag", "YES", "No", caseless}));
    EXPECT_EQ(FilterRowTexts(TMessageFilterIP(nullptr, 0x0A000000u, 0xFF000000u)),
              (Row{"10.0.0.0", "255.0.0.0"}));
    EXPECT_EQ(FilterRowTexts(TMessageFilterAttach(nullptr, "Exe")), (Row{"Exe"}));
    EXPECT_EQ(FilterRowTexts(TMessageFilterHtml(nullptr)), Row{});
}

TEST(RuleInput, TypedExtensionAndTheListedOne) {
    EXPECT_EQ(TypedExtension(".exe"), "exe");
    EXPECT_EQ(TypedExtension("..tar.gz"), "tar.gz");
    EXPECT_EQ(TypedExtension("."), ".");
    TMessageFilters list;
    list.Add(std::make_unique<TMessageFilterAttach>(&list, "Exe"));
    list.Add(std::make_unique<TMessageFilterAttach>(&list, "\x82\x60")); // full-width A
    EXPECT_EQ(ListedExtension(list, "EXE"), list.Items(0));
    EXPECT_EQ(ListedExtension(list, "\x82\x81"), list.Items(1));
    EXPECT_EQ(ListedExtension(list, "ex"), nullptr);
}
