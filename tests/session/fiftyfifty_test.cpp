#include "fiftyfifty.h"
#include "randomsource.h"

#include <gtest/gtest.h>

#include <deque>

namespace {
// Hands out a fixed sequence of draws, then zeros.
class ScriptedRandom : public RandomSource
{
public:
    explicit ScriptedRandom(std::deque<int> draws) : m_draws(std::move(draws)) {}
    int below(int) override
    {
        if (m_draws.empty())
            return 0;
        const int d = m_draws.front();
        m_draws.pop_front();
        return d;
    }
    std::deque<int> m_draws;
};
} // namespace

TEST(FiftyFifty, NeverBlanksTheCorrectAnswerNorOneButtonTwice)
{
    // Draws (0-based) 3 = D correct, 0 = A, 0 = A again, 3 = D again, 2 = C.
    ScriptedRandom script({3, 0, 0, 3, 2});
    const auto blanked = FiftyFiftyBlanks(4, script);
    EXPECT_EQ(blanked[0], 1);
    EXPECT_EQ(blanked[1], 3);
    EXPECT_TRUE(script.m_draws.empty());
}

TEST(FiftyFifty, WithTheAnswerOnDTheBlanksAreTwoOfABC)
{
    SeededRandom random(7);
    for (int run = 0; run < 500; ++run) {
        const auto b = FiftyFiftyBlanks(4, random);
        EXPECT_NE(b[0], b[1]);
        EXPECT_GE(b[0], 1);
        EXPECT_LE(b[0], 3);
        EXPECT_GE(b[1], 1);
        EXPECT_LE(b[1], 3);
    }
}

TEST(FiftyFifty, EachWrongAnswerSurvivesAThirdOfTheTime)
{
    SeededRandom random(2024);
    for (int correct = 1; correct <= 4; ++correct) {
        std::array<int, 5> survived{};
        constexpr int kRuns = 30000;
        for (int run = 0; run < kRuns; ++run) {
            const auto b = FiftyFiftyBlanks(correct, random);
            for (int k = 1; k <= 4; ++k) {
                if (k != correct && k != b[0] && k != b[1])
                    ++survived[static_cast<size_t>(k)];
            }
        }
        EXPECT_EQ(survived[static_cast<size_t>(correct)], 0);
        // Chi-square with 2 degrees of freedom; 13.82 is its 0.1 % point.
        const double expected = kRuns / 3.0;
        double chi = 0;
        for (int k = 1; k <= 4; ++k) {
            if (k != correct)
                chi += (survived[static_cast<size_t>(k)] - expected) * (survived[static_cast<size_t>(k)] - expected) / expected;
        }
        EXPECT_LT(chi, 13.82) << "correct answer " << correct;
    }
}
