#include "gamestate.h"

#include <gtest/gtest.h>

TEST(PointsLadder, RowsReadExactlyAsOnTheBoard)
{
    const char *rows[] = {nullptr,
                          "  1 -       100",
                          "  2 -       200",
                          "  3 -       300",
                          "  4 -       500",
                          "  5 -     1.000 - 3",
                          "  6 -     2.000",
                          "  7 -     4.000",
                          "  8 -     8.000",
                          "  9 -    16.000",
                          " 10 -    32.000 - 4",
                          " 11 -    64.000",
                          " 12 -   125.000",
                          " 13 -   250.000",
                          " 14 -   500.000",
                          " 15 - 1.000.000 - 5"};
    for (int level = 1; level <= kLevels; ++level)
        EXPECT_EQ(LadderRowText(level), QByteArray(rows[level])) << level;
}

TEST(PointsLadder, PointsDoubleExceptAtThreeFourAndTwelve)
{
    EXPECT_EQ(PointsTable(1), 100);
    EXPECT_EQ(PointsTable(3), 300);
    EXPECT_EQ(PointsTable(4), 500);
    EXPECT_EQ(PointsTable(12), 125000);
    EXPECT_EQ(PointsTable(15), 1000000);
    for (int level = 5; level <= kLevels; ++level) {
        if (level != 12) {
            EXPECT_EQ(PointsTable(level), 2 * PointsTable(level - 1)) << level;
        }
    }
    EXPECT_TRUE(IsMilestone(5));
    EXPECT_TRUE(IsMilestone(10));
    EXPECT_TRUE(IsMilestone(15));
    EXPECT_FALSE(IsMilestone(6));
}

TEST(RemarkCounters, CycleNineAndFourFromZero)
{
    GameState g;
    std::vector<int> remarks;
    std::vector<int> sounds;
    for (int click = 0; click < 10; ++click) {
        AdvanceCounters(g);
        remarks.push_back(g.RemarkIndex);
        sounds.push_back(g.SoundIndex);
    }
    EXPECT_EQ(remarks, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 1}));
    EXPECT_EQ(sounds, (std::vector<int>{1, 2, 3, 4, 1, 2, 3, 4, 1, 2}));
}

TEST(RemarkCounters, ValuesOutsideTheirRowsStartTheCycleAgain)
{
    GameState g;
    g.RemarkIndex = 57;
    g.SoundIndex = -8;
    AdvanceCounters(g);
    EXPECT_EQ(g.RemarkIndex, 1);
    EXPECT_EQ(g.SoundIndex, 1);
}
