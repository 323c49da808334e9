// The tab keeps up with the class: a game written while the tab is open shows without a
// refresh, and a game that ends later changes from «не закончена» to its ending. Waits are
// bounded waits for the tab's own signal, never sleeps.

#include "analysislab.h"

using namespace analysistest;

namespace {

constexpr int kWaitMs = 10000; // a bound for a loaded machine; a change arrives in a fraction of it

class AnalysisWatch : public AnalysisTest
{
protected:
    QString outcomeOf(const QString &student) const
    {
        const auto *games = child<QTableView>("analysisGames")->model();
        for (int r = 0; r < games->rowCount(); ++r) {
            if (games->index(r, 0).data().toString() == student)
                return games->index(r, 5).data().toString();
        }
        return {};
    }

    /// Waits for refreshes until the student's game shows this outcome, or the bound passes.
    bool waitForOutcome(const QString &student, const QString &outcome)
    {
        QDeadlineTimer deadline(kWaitMs);
        while (outcomeOf(student) != outcome && !deadline.hasExpired())
            refreshed->wait(int(std::max<qint64>(1, deadline.remainingTime())));
        return outcomeOf(student) == outcome;
    }
};

} // namespace

TEST_F(AnalysisWatch, AGameFinishedWhileTheTabIsOpenShowsWithoutARefresh)
{
    window->tabs()->setCurrentWidget(view);
    ASSERT_EQ(child<QTableView>("analysisGames")->model()->rowCount(), 0);
    // The machine's first game makes the journal folder and the journal itself.
    play(QStringLiteral("ПК-1"), QStringLiteral("ИВАНОВ"), {{1, 0, 1, 3000}, {2, 0, 2, 3000}}, GameEnding::Wrong, 2);
    ASSERT_TRUE(waitForOutcome(QStringLiteral("ИВАНОВ"), QStringLiteral("неверный ответ")));
    EXPECT_EQ(child<QTableView>("questionTable")->model()->rowCount(), 2);
}

TEST_F(AnalysisWatch, AGameThatEndsLaterChangesFromUnfinishedToItsEnding)
{
    view->openSources({}); // the window's own tab reads nothing here, and so stirs nothing
    play(QStringLiteral("ПК-1"), QStringLiteral("ИВАНОВ"), {{1, 0, 1, 3000}}, GameEnding::Wrong, 2);
    play(QStringLiteral("ПК-1"), QStringLiteral("ПЕТРОВ"), {{1, 1, 1, 3000}}, std::nullopt);
    // A tab opened on the journals as they are now, while the game goes on.
    AnalysisView tab;
    tab.openSources({folder});
    settle(&tab);
    QSignalSpy tabRefreshed(&tab, &AnalysisView::refreshed);
    // Reading stirs the journal folder (SQLite touches its shared-memory file); that settles
    // first, with nothing new to read, so that only the game's write can bring what follows.
    QSignalSpy settled(tab.findChild<JournalWatch *>(), &JournalWatch::changed);
    settled.wait(kWaitMs);
    EXPECT_EQ(tabRefreshed.count(), 0);
    const auto outcome = [&tab] { return tab.findChild<QTableView *>("analysisGames")->model()->index(1, 5).data().toString(); };
    ASSERT_EQ(outcome(), QStringLiteral("не закончена"));
    // The game writes into the journal it keeps open: only its write-ahead log changes.
    const QuestionFields &q = bank.levels[2][0];
    ShownQuestion shown{2, 0, *cp1251::encode(QuestionLine(q)), *cp1251::encode(q.question), {}, "1234"};
    journal(QStringLiteral("ПК-1")).questionShown(shown);
    journal(QStringLiteral("ПК-1")).gameEnded(GameEnding::Stop, 2);
    ASSERT_TRUE(tabRefreshed.wait(kWaitMs));
    EXPECT_EQ(outcome(), QStringLiteral("остановился"));
}

TEST_F(AnalysisWatch, ReadingTheJournalsAgainWithNothingNewSignalsNothing)
{
    play(QStringLiteral("ПК-1"), QStringLiteral("ИВАНОВ"), {{1, 0, 1, 3000}}, GameEnding::Wrong, 2);
    showTab();
    refreshed->clear();
    view->refresh();
    EXPECT_EQ(refreshed->count(), 0) << "the journals have not changed";
    play(QStringLiteral("ПК-1"), QStringLiteral("ПЕТРОВ"), {{1, 1, 1, 3000}}, GameEnding::Wrong, 2);
    view->refresh();
    ASSERT_TRUE(refreshed->wait(kWaitMs));
    EXPECT_EQ(refreshed->count(), 1);
    EXPECT_EQ(outcomeOf(QStringLiteral("ПЕТРОВ")), QStringLiteral("неверный ответ"));
}
