#include "learn/robinsonfisher.h"

#include <algorithm>
#include <cmath>

double TokenProbability(const TTokenCounts& token, const TTokenCounts& messages) {
    double spamRatio = messages.Spam > 0 ? double(token.Spam) / double(messages.Spam) : 0.0;
    double hamRatio = messages.Ham > 0 ? double(token.Ham) / double(messages.Ham) : 0.0;
    // Counts above the message totals (a database learned by hand) are kept in bounds.
    spamRatio = std::min(spamRatio, 1.0);
    hamRatio = std::min(hamRatio, 1.0);
    if (spamRatio + hamRatio <= 0.0) return robinson::UnknownProbability;
    double p = spamRatio / (spamRatio + hamRatio);
    double n = double(token.Spam + token.Ham);
    return (robinson::UnknownStrength * robinson::UnknownProbability + n * p) /
           (robinson::UnknownStrength + n);
}

double ChiSquareQ(double chi2, int degrees) {
    double m = chi2 / 2.0;
    double term = std::exp(-m);
    double sum = term;
    for (int i = 1; i < degrees / 2; ++i) {
        term *= m / i;
        sum += term;
    }
    return std::min(sum, 1.0);
}

double CombineProbabilities(std::span<const double> probabilities) {
    if (probabilities.empty()) return 0.5;
    double logHam = 0.0, logSpam = 0.0;
    for (double p : probabilities) {
        logHam += std::log(p);
        logSpam += std::log1p(-p);
    }
    int degrees = 2 * static_cast<int>(probabilities.size());
    double spam = 1.0 - ChiSquareQ(-2.0 * logSpam, degrees);
    double ham = 1.0 - ChiSquareQ(-2.0 * logHam, degrees);
    double weight = std::min(1.0, double(probabilities.size()) / robinson::FullEvidenceClues);
    return 0.5 + weight * (spam - ham) / 2.0;
}

void SelectClues(std::vector<TClue>& clues) {
    std::erase_if(clues, [](const TClue& clue) {
        return std::abs(clue.Probability - 0.5) < robinson::MinimumDeviation;
    });
    std::stable_sort(clues.begin(), clues.end(), [](const TClue& a, const TClue& b) {
        return std::abs(a.Probability - 0.5) > std::abs(b.Probability - 0.5);
    });
    if (clues.size() > robinson::MaxClues) clues.resize(robinson::MaxClues);
}
