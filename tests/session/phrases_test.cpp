#include "phrases.h"
#include "testutil.h"

#include <gtest/gtest.h>

using testutil::w;

TEST(PhraseTables, RowsAreTheHostsWordsByteForByte)
{
    EXPECT_EQ(CorrectPhrases(1), w(u"П р а в и л ь н о !!!"));
    EXPECT_EQ(CorrectPhrases(9), w(u"И это без сомнений правильный ответ!"));
    EXPECT_EQ(CorrectSounds(3), "ugadal");
    EXPECT_EQ(CorrectSounds(4), "winner");
    EXPECT_EQ(WrongPhrases(3), w(u"Вам нужно учиться, учиться, и еще раз..."));
    EXPECT_EQ(DoubtPhrases(6), w(u"А если хорошенько подумать?"));
    EXPECT_EQ(DoubtPhrases(8), w(u"Вы уверены?"));
    EXPECT_EQ(DoubtPhrases(15), w(u"Ай!"));
    EXPECT_EQ(DoubtPhrases(12), DoubtPhrases(7));
}

TEST(PhraseTables, LookupsOutsideTheRowsGiveNothing)
{
    EXPECT_TRUE(CorrectPhrases(0).isEmpty());
    EXPECT_TRUE(CorrectPhrases(10).isEmpty());
    EXPECT_TRUE(CorrectSounds(5).isEmpty());
    EXPECT_TRUE(WrongPhrases(-1).isEmpty());
    EXPECT_TRUE(DoubtPhrases(5).isEmpty());
    EXPECT_TRUE(DoubtPhrases(16).isEmpty());
    EXPECT_TRUE(FriendNames(15).isEmpty());
}

TEST(PhraseTables, FriendRepliesTakeTheAnswerInQuotes)
{
    EXPECT_EQ(FormatFriendPhrase(1, w(u"Москва")), w(u"Я думаю, \rчто правильный ответ:\r\"Москва\"!"));
    EXPECT_EQ(FormatFriendPhrase(4, w(u"Москва")), w(u"Зря ты мне позвонил,\r       Я ответа не знаю!"));
    EXPECT_EQ(FormatFriendPhrase(2, "%s"), w(u"Правильный ответ: \r  \"%s\",\r    Я это точно знаю!"));
    for (int n = 1; n <= 14; ++n) {
        const QByteArray name = FriendNames(n);
        EXPECT_TRUE(name.endsWith(':')) << n;
        EXPECT_FALSE(name.contains('\r') || name.contains('\n')) << n;
    }
}
