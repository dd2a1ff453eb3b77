#include "net/xoauth2.h"

#include <gtest/gtest.h>

#include "foundation/base64enc.h"

TEST(XOAuth2, TheResponseIsTheBase64OfUserAndBearerTokenWithTheirSeparators) {
    // The example of Google's XOAUTH2 description, checked with Python's base64.
    EXPECT_EQ(
        XOAuth2Response("someuser@example.com", "ya29.vF9dft4qmTc2Nvb3RlckBhdHRhdmlzdGEuY29tCg"),
        "dXNlcj1zb21ldXNlckBleGFtcGxlLmNvbQFhdXRoPUJlYXJlciB5YTI5LnZGOWRmdDRxbVRjMk52YjNSbGNr"
        "QmhkSFJoZG1semRHRXVZMjl0Q2cBAQ==");
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Encode("a"), "YQ==");
    EXPECT_EQ(Base64Encode("ab"), "YWI=");
    EXPECT_EQ(Base64Encode("abc"), "YWJj");
}

TEST(XOAuth2, ChallengesAreDecodedForTheLog) {
    const std::string json =
        R"({"status":"400","schemes":"Bearer","scope":"https://mail.google.com/"})";
    struct {
        const char* Line;
        std::optional<std::string> Text;
    } cases[] = {
        {"+ eyJzdGF0dXMiOiI0MDAiLCJzY2hlbWVzIjoiQmVhcmVyIiwic2NvcGUiOiJodHRwczovL21haWwuZ29vZ2xl"
         "LmNvbS8ifQ==",
         json},
        {"+ eyJzdGF0dXMiOiI0MDAiLCJzY2hlbWVzIjoiQmVhcmVyIiwic2NvcGUiOiJodHRwczovL21haWwuZ29vZ2xl"
         "LmNvbS8ifQ==  \r",
         json},
        {"+", std::string()},
        {"+ ", std::string()},
        {"+ YQpiDWM=", std::string("a b c")}, // line ends never split a log line
        {"+OK signed in", std::nullopt},
        {"-ERR no", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(XOAuth2Challenge(c.Line), c.Text) << c.Line;
    auto longOne = XOAuth2Challenge("+ " + Base64Encode(std::string(5000, 'x')));
    ASSERT_TRUE(longOne);
    EXPECT_LT(longOne->size(), 500u);
}

TEST(XOAuth2, AFailureNamesTheReplyAndTheChallengeButNeverTheToken) {
    EXPECT_EQ(XOAuth2Failure("-ERR Authentication failed.", std::string(R"({"status":"401"})"),
                             "bob", "tok-SECRET"),
              R"(-ERR Authentication failed. ({"status":"401"}))");
    EXPECT_EQ(XOAuth2Failure("-ERR no", std::nullopt, "bob", "tok-SECRET"), "-ERR no");
    // A server that echoes what it got shows none of it.
    const std::string echoes[] = {"tok-SECRET", Base64Encode("tok-SECRET"),
                                  XOAuth2Response("bob", "tok-SECRET")};
    for (const std::string& echo : echoes) {
        std::string text = XOAuth2Failure("-ERR bad " + echo, "got " + echo, "bob", "tok-SECRET");
        EXPECT_EQ(text, "-ERR bad **** (got ****)") << echo;
    }
}

TEST(XOAuth2, CapaMustListTheMechanismInASaslLine) {
    struct {
        const char* Block;
        bool Offers;
    } cases[] = {
        {"+OK\r\nUSER\r\nSASL PLAIN XOAUTH2 OAUTHBEARER\r\nUIDL\r\n.\r\n", true},
        {"+OK\r\nsasl xoauth2\r\n.\r\n", true},
        {"+OK\r\nSASL PLAIN OAUTHBEARER\r\n.\r\n", false},
        {"+OK\r\nUSER\r\nXOAUTH2\r\n.\r\n", false},
        {"+OK\r\nSASL XOAUTH2X\r\n.\r\n", false},
        {"-ERR unknown command\r\n", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CapaOffersSasl(c.Block, "XOAUTH2"), c.Offers) << c.Block;
}
