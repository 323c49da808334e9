// A shared journal's batch: many games' rows written with one sync. When that sync fails, every
// game's rows in it go where a failed write sends them (straight to the school's server, after
// one note of the failure per game), even the rows of a game whose journal is already gone
// (the class room lets a finished game's journal go in the same request that ended it).

#include "cp1251.h"
#include "gamejournal.h"
#include "journalfiles.h"
#include "outbox.h"
#include "sqlitespy.h"
#include "testutil.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

int answerRows(const QString &folder)
{
    int rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("batch-test"));
        db.setDatabaseName(JournalFilePath(folder, QStringLiteral("КЛАСС")));
        QSqlQuery q(db);
        if (db.open() && q.exec(QStringLiteral("SELECT count(*) FROM answers")) && q.next())
            rows = q.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("batch-test"));
    return rows;
}

/// Games of two students on one shared store, each with its first question on screen and what
/// its journal sends straight to the school's server noted per student.
struct TwoGames {
    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    std::shared_ptr<JournalStore> store;
    std::map<QString, QStringList> sent; // per student: the tables of the rows sent straight
    std::map<QString, std::unique_ptr<GameJournal>> journals;

    explicit TwoGames(const QStringList &students)
    {
        testutil::writeBytes(folder + QStringLiteral("bank.faq"), "[1]\r\n");
        store = std::make_shared<JournalStore>(folder, QStringLiteral("КЛАСС"), [] { return qint64(1000); });
        for (const QString &who : students) {
            auto &journal = journals[who];
            journal = std::make_unique<GameJournal>(store);
            journal->sendUnjournaled([this, who](const QString &table, const TableRow &) { sent[who] << table; });
            journal->gameStarted({"ТЕСТ", *cp1251::encode(who), folder + QStringLiteral("bank.faq")});
            journal->questionShown(question(1));
        }
    }
    static ShownQuestion question(int level) { return {level, 0, "Q|A|B|C|D", "Q", {QByteArray(), "A", "B", "C", "D"}, "1234"}; }
};

} // namespace

TEST(JournalBatch, AFailedSyncSendsEveryGamesRowsOnceNotedEvenOfAJournalGone)
{
    sqlitespy::Spy spy;
    TwoGames two({QStringLiteral("ГОТОВ"), QStringLiteral("ИГРАЕТ")});
    auto &[dir, folder, store, sent, journals] = two;
    ASSERT_EQ(answerRows(folder), 0);

    // The batch's one sync fails; the syncs of closing after it go ahead.
    bool failed = false;
    spy.beforeSync = [&failed](sqlitespy::Kind kind) {
        return kind == sqlitespy::Log && !std::exchange(failed, true) ? SQLITE_IOERR_FSYNC : 0;
    };
    store->beginBatch();
    journals[QStringLiteral("ГОТОВ")]->answered(2); // wrong: the game ends, and its journal goes
    journals[QStringLiteral("ГОТОВ")]->gameEnded(GameEnding::Wrong, 1);
    journals.erase(QStringLiteral("ГОТОВ"));
    journals[QStringLiteral("ИГРАЕТ")]->answered(1);
    EXPECT_TRUE(sent.empty()) << "rows were sent before the batch was written";
    EXPECT_FALSE(store->commitBatch());
    spy.beforeSync = {};

    const QStringList ended{outbox::kJournalFailures, outbox::kAnswers, outbox::kGameEnds, outbox::kResults};
    EXPECT_EQ(sent[QStringLiteral("ГОТОВ")], ended);
    EXPECT_EQ(sent[QStringLiteral("ИГРАЕТ")], (QStringList{outbox::kJournalFailures, outbox::kAnswers}));
    EXPECT_TRUE(store->lastProblem().contains(QStringLiteral("запись ответов"))) << store->lastProblem().toStdString();
    journals.clear();
    store.reset();
    EXPECT_EQ(answerRows(folder), 0);
}

// A batch committed without waiting for the disk (the class server syncs the log on a thread of
// its own): its rows count as written only once the later sync says so. A sync that fails is
// the batch's failure as a failed commit is: every game's rows go straight to the school's
// server once, noted; a sync that succeeds, or one told twice, sends nothing.
TEST(JournalBatch, ABatchSyncedLaterWhoseSyncFailsSendsItsRowsOnceNoted)
{
    TwoGames two({QStringLiteral("ПЕРВЫЙ"), QStringLiteral("ВТОРОЙ")});
    auto &[dir, folder, store, sent, journals] = two;

    store->beginBatch(1);
    journals[QStringLiteral("ПЕРВЫЙ")]->answered(1);
    ASSERT_TRUE(store->commitBatch());
    EXPECT_TRUE(store->unsynced());
    EXPECT_EQ(answerRows(folder), 1) << "the batch's row is not in the log";
    store->logSynced(1, {});
    EXPECT_FALSE(store->unsynced());

    store->beginBatch(2);
    journals[QStringLiteral("ПЕРВЫЙ")]->questionShown(TwoGames::question(2));
    journals[QStringLiteral("ПЕРВЫЙ")]->answered(2);
    journals[QStringLiteral("ВТОРОЙ")]->answered(1);
    ASSERT_TRUE(store->commitBatch());
    EXPECT_TRUE(sent.empty()) << "rows were sent before their sync was told: " << store->lastProblem().toStdString();
    store->logSynced(2, QStringLiteral("ошибка ввода-вывода"));
    store->logSynced(2, QStringLiteral("ошибка ввода-вывода"));
    const QStringList answer{outbox::kJournalFailures, outbox::kAnswers};
    EXPECT_EQ(sent[QStringLiteral("ПЕРВЫЙ")], answer);
    EXPECT_EQ(sent[QStringLiteral("ВТОРОЙ")], answer);
    EXPECT_TRUE(store->lastProblem().contains(QStringLiteral("запись ответов"))) << store->lastProblem().toStdString();
}
