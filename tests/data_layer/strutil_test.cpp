#include "strutil.h"

#include <gtest/gtest.h>

TEST(StringRoutines, RightPartTakesTheTail)
{
    EXPECT_EQ(RightPart("12345", 7), "12345");
    EXPECT_EQ(RightPart("0123456789", 7), "3456789");
    EXPECT_EQ(RightPart("abc", 0), "");
    EXPECT_EQ(RightPart("abc", -2), "");
    EXPECT_EQ(RightPart("", 3), "");
}

TEST(StringRoutines, TailFromKeepsTheRestAfterAPosition)
{
    EXPECT_EQ(TailFrom("a|b", 3), "b");
    EXPECT_EQ(TailFrom("a|", 3), "");
    EXPECT_EQ(TailFrom("abc", 1), "abc");
    EXPECT_EQ(TailFrom("abc", -5), "abc");
    EXPECT_EQ(TailFrom("abc", 4), "");
}

TEST(StringRoutines, PadRightLengthensButNeverShortens)
{
    EXPECT_EQ(PadRight("123", 7, '9'), "1239999");
    EXPECT_EQ(PadRight("12345678", 7, '9'), "12345678");
    EXPECT_EQ(PadRight("", 2, 'x'), "xx");
}

TEST(StringRoutines, FillFromReplacesToTheEnd)
{
    QByteArray s("abcdef");
    FillFrom(s, 4, '*');
    EXPECT_EQ(s, "abc***");
    FillFrom(s, 0, '-');
    EXPECT_EQ(s, "abc***");
    FillFrom(s, 7, '-');
    EXPECT_EQ(s, "abc***");
    FillFrom(s, 1, '-');
    EXPECT_EQ(s, "------");
}

TEST(StringRoutines, TrimRightCharAndAddBackslash)
{
    EXPECT_EQ(TrimRightChar("abc  ", ' '), "abc");
    EXPECT_EQ(TrimRightChar("    ", ' '), "");
    EXPECT_EQ(TrimRightChar("a b", ' '), "a b");
    EXPECT_EQ(AddBackslash("C:\\Exam  "), "C:\\Exam\\");
    EXPECT_EQ(AddBackslash("C:\\Exam\\"), "C:\\Exam\\");
    EXPECT_EQ(AddBackslash(""), "\\");
    EXPECT_EQ(AddBackslash("   "), "\\");
}

TEST(StringRoutines, LargerPicksTheGreater)
{
    EXPECT_EQ(Larger(3, 5), 5);
    EXPECT_EQ(Larger(5, 3), 5);
    EXPECT_EQ(Larger(-1, -1), -1);
}
