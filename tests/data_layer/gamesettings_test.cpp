#include "gamesettings.h"

#include "testutil.h"

#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

namespace {

struct SettingsCase {
    const char *name;
    const char16_t *ini;
    GameSettings expected;
};

void PrintTo(const SettingsCase &c, std::ostream *os)
{
    *os << c.name;
}

GameSettings with(const std::function<void(GameSettings &)> &change)
{
    GameSettings s;
    change(s);
    return s;
}

const SettingsCase kCases[] = {
    {"NoneNamedGiveTheDefaults", u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n", {}},
    // Names are compared without regard to case, Cyrillic too, and values the same for the words.
    {"EverySettingOfTheGame",
     u"[НАСТРОЙКИ]\r\nведущий=\"host.bmp\"\r\nПОПЫТКА=Строго\r\nзал=КЛАСС\r\nкрупно= 1 \r\n"
     u"[Сервер]\r\nслужба= школа \r\n[1024x768]\r\nОтвет=11\r\n",
     with([](GameSettings &s) {
         s.host = "host.bmp";
         s.strictAttempts = true;
         s.hallIsClass = true;
         s.largePrint = true;
         s.serverService = QStringLiteral("школа");
         s.layout.answerFont = 11;
     })},
    {"OtherWordsAskForNothing", u"[настройки]\r\nПопытка=да\r\nЗал=все\r\nКрупно=2\r\n[800x600]\r\nОтвет=11\r\n", {}},
};

class Settings : public ::testing::TestWithParam<SettingsCase>
{
};

} // namespace

TEST_P(Settings, AreReadAsTheFileSays)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    testutil::writeBytes(folder + QStringLiteral("tallory.ini"), testutil::w(GetParam().ini));
    const GameSettings got = ReadGameSettings(folder, QSize(1024, 768));
    const GameSettings &want = GetParam().expected;
    EXPECT_EQ(got.host, want.host);
    EXPECT_EQ(got.strictAttempts, want.strictAttempts);
    EXPECT_EQ(got.hallIsClass, want.hallIsClass);
    EXPECT_EQ(got.largePrint, want.largePrint);
    EXPECT_EQ(got.serverService, want.serverService);
    EXPECT_EQ(got.layout.answerFont, want.layout.answerFont);
}

INSTANTIATE_TEST_SUITE_P(Table, Settings, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });
