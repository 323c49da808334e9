#include "friendcall.h"
#include "phrases.h"
#include "testutil.h"

#include <gtest/gtest.h>

using testutil::w;

namespace {
const std::array<QByteArray, 5> kAnswers{QByteArray(), w(u"Москва"), w(u"Киев"), w(u"Минск"), w(u"Рига")};
} // namespace

TEST(DialNumber, JoinsTheGameSituationAndEndsInNines)
{
    EXPECT_EQ(DialNumber(3, 4, 2, 1, 0), "3421099");
    EXPECT_EQ(DialNumber(12, 7, 4, 9, 8000), "1274989");
    EXPECT_EQ(DialNumber(14, 9, 4, 15, 500000), "1494159");
    EXPECT_EQ(DialNumber(1, 1, 1, 1, 0).size(), 7);
}

TEST(FriendCounters, MoveOnByOneAndWrap)
{
    const FriendCounters first = NextFriendCounters(0, 0);
    EXPECT_EQ(first.friendIndex, 1);
    EXPECT_EQ(first.phraseIndex, 1);
    const FriendCounters wrapped = NextFriendCounters(14, 9);
    EXPECT_EQ(wrapped.friendIndex, 1);
    EXPECT_EQ(wrapped.phraseIndex, 1);
    const FriendCounters beyond = NextFriendCounters(40, 12);
    EXPECT_EQ(beyond.friendIndex, 1);
    EXPECT_EQ(beyond.phraseIndex, 1);
    // A store edited by hand to a negative value starts the cycle again.
    const FriendCounters negative = NextFriendCounters(-5, -1);
    EXPECT_EQ(negative.friendIndex, 1);
    EXPECT_EQ(negative.phraseIndex, 1);
    EXPECT_EQ(NextFriendCounters(9, 8).friendIndex, 10);
    EXPECT_EQ(NextFriendCounters(9, 8).phraseIndex, 9);
}

TEST(FriendCounters, FromAnEmptyStoreTheFifthCallIsTheFirstMisleadingOne)
{
    int f = 0;
    int p = 0;
    int firstMisleading = 0;
    for (int call = 1; call <= 20 && firstMisleading == 0; ++call) {
        const FriendCounters c = NextFriendCounters(f, p);
        f = c.friendIndex;
        p = c.phraseIndex;
        if (f + p == 10)
            firstMisleading = call;
    }
    EXPECT_EQ(firstMisleading, 5);
}

TEST(FriendReply, UsuallyNamesTheCorrectCaptionWithItsLetter)
{
    int phrase = 1;
    const QByteArray reply = FriendReply(3, phrase, 2, w(u"B. Москва"), kAnswers);
    EXPECT_EQ(phrase, 1);
    EXPECT_EQ(reply, FriendNames(3) + '\r' + w(u"Я думаю, \rчто правильный ответ:\r\"B. Москва\"!"));
}

TEST(FriendReply, FriendFivePhraseFiveWithTheAnswerOnCNamesNoAnswer)
{
    int phrase = 5;
    const QByteArray reply = FriendReply(5, phrase, 3, w(u"C. Москва"), kAnswers);
    EXPECT_EQ(phrase, 4);
    EXPECT_EQ(reply, FriendNames(5) + '\r' + FriendPhrases(4));
    EXPECT_TRUE(DialNumber(5, phrase, 3, 2, 100).startsWith("543"));
}

TEST(FriendReply, MisleadingCallNamesTheNextRowsBankAnswerWithoutALetter)
{
    int phrase = 6; // 4 + 6 = 10
    const QByteArray reply = FriendReply(4, phrase, 1, w(u"A. Москва"), kAnswers);
    EXPECT_EQ(phrase, 2);
    EXPECT_EQ(reply, FriendNames(4) + '\r' + FormatFriendPhrase(2, w(u"Киев")));
    // With the answer on D the phrase after it is row 1, and names the correct bank answer.
    phrase = 6;
    EXPECT_EQ(FriendReply(4, phrase, 4, w(u"D. Москва"), kAnswers), FriendNames(4) + '\r' + FormatFriendPhrase(1, w(u"Москва")));
    EXPECT_EQ(phrase, 1);
}
