#include <gtest/gtest.h>

#include <algorithm>

#include "filter/filtertesthelp.h"
#include "learn/learnfilter.h"
#include "learntesthelp.h"
#include "message/multipartmessage.h"
#include "platform/text.h"
#include "tests/support/jistext.h"

namespace {

// A Japanese message in ISO-2022-JP, as Japanese mail is sent.
std::string Japanese(std::string_view subject, std::string_view body) {
    return learntest::Crlf("From: info@shop.example\nSubject: " + std::string(subject) +
                           "\nContent-Type: text/plain; charset=iso-2022-jp\n\n") +
           jistext::Jis(std::string(body)) + "\r\n";
}

double ScoreOf(TLearnFilter& filter, const std::string& text) {
    TMultipartMessage message;
    message.Create(text);
    std::optional<TLearnScore> score = filter.Score(message);
    EXPECT_TRUE(score.has_value());
    return score ? score->Score : -1.0;
}

} // namespace

// A Japanese spam phrase learned once raises the score of a new message that
// holds it, and of no message without it.
TEST(LearnFilter, JapanesePhraseLearnedOnce) {
    TTempFolder folder;
    TLearnFilter filter;
    ASSERT_TRUE(filter.Open(folder.Path));
    for (int i = 0; i < 20; ++i) {
        filter.Learn(Japanese("notice", "会議の資料をお送りします。第" + std::to_string(i) +
                                            "回の議事録です。"),
                     false);
        filter.Learn(
            Japanese("info", "ご注文ありがとうございます。番号" + std::to_string(i) + "です。"),
            false);
    }
    filter.Learn(Japanese("info", "未公開株で簡単に儲かる方法をお教えします。"), true);

    const std::string with = Japanese("hello", "今なら未公開株で儲かる話があります。");
    const std::string without = Japanese("hello", "来週の会議の予定をお知らせします。");
    const double withBefore = ScoreOf(filter, with), withoutBefore = ScoreOf(filter, without);
    filter.Learn(Japanese("special", "未公開株で儲かる！今すぐ登録を。"), true);
    EXPECT_GT(ScoreOf(filter, with), withBefore + 0.1);
    EXPECT_LE(ScoreOf(filter, without), withoutBefore);

    TMultipartMessage message;
    message.Create(with);
    std::optional<TLearnScore> score = filter.Score(message, true);
    ASSERT_TRUE(score.has_value());
    // The phrase's bigrams are among the clues, on the spam side.
    auto clue = std::find_if(score->Clues.begin(), score->Clues.end(), [](const TClue& c) {
        return c.Token == platform::Utf8ToCp932("公開");
    });
    ASSERT_NE(clue, score->Clues.end());
    EXPECT_GT(clue->Probability, 0.9);
}

TEST(LearnFilter, VerdictOnlyWhenTrainedAndOn) {
    TTempFolder folder;
    TLearnFilter filter;
    ASSERT_TRUE(filter.Open(folder.Path));
    learntest::Train(filter, 49);
    TMultipartMessage spam, ham;
    spam.Create(learntest::SpamText(1000));
    ham.Create(learntest::HamText(1000));
    std::string comment;
    EXPECT_FALSE(filter.Trained());
    EXPECT_FALSE(filter.Verdict(spam, comment));
    EXPECT_EQ(comment, "");

    learntest::Train(filter, 50); // the 50th of each class
    ASSERT_TRUE(filter.Trained());
    EXPECT_TRUE(filter.Verdict(spam, comment));
    EXPECT_EQ(comment, "\x8A\x77\x8F\x4B(1.000)"); // 学習(1.000)
    comment.clear();
    EXPECT_FALSE(filter.Verdict(ham, comment));
    EXPECT_EQ(comment, "");

    // The unsure band accepts with a marked comment.
    filter.Settings.SpamThreshold = 1.1;
    filter.Settings.UnsureThreshold = 0.3;
    EXPECT_FALSE(filter.Verdict(spam, comment));
    EXPECT_EQ(comment, "\x8A\x77\x8F\x4B?(1.000)"); // 学習?(1.000)

    filter.Settings = {};
    filter.Settings.Enabled = false;
    comment.clear();
    EXPECT_FALSE(filter.Verdict(spam, comment));
    EXPECT_EQ(comment, "");
}

TEST(LearnFilter, ScoreShowsThreeDecimalsNeverRoundedUp) {
    EXPECT_EQ(FormatScore(0.8999), "0.899");
    EXPECT_EQ(FormatScore(0.9), "0.900");
    EXPECT_EQ(FormatScore(0.99999), "0.999");
    EXPECT_EQ(FormatScore(1.0), "1.000");
    EXPECT_EQ(FormatScore(0.0), "0.000");
}
