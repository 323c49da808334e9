#include "gamefixture.h"
#include "illustrationaddresses.h"

#include "counters.h"
#include "randomsource.h"

#include <QLineEdit>
#include <QTextEdit>
#include <QTimer>

#include <map>

TEST(AnswerShuffle, AllTwentyFourOrdersAreEquallyLikely)
{
    SeededRandom random(20261208);
    std::map<QByteArray, int> counts;
    constexpr int kDraws = 48000;
    std::array<int, 5> correctOn{};
    for (int i = 0; i < kDraws; ++i) {
        const QByteArray order = ShuffleAnswers(random);
        ASSERT_EQ(order.size(), 4);
        ++counts[order];
        ++correctOn[static_cast<size_t>(order.indexOf('1') + 1)];
    }
    ASSERT_EQ(counts.size(), 24u);
    // Chi-square with 23 degrees of freedom; 49.7 is its 0.1 % point.
    const double expected = kDraws / 24.0;
    double chi = 0;
    for (const auto &[order, n] : counts)
        chi += (n - expected) * (n - expected) / expected;
    EXPECT_LT(chi, 49.7);
    for (int p = 1; p <= 4; ++p)
        EXPECT_NEAR(correctOn[static_cast<size_t>(p)], kDraws / 4, kDraws / 40) << p;
}

TEST(QuestionLine, NextFieldRepeatsTheLastFieldOfAShortLine)
{
    QByteArray rest = "q|a|b";
    EXPECT_EQ(NextField(rest), "q");
    EXPECT_EQ(NextField(rest), "a");
    EXPECT_EQ(NextField(rest), "b");
    EXPECT_EQ(NextField(rest), "b");
    QByteArray empty;
    EXPECT_EQ(NextField(empty), "");
}

class QuestionSetUp : public GameFixture
{
protected:
    void bankOf(const std::vector<QString> &levelOneLines)
    {
        QByteArray bank = "[1]\r\n";
        for (const QString &line : levelOneLines)
            bank += ScrambleText(*cp1251::encode(line)) + "\r\n";
        for (int level = 2; level <= kLevels; ++level)
            bank += "[" + QByteArray::number(level) + "]\r\n" + ScrambleText("q|a|b|c|d|") + "\r\n";
        testutil::writeBytes(folder + QStringLiteral("lesson.faq"), bank);
        // Level 1 starts at its first line.
        testutil::writeBytes(CounterStoreLocation(), "[OTallory]\r\n1=0\r\n");
    }
};

TEST_F(QuestionSetUp, CaptionsMusicAndTheCorrectButton)
{
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Новиков"));
    EXPECT_TRUE(f.Memo1->toPlainText().startsWith(QStringLiteral("Вопрос 1.")));
    const char *letters[] = {"", "A. ", "B. ", "C. ", "D. "};
    for (int tag = 1; tag <= 4; ++tag)
        EXPECT_TRUE(f.FaqBtn[static_cast<size_t>(tag)]->Caption().startsWith(QLatin1String(letters[tag])));
    EXPECT_EQ(f.Game.CorrectButton, rightButton());
    EXPECT_EQ(f.Game.AnswerTexts[1], testutil::w(u"Верно 1"));
    EXPECT_EQ(f.Game.MusicName, "fon1");
    EXPECT_EQ(f.Game.PhaseLength, 13);
    EXPECT_EQ(f.Timer2->interval(), 1000);
    EXPECT_TRUE(f.Timer2->isActive());
    EXPECT_EQ(f.Edit[1]->text(), QStringLiteral("  1 >       100"));
    EXPECT_EQ(timeline.events.mid(timeline.events.indexOf(QStringLiteral("clip gong to end"))),
              (QStringList{QStringLiteral("clip gong to end"), QStringLiteral("clip fon1 background")}));
}

TEST_F(QuestionSetUp, IllustrationAddresses)
{
    // Each row of the table on a question of its own, then a line without its final "|" (the
    // third wrong answer taken again for the illustration) and one without an illustration.
    std::vector<QString> lines;
    QStringList expected;
    for (const illustrations::Address &row : illustrations::table()) {
        lines.push_back(QStringLiteral("вопрос|a|b|c|d|") + row.reference);
        expected << illustrations::location(row, folder);
    }
    lines.push_back(QStringLiteral("короткая|a|b|c|d"));
    expected << folder + QStringLiteral("d");
    lines.push_back(QStringLiteral("без|a|b|c|d|"));
    bankOf(lines);
    TForm1 &f = startWatched();
    for (size_t i = 0; i < lines.size(); ++i) {
        newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Игрок %1").arg(i + 1));
        const QString reference = lines[i].section(QLatin1Char('|'), 5);
        EXPECT_EQ(f.WebBrowser1->height(), i + 1 < lines.size() ? 240 : 1) << reference.toStdString();
        f.FaqBtn[static_cast<size_t>(f.Game.CorrectButton % 4 + 1)]->Click();
        EXPECT_EQ(f.WebBrowser1->height(), 1);
    }
    EXPECT_EQ(browsed, expected);
}
