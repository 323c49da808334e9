// The school's server going away: what the machines write waits in their journals and reaches
// the server once, in order, when it is back; a start the server could not check is decided by
// the machine's own file and noted for the teacher. And many machines at once lose nothing.

#include "gameservertest.h"
#include "pgcluster.h"
#include "pgproxy.h"
#include "serverrowcheck.h"

#include "journalfiles.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>

namespace {

using gameserver::kFlushMs;
using gameserver::kRefusal;

class ServerOutage : public GameServerTest
{
protected:
    void TearDown() override
    {
        // A test that failed with the server stopped leaves it running for the next.
        pgtest::cluster().start();
    }
};

TEST_F(ServerOutage, AServerStoppedMidLessonGetsEveryRowOnceWhenItIsBack)
{
    auto a = seat(QStringLiteral("kab-1"));
    a->newGame(QStringLiteral("тест"), QStringLiteral("Белов Б.Б."));
    a->answerRight();
    a->answerRight();
    ASSERT_TRUE(a->school->link().flush(kFlushMs));

    ASSERT_EQ(pgtest::cluster().stop(), QString());
    a->answerRight();
    a->answerWrong();
    a->play(QStringLiteral("тест"), QStringLiteral("Чернов Ч.Ч."), 4);
    EXPECT_GT(rowcheck::outboxRows(a->journal->path()), 0);
    EXPECT_FALSE(a->school->link().flush(kFlushMs));
    ASSERT_EQ(pgtest::cluster().start(), QString());

    // Nothing is sent until the machine's next answer or game pokes the sender.
    a->play(QStringLiteral("тест"), QStringLiteral("Зуев З.З."), 2);
    expectAllSent(*a);
    EXPECT_EQ(server(ServerTable::Games).size(), 3);
    EXPECT_EQ(server(ServerTable::Results).size(), 3);
    // The start made while the server was away was let in by the machine's file, and noted.
    const QStringList unchecked = server(ServerTable::UncheckedAttempts);
    ASSERT_EQ(unchecked.size(), 1);
    EXPECT_TRUE(unchecked[0].contains(QStringLiteral(" | ТЕСТ | ЧЕРНОВ Ч.Ч. | kab-1 | ")));
    EXPECT_TRUE(ReadProblemNote(a->folder, QStringLiteral("kab-1")).contains(QStringLiteral("ЧЕРНОВ Ч.Ч.")));
}

TEST_F(ServerOutage, ACommitWhoseReplyIsLostIsSentAgainAndStoredOnce)
{
    pgtest::Proxy proxy{pgtest::cluster().socketDir()};
    ASSERT_TRUE(proxy.error().isEmpty()) << proxy.error().toStdString();
    auto s = std::make_unique<GameSeat>(QStringLiteral("kab-3"), serviceThrough(proxy, "game"));
    s->open();
    s->newGame(QStringLiteral("тест"), QStringLiteral("Орлов О.О."));
    ASSERT_TRUE(s->school->link().flush(kFlushMs)) << s->school->link().lastProblem().toStdString();

    // The server commits the answer's batch; its reply never reaches the machine.
    proxy.cutAfterNextCommit();
    s->answerRight();
    s->answerWrong();
    // The round that lost its reply may still be under way when the flush asks for one more.
    bool sent = false;
    for (int round = 0; round < 3 && !sent; ++round)
        sent = s->school->link().flush(kFlushMs);
    EXPECT_TRUE(sent) << s->school->link().lastProblem().toStdString();
    EXPECT_EQ(proxy.commitCuts(), 1);
    expectAllSent(*s);
    EXPECT_EQ(server(ServerTable::Answers).size(), 2);
    EXPECT_EQ(server(ServerTable::Results).size(), 1);
}

TEST_F(ServerOutage, ARowTheServerRefusesIsSetAsideAndTheRestGoOn)
{
    auto s = seat(QStringLiteral("kab-4"));
    s->newGame(QStringLiteral("тест"), QStringLiteral("Лосев Л.Л."));
    ASSERT_TRUE(s->school->link().flush(kFlushMs));
    {
        // A row no server will ever take (sixteen levels passed) waits before the next answers.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("refused-row"));
        db.setDatabaseName(s->journal->path());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral(
            "INSERT INTO outbox (tbl, payload) VALUES ('results', '[\"0b6f3c1e-2b7a-4c55-9d4e-1f2a3b4c5d6e\", "
            "\"ТЕСТ\", \"ЛОСЕВ Л.Л.\", 16, \"Отлично\", \"kab-4\", \"2026-12-09T07:30:00.000Z\"]')")))
            << q.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("refused-row"));
    s->answerRight();
    s->answerWrong();
    EXPECT_TRUE(s->school->link().flush(kFlushMs)) << s->school->link().lastProblem().toStdString();
    expectAllSent(*s);
    EXPECT_EQ(server(ServerTable::Answers).size(), 2);
    ASSERT_EQ(server(ServerTable::Results).size(), 1);
    EXPECT_FALSE(server(ServerTable::Results)[0].contains(QStringLiteral("0b6f3c1e")));
    EXPECT_TRUE(ReadProblemNote(s->folder, QStringLiteral("kab-4")).contains(QStringLiteral("сервер не принял строку")))
        << ReadProblemNote(s->folder, QStringLiteral("kab-4")).toStdString();
}

TEST_F(ServerOutage, AGuardThatCannotReachTheServerLeavesTheDecisionToTheMachinesFile)
{
    auto a = seat(QStringLiteral("kab-1"));
    a->play(QStringLiteral("тест"), QStringLiteral("Белов Б.Б."), 1);
    ASSERT_EQ(pgtest::cluster().stop(), QString());
    // This machine's record still refuses; a name it has no record of plays.
    a->newGame(QStringLiteral("тест"), QStringLiteral("Белов Б.Б."));
    EXPECT_EQ(a->errors(), QStringList{kRefusal});
    a->play(QStringLiteral("тест"), QStringLiteral("Жуков Ж.Ж."), 1);
    EXPECT_EQ(a->record(QStringLiteral("ТЕСТ"), QStringLiteral("Жуков Ж.Ж.")),
              QStringLiteral("ЖУКОВ Ж.Ж.|0|Неудовлетворительно"));
    EXPECT_TRUE(ReadProblemNote(a->folder, QStringLiteral("kab-1")).contains(QStringLiteral("ЖУКОВ Ж.Ж.")));
    ASSERT_EQ(pgtest::cluster().start(), QString());
    a->play(QStringLiteral("тест"), QStringLiteral("Попов П.П."), 1);
    expectAllSent(*a);
    const QStringList unchecked = server(ServerTable::UncheckedAttempts);
    ASSERT_EQ(unchecked.size(), 1);
    EXPECT_TRUE(unchecked[0].contains(QStringLiteral("ЖУКОВ Ж.Ж.")));
}

TEST_F(ServerOutage, AGuardTheServerDoesNotAnswerInTimeKeepsTheStudentWaitingNoLonger)
{
    auto a = seat(QStringLiteral("kab-1"), 300);
    // The guard's question waits behind a teacher's lock on the results for as long as it lasts.
    QSqlDatabase lockHolder = owner->database();
    ASSERT_TRUE(lockHolder.transaction());
    QSqlQuery lock(lockHolder);
    ASSERT_TRUE(lock.exec(QStringLiteral("LOCK TABLE tallory.results IN ACCESS EXCLUSIVE MODE")));
    QElapsedTimer waited;
    waited.start();
    a->newGame(QStringLiteral("тест"), QStringLiteral("Козлов К.К."));
    EXPECT_LT(waited.elapsed(), 1500);
    EXPECT_EQ(a->form->Game.CurrentLevel, 1);
    ASSERT_TRUE(lockHolder.commit());
    a->answerWrong();
    expectAllSent(*a);
    const QStringList unchecked = server(ServerTable::UncheckedAttempts);
    ASSERT_EQ(unchecked.size(), 1);
    EXPECT_TRUE(unchecked[0].contains(QStringLiteral("не ответил за 300 мс")));
}

TEST_F(ServerOutage, EightMachinesPlayingAtOnceLandEveryRowOnce)
{
    constexpr int kMachines = 8, kGames = 50;
    QTemporaryDir lab;
    std::vector<std::unique_ptr<QProcess>> machines;
    for (int m = 0; m < kMachines; ++m) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QStringLiteral(TALLORY_SERVER_GAME_DRIVER),
                 {service("game"), lab.filePath(QStringLiteral("m%1/").arg(m)), QStringLiteral("kab-%1").arg(m),
                  QString::number(kGames)});
        machines.push_back(std::move(p));
    }
    QStringList journals;
    for (int m = 0; m < kMachines; ++m) {
        QProcess &p = *machines[static_cast<size_t>(m)];
        ASSERT_TRUE(p.waitForFinished(300000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
        journals << JournalFilePath(lab.filePath(QStringLiteral("m%1/").arg(m)), QStringLiteral("kab-%1").arg(m));
        EXPECT_EQ(rowcheck::outboxRows(journals.last()), 0);
    }
    QSqlDatabase db = owner->database();
    EXPECT_EQ(rowcheck::count(db, ServerTable::Games), kMachines * kGames);
    EXPECT_EQ(rowcheck::count(db, ServerTable::Answers), kMachines * kGames * 15);
    EXPECT_EQ(rowcheck::count(db, ServerTable::GameEnds), kMachines * kGames);
    EXPECT_EQ(rowcheck::count(db, ServerTable::Results), kMachines * kGames);
    for (ServerTable t : {ServerTable::Games, ServerTable::GameEnds, ServerTable::Answers}) {
        QStringList all;
        for (const QString &journal : journals)
            all << rowcheck::journalRows(journal, t);
        all.sort();
        EXPECT_EQ(rowcheck::serverRows(db, t), all);
    }
}

} // namespace
