// Each answer is on the disk before the next question shows (the journal syncs its log at every
// answer), in every game of a run and not only in the first: a game's end is written without a
// sync of its own, and the journal must go back to syncing every answer after it. None of it is
// done on the window's thread: a sync on a busy disk takes tens of milliseconds, which the click
// must not wait. Seen from below, through a spy on SQLite's files.

#include "journalfixture.h"
#include "sqlitespy.h"

namespace {

class JournalSyncs : public JournalFixture
{
protected:
    sqlitespy::Spy spy; // made before the journal opens, so that its connection goes through it
};

} // namespace

TEST_F(JournalSyncs, EveryAnswerOfEveryGameIsSyncedBeforeTheNextQuestionOffTheWindowsThread)
{
    startJournalled();
    // Three games end three ways; the answers of each are watched one by one.
    const QStringList players{QStringLiteral("Первов"), QStringLiteral("Второв"), QStringLiteral("Третьев")};
    for (const QString &player : players) {
        newGame(QStringLiteral("ТЕСТ"), player);
        for (int answer = 1; answer <= 3; ++answer) {
            spy.take();
            const int level = form->Game.CurrentLevel;
            // The host's «are you sure?» takes a click of its own before the answer counts.
            for (int click = 0; click < 2 && form->Game.CurrentLevel == level; ++click)
                answer < 3 ? answerRight() : answerWrong();
            ASSERT_NE(form->Game.CurrentLevel, level);
            const sqlitespy::Tally done = spy.take();
            EXPECT_GE(done[sqlitespy::Log].syncs, 1) << "the answer " << answer << " of " << player.toStdString()
                                                     << " was not synced";
            EXPECT_EQ(done[sqlitespy::OnMakersThread].writes + done[sqlitespy::OnMakersThread].syncs, 0)
                << "the answer " << answer << " of " << player.toStdString() << " was written on the window's thread";
        }
        clock.advance(60000);
    }
    EXPECT_EQ(games().size(), 3);
    EXPECT_EQ(answers().size(), 9);
}
