#pragma once
// The learning filter: a statistical classifier trained on the user's own ham
// and spam, its counts kept in the database "learn.db" of the program folder.
// It scores a parsed message from 0 (ham) to 1 (spam) and is the verdict's
// step after the nine rule lists.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "learn/learndatabase.h"
#include "learn/robinsonfisher.h"

class TMultipartMessage;

// The settings of the verdict's learning step.
struct TLearnSettings {
    // Off: the step is never taken (learning still counts).
    bool Enabled = true;
    // A score at or above this rejects the message.
    double SpamThreshold = 0.9;
    // A score at or above this (and below SpamThreshold) accepts the message
    // marked as unsure.
    double UnsureThreshold = 0.5;
};

// A message's score with the tokens that decided it, the strongest first.
struct TLearnScore {
    double Score = 0.5;
    std::vector<TClue> Clues;
};

class TLearnFilter {
public:
    static constexpr const char* FileName = "learn.db";
    // Messages of each class learned before the verdict uses the score.
    static constexpr std::int64_t MinMessages = 50;

    // Opens (or makes) programFolder + "learn.db". Problems are kept as reports.
    bool Open(std::string_view programFolder);
    bool IsOpen() const { return FDatabase.IsOpen(); }
    const std::string& GetPath() const { return FDatabase.GetPath(); }

    // Learns a whole message text as spam or ham in one transaction. The
    // message is known by the digest of its text.
    TLearnResult Learn(std::string_view text, bool spam);
    // The same for a message parsed from that text.
    TLearnResult Learn(std::string_view text, const TMultipartMessage& message, bool spam);
    // The score, or nothing when the database cannot be read; with explain
    // the clues carry their token texts.
    std::optional<TLearnScore> Score(const TMultipartMessage& message, bool explain = false);
    std::optional<TTokenCounts> MessageCounts();
    std::optional<std::int64_t> TokenCount();
    // True when enough of each class has been learned for the verdict.
    bool Trained();

    // The verdict's step for a message that no rule list decided: true
    // rejects with comment "学習(score)"; a score in the unsure band accepts
    // with "学習?(score)"; otherwise, untrained or off, the comment stays.
    bool Verdict(const TMultipartMessage& message, std::string& comment);

    // What went wrong since the last call (CP932 lines), for the log.
    std::vector<std::string> TakeReports();

    TLearnSettings Settings;

private:
    // After a failure: a damaged file is set aside and renewed; every
    // failure is reported once.
    void Failed(std::string_view what);

    TLearnDatabase FDatabase;
    std::vector<std::string> FReports;
};

// The score as the comments show it: three decimals, never rounded up to a
// threshold it did not reach ("0.899" stays below 0.9).
std::string FormatScore(double score);
