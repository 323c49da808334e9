// The lifelines and the game's clock: the chart's ten seconds, the music, and a lifeline pressed
// while the host is still speaking.

#include "lifelinesfixture.h"

#include "pacer.h"
#include "windowsystem.h"

#include <QProperty>
#include <QTest>

using lifelines::runClock;

class LifelineTiming : public LifelinesFixture
{
};

// The chart's ten seconds are counted by the clock the question already runs: asking the
// audience does not start that clock afresh, so the question's second keeps its beat.
TEST_F(LifelineTiming, AskingTheAudienceLeavesTheRunningClockAlone)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Часовщиков"));
    ASSERT_TRUE(f.Timer2->isActive());
    int stopsAndStarts = 0;
    const QPropertyNotifier watch = f.Timer2->bindableActive().addNotifier([&] { ++stopsAndStarts; });
    QTest::keyClick(&f, Qt::Key_F3);
    ASSERT_TRUE(f.Panel2->isVisibleTo(&f));
    EXPECT_TRUE(f.Timer2->isActive());
    EXPECT_EQ(stopsAndStarts, 0);
}

// Teased while the chart is up, the player loses the chart and the music with it: the clock
// stays stopped for the rest of the question, and the next question starts both again.
TEST_F(LifelineTiming, ATeaseWhileTheChartIsUpLeavesTheMusicOffUntilTheNextQuestion)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Дразнилкин"));
    // Eleven answers: the twelfth click of the run is the third remark of a cycle, at level 12.
    for (int i = 0; i < 11; ++i)
        answerRight();
    ASSERT_EQ(f.Game.CurrentLevel, 12);
    QTest::keyClick(&f, Qt::Key_F3);
    ASSERT_TRUE(f.Panel2->isVisibleTo(&f));
    timeline.events.clear();
    answerRight();
    ASSERT_EQ(f.Game.CurrentLevel, 12);
    ASSERT_TRUE(timeline.events.contains(
        QStringLiteral("banner: Возможно я ошибаюсь, но по-моему это не так! [#ffff00 on #0000ff]")))
        << timeline.events.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(f.Panel2->isVisibleTo(&f));

    timeline.events.clear();
    runClock(f.Timer2, 60); // six of the chart's ten-second phases
    EXPECT_TRUE(timeline.events.isEmpty()) << timeline.events.join(QLatin1Char('\n')).toStdString();

    answerRight();
    ASSERT_EQ(f.Game.CurrentLevel, 13);
    timeline.events.clear();
    runClock(f.Timer2, 7);
    EXPECT_EQ(timeline.events, QStringList{QStringLiteral("clip fon3 background")});
}

// A lifeline pressed while the host judges an answer is neither lost nor used on the question
// that is going: it helps with the next one, once the host has finished.
TEST_F(LifelineTiming, FiftyFiftyPressedDuringTheVerdictHelpsWithTheNextQuestion)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Поспешный"));
    // Each wait of the sequence runs the program's own pacing loop, which holds the keys.
    EventLoopPacer held;
    watching.during = [&](int ms) {
        if (ms == 300)
            windowsystem::queueKey(&f, Qt::Key_F5, QString());
        held.wait(1);
    };
    timeline.events.clear();
    answerRight();
    watching.during = nullptr;
    ASSERT_EQ(f.Game.CurrentLevel, 2);
    const QStringList shown = captions();
    EXPECT_EQ(shown.count(QString()), 2) << shown.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(shown[rightButton() - 1].isEmpty());
    const qsizetype nextQuestion = timeline.events.lastIndexOf(QStringLiteral("clip fon1 background"));
    const qsizetype help = timeline.events.indexOf(QStringLiteral("clip 50x50 background"));
    EXPECT_GT(nextQuestion, 0);
    EXPECT_GT(help, nextQuestion) << timeline.events.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(f.N50501->isEnabled());
}
