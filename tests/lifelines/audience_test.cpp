#include "audience.h"
#include "randomsource.h"

#include <gtest/gtest.h>

#include <numeric>

TEST(AudienceVotes, FiftyVotesInAll)
{
    SeededRandom random(1);
    for (int correct = 1; correct <= 4; ++correct) {
        const auto votes = AudienceVotes(correct, random);
        EXPECT_EQ(votes[0], 0);
        EXPECT_EQ(std::accumulate(votes.begin(), votes.end(), 0), kAudienceVoters);
    }
}

TEST(AudienceVotes, TheCorrectAnswerGetsTwoFifthsAndEveryOtherOneFifth)
{
    SeededRandom random(99);
    constexpr int kPolls = 4000;
    for (int correct = 1; correct <= 4; ++correct) {
        std::array<double, 5> total{};
        for (int poll = 0; poll < kPolls; ++poll) {
            const auto votes = AudienceVotes(correct, random);
            for (size_t b = 1; b <= 4; ++b)
                total[b] += votes[b];
        }
        // Chi-square with 3 degrees of freedom against 2:1:1:1; 16.27 is its 0.1 % point.
        const double all = double(kPolls) * kAudienceVoters;
        double chi = 0;
        for (int b = 1; b <= 4; ++b) {
            const double expected = all * (b == correct ? 0.4 : 0.2);
            chi += (total[static_cast<size_t>(b)] - expected) * (total[static_cast<size_t>(b)] - expected) / expected;
        }
        EXPECT_LT(chi, 16.27) << "correct answer " << correct;
        EXPECT_NEAR(total[static_cast<size_t>(correct)] / all, 0.4, 0.01);
    }
}

TEST(AudienceBars, FourBarsInTheirColoursWithoutFiftyFifty)
{
    const std::array<int, 5> votes{0, 20, 10, 0, 20};
    const std::array<QString, 5> captions{QString(), QStringLiteral("A. x"), QStringLiteral("B. y"),
                                          QStringLiteral("C. z"), QStringLiteral("D. w")};
    const auto bars = AudienceBars(votes, captions);
    ASSERT_EQ(bars.size(), 4);
    EXPECT_EQ(bars[0].label, QStringLiteral("A"));
    EXPECT_EQ(bars[0].colour, QColor(0xFF, 0x00, 0x00));
    EXPECT_EQ(bars[1].colour, QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(bars[2].label, QStringLiteral("C"));
    EXPECT_EQ(bars[2].votes, 0); // a button with no vote keeps its bar
    EXPECT_EQ(bars[2].colour, QColor(0x00, 0x00, 0xFF));
    EXPECT_EQ(bars[3].colour, QColor(0xFF, 0xFF, 0x00));
    EXPECT_EQ(bars[3].votes, 20);
}

TEST(AudienceBars, BlankedAnswersShowNoBar)
{
    const std::array<int, 5> votes{0, 20, 10, 15, 5};
    const std::array<QString, 5> captions{QString(), QString(), QStringLiteral("B. y"), QString(),
                                          QStringLiteral("D. w")};
    const auto bars = AudienceBars(votes, captions);
    ASSERT_EQ(bars.size(), 2);
    EXPECT_EQ(bars[0].label, QStringLiteral("B"));
    EXPECT_EQ(bars[0].votes, 10);
    EXPECT_EQ(bars[0].colour, QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(bars[1].label, QStringLiteral("D"));
    EXPECT_EQ(bars[1].votes, 5);
    EXPECT_EQ(bars[1].colour, QColor(0xFF, 0xFF, 0x00));
}

TEST(VotesFromAnswers, ThirdsMakeFiftyByTheLargestRemainders)
{
    // Rounded each on its own, three thirds would make 51 votes; cut, 48.
    EXPECT_EQ(VotesFromAnswers({0, 1, 1, 1, 0}), (std::array<int, 5>{0, 17, 17, 16, 0}));
    // 16.67, 14.29, 11.90 and 7.14: the two votes left go to C and A.
    EXPECT_EQ(VotesFromAnswers({0, 7, 6, 5, 3}), (std::array<int, 5>{0, 17, 14, 12, 7}));
}

TEST(VotesFromAnswers, ExactSharesAndNoAnswers)
{
    EXPECT_EQ(VotesFromAnswers({0, 12, 6, 2, 0}), (std::array<int, 5>{0, 30, 15, 5, 0}));
    EXPECT_EQ(VotesFromAnswers({0, 0, 0, 0, 0}), (std::array<int, 5>{}));
}
