#include "learn/learnfilter.h"

#include <cmath>
#include <cstdio>

#include "foundation/md5digest.h"
#include "learn/messagetokens.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "platform/text.h"

namespace {

// Labels of the verdict's comments, CP932.
constexpr const char* kLearnLabel = "\x8A\x77\x8F\x4B";   // 学習
constexpr const char* kUnsureLabel = "\x8A\x77\x8F\x4B?"; // 学習?

} // namespace

std::string FormatScore(double score) {
    char text[16];
    std::snprintf(text, sizeof text, "%.3f", std::floor(score * 1000.0 + 1e-9) / 1000.0);
    return text;
}

bool TLearnFilter::Open(std::string_view programFolder) {
    std::string notice;
    bool opened =
        FDatabase.Open(platform::IncludeTrailingSeparator(programFolder) + FileName, notice);
    if (!notice.empty()) FReports.push_back(notice);
    if (!opened)
        FReports.push_back(platform::Utf8ToCp932("学習ﾃﾞｰﾀﾍﾞｰｽを開けません: ") +
                           FDatabase.GetPath() + " (" + FDatabase.GetLastError() + ")");
    return opened;
}

void TLearnFilter::Failed(std::string_view what) {
    FReports.push_back(platform::Utf8ToCp932("学習ﾃﾞｰﾀﾍﾞｰｽ: ") + std::string(what) + " (" +
                       FDatabase.GetLastError() + ")");
    std::string notice;
    if (FDatabase.IsDamaged() && FDatabase.Renew(notice)) FReports.push_back(notice);
}

TLearnResult TLearnFilter::Learn(std::string_view text, bool spam) {
    TMultipartMessage message;
    message.Create(text);
    return Learn(text, message, spam);
}

TLearnResult TLearnFilter::Learn(std::string_view text, const TMultipartMessage& message,
                                 bool spam) {
    TLearnResult result =
        FDatabase.Learn(TMD5Digest::Digest(text), MessageTokens(message).Hashes, spam);
    if (result == TLearnResult::Failed) Failed(platform::Utf8ToCp932("学習できません"));
    return result;
}

std::optional<TLearnScore> TLearnFilter::Score(const TMultipartMessage& message, bool explain) {
    std::optional<TTokenCounts> totals = FDatabase.MessageCounts();
    TMessageTokens tokens = MessageTokens(message, explain);
    std::vector<TTokenCounts> counts;
    if (!totals || !FDatabase.Lookup(tokens.Hashes, counts)) {
        if (FDatabase.IsOpen()) Failed(platform::Utf8ToCp932("読めません"));
        return std::nullopt;
    }
    std::vector<TClue> clues;
    clues.reserve(counts.size());
    for (std::size_t i = 0; i < counts.size(); ++i)
        clues.push_back({explain ? std::move(tokens.Texts[i]) : std::string(),
                         TokenProbability(counts[i], *totals)});
    SelectClues(clues);
    std::vector<double> probabilities;
    probabilities.reserve(clues.size());
    for (const TClue& clue : clues)
        probabilities.push_back(clue.Probability);
    return TLearnScore{CombineProbabilities(probabilities), std::move(clues)};
}

std::optional<TTokenCounts> TLearnFilter::MessageCounts() {
    return FDatabase.MessageCounts();
}

std::optional<std::int64_t> TLearnFilter::TokenCount() {
    return FDatabase.TokenCount();
}

bool TLearnFilter::Trained() {
    std::optional<TTokenCounts> counts = FDatabase.MessageCounts();
    return counts && counts->Spam >= MinMessages && counts->Ham >= MinMessages;
}

bool TLearnFilter::Verdict(const TMultipartMessage& message, std::string& comment) {
    if (!Settings.Enabled || !Trained()) return false;
    std::optional<TLearnScore> score = Score(message);
    if (!score) return false;
    if (score->Score >= Settings.SpamThreshold) {
        comment = std::string(kLearnLabel) + "(" + FormatScore(score->Score) + ")";
        return true;
    }
    if (score->Score >= Settings.UnsureThreshold)
        comment = std::string(kUnsureLabel) + "(" + FormatScore(score->Score) + ")";
    return false;
}

std::vector<std::string> TLearnFilter::TakeReports() {
    std::vector<std::string> reports;
    reports.swap(FReports);
    return reports;
}
