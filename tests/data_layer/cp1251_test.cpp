#include "cp1251.h"

#include <gtest/gtest.h>

TEST(Windows1251, RoundTripsRussianText)
{
    const QString text = QStringLiteral("Съешь ещё этих мягких французских булок, Ёж!");
    const auto bytes = cp1251::encode(text);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), text.size());
    EXPECT_EQ(static_cast<unsigned char>(bytes->at(0)), 0xD1); // С
    EXPECT_EQ(cp1251::decode(*bytes), text);
}

TEST(Windows1251, RefusesCharactersOutsideTheCodePage)
{
    EXPECT_FALSE(cp1251::encode(QStringLiteral("Иванов 😀")).has_value());
    EXPECT_FALSE(cp1251::encode(QStringLiteral("Ελλάδα")).has_value());
    EXPECT_EQ(cp1251::firstUnencodable(QStringLiteral("Иванов 😀 ok")), QStringLiteral("😀"));
    EXPECT_EQ(cp1251::firstUnencodable(QStringLiteral("Иванов — «ок» №5")), QString());
}

TEST(Windows1251, UpperCasesCyrillicAndLatin)
{
    EXPECT_EQ(cp1251::upper(cp1251::text(u"тестов т.т. ёж abc")), cp1251::text(u"ТЕСТОВ Т.Т. ЁЖ ABC"));
    EXPECT_EQ(cp1251::upper(cp1251::text(u"алгебра-1")), cp1251::text(u"АЛГЕБРА-1"));
    EXPECT_TRUE(cp1251::equalsNoCase(cp1251::text(u"Настройки"), cp1251::text(u"НАСТРОЙКИ")));
    EXPECT_FALSE(cp1251::equalsNoCase(cp1251::text(u"настройка"), cp1251::text(u"настройки")));
    EXPECT_FALSE(cp1251::equalsNoCase("ab", "abc"));
}
