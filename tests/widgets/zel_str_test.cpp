#include "zelstr.h"
#include "testutil.h"

#include <gtest/gtest.h>

using testutil::w;

TEST(ZelStr, StartsEmptyAndKeepsACopyOfTheLines)
{
    TZelStr holder;
    EXPECT_TRUE(holder.Strings().isEmpty());
    QList<QByteArray> lines{w(u"Первая строка"), QByteArray("2"), QByteArray()};
    holder.setStrings(lines);
    lines[0] = "changed";
    lines.append("more");
    ASSERT_EQ(holder.Strings().size(), 3);
    EXPECT_EQ(holder.Strings()[0], w(u"Первая строка"));
    EXPECT_EQ(holder.Strings()[1], QByteArray("2"));
    EXPECT_TRUE(holder.Strings()[2].isEmpty());
}

TEST(ZelStr, SettingAgainReplacesTheWholeList)
{
    QObject owner;
    auto *holder = new TZelStr(&owner);
    holder->setStrings({"a", "b", "c"});
    holder->setStrings({"z"});
    EXPECT_EQ(holder->Strings(), (QList<QByteArray>{"z"}));
}
