#pragma once
// Robinson's token probabilities combined with Fisher's chi-square method, as
// the well-known statistical mail filters score: each token gives the degree
// of belief that a message holding it is spam, drawn towards "unknown" while
// the token has been seen in few messages; the strongest beliefs of a message
// are combined into two chi-square tests (is the evidence for spam, and for
// ham, more than chance?) whose difference is the score.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace robinson {

// Belief given to a token seen in no message, and the weight of that belief
// in messages (s and x of Robinson's formula).
constexpr double UnknownProbability = 0.5;
constexpr double UnknownStrength = 0.45;
// Tokens whose belief lies closer than this to 0.5 are left out as noise: only
// tokens below 0.1 or above 0.9 count. Milder ones (words of commerce that
// newsletters share with spam) made wanted newsletters spam on the SpamAssassin
// corpus (bench/learn_vs_bogofilter.sh) at the default threshold.
constexpr double MinimumDeviation = 0.4;
// The strongest tokens of a message that are combined.
constexpr std::size_t MaxClues = 150;
// Clues that make full evidence: a score from fewer is drawn towards 0.5 in
// proportion, so that a message the filter knows almost nothing of (three
// tokens of a short note) is at most unsure, never rejected.
constexpr std::size_t FullEvidenceClues = 8;

} // namespace robinson

// In how many learned messages of each class a token stood.
struct TTokenCounts {
    std::int64_t Spam = 0;
    std::int64_t Ham = 0;
};

// Robinson's f(w): the belief, between 0 and 1, that a message with the token
// is spam, given the numbers of spam and ham messages learned.
double TokenProbability(const TTokenCounts& token, const TTokenCounts& messages);

// The probability that a chi-square variable with the even number of degrees
// of freedom is at least chi2 (the upper tail, in closed form).
double ChiSquareQ(double chi2, int degrees);

// Fisher's combining of token beliefs: 0 ham, 1 spam, 0.5 no evidence either
// way (also when there are no beliefs, or both sides are strong: unsure).
// Fewer than FullEvidenceClues beliefs weigh less (see there).
double CombineProbabilities(std::span<const double> probabilities);

// One token of a message with its belief, for the score and its explanation
// (the token's text only when asked for).
struct TClue {
    std::string Token;
    double Probability = 0.5;
};

// Keeps the clues that lie at least MinimumDeviation away from 0.5, the
// strongest first (ties in token order), at most MaxClues of them.
void SelectClues(std::vector<TClue>& clues);
