#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "learn/robinsonfisher.h"

TEST(RobinsonFisher, TokenProbability) {
    const TTokenCounts messages{100, 200};
    EXPECT_DOUBLE_EQ(TokenProbability({0, 0}, messages), 0.5);
    // Seen in as large a share of spam as of ham: no evidence, whatever the counts.
    EXPECT_DOUBLE_EQ(TokenProbability({10, 20}, messages), 0.5);
    // Seen once in spam only: leaning to spam, held back by the unknown weight.
    EXPECT_NEAR(TokenProbability({1, 0}, messages), (0.45 * 0.5 + 1) / 1.45, 1e-12);
    // Often in spam only: near certainty.
    EXPECT_GT(TokenProbability({90, 0}, messages), 0.99);
    EXPECT_LT(TokenProbability({0, 150}, messages), 0.01);
    // Nothing of a class learned yet: its share counts as none.
    EXPECT_GT(TokenProbability({5, 0}, {10, 0}), 0.9);
}

TEST(RobinsonFisher, ChiSquareUpperTail) {
    EXPECT_DOUBLE_EQ(ChiSquareQ(0.0, 4), 1.0);
    // With two degrees of freedom the tail is exp(-x/2).
    EXPECT_NEAR(ChiSquareQ(3.0, 2), std::exp(-1.5), 1e-12);
    // Four degrees: exp(-m)(1 + m).
    EXPECT_NEAR(ChiSquareQ(6.0, 4), std::exp(-3.0) * 4.0, 1e-12);
    // Far in the tail without underflow trouble.
    EXPECT_GE(ChiSquareQ(5000.0, 300), 0.0);
    EXPECT_LT(ChiSquareQ(5000.0, 300), 1e-100);
}

TEST(RobinsonFisher, CombiningAndClues) {
    EXPECT_DOUBLE_EQ(CombineProbabilities({}), 0.5);
    EXPECT_GT(CombineProbabilities(std::vector<double>(20, 0.99)), 0.99);
    EXPECT_LT(CombineProbabilities(std::vector<double>(20, 0.01)), 0.01);
    // Strong evidence both ways is unsure, not a coin toss to one side.
    std::vector<double> mixed(10, 0.99);
    mixed.insert(mixed.end(), 10, 0.01);
    EXPECT_NEAR(CombineProbabilities(mixed), 0.5, 1e-9);
    // Three strong clues alone are no full evidence: unsure at most.
    const double few = CombineProbabilities(std::vector<double>(3, 0.999));
    EXPECT_GT(few, 0.6);
    EXPECT_LT(few, 0.9);
    EXPECT_GT(CombineProbabilities(std::vector<double>(robinson::FullEvidenceClues, 0.999)), 0.99);

    std::vector<TClue> clues{{"mild", 0.6}, {"ham", 0.02}, {"spam", 0.999}, {"edge", 0.95}};
    SelectClues(clues);
    ASSERT_EQ(clues.size(), 3u);
    EXPECT_EQ(clues[0].Token, "spam");
    EXPECT_EQ(clues[1].Token, "ham");
    EXPECT_EQ(clues[2].Token, "edge");
    std::vector<TClue> many(500, TClue{"t", 0.999});
    SelectClues(many);
    EXPECT_EQ(many.size(), robinson::MaxClues);
}
