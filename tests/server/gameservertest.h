#pragma once
// The fixture of the game-with-a-server tests: a database of its own with the schema, lab
// machines (GameSeat) sending to it as the game's role, and the server's rows read as its owner
// to compare with what each machine's journal holds.

#include "gameseat.h"
#include "pgcluster.h"
#include "serverrowcheck.h"

#include <QSqlQuery>

namespace gameserver {
/// How long a test lets a machine's sender empty its outbox.
constexpr int kFlushMs = 30000;
/// The refusal of a second attempt, as the fake dialogs note it.
inline const QString kRefusal = QStringLiteral("error: Нельзя дважды отвечать на вопросы теста!");
} // namespace gameserver

class GameServerTest : public pgtest::ServerTest
{
protected:
    void SetUp() override
    {
        pgtest::ServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        initSchema();
        owner = connect(service("owner"));
        ASSERT_TRUE(owner);
    }

    /// A lab machine on the server's game service.
    std::unique_ptr<GameSeat> seat(const QString &machine, int guardWaitMs = 2000)
    {
        auto s = std::make_unique<GameSeat>(machine, service("game"), guardWaitMs);
        s->open();
        return s;
    }

    QStringList server(ServerTable table)
    {
        if (!owner || !owner->database().isOpen() || !QSqlQuery(owner->database()).exec(QStringLiteral("SELECT 1")))
            owner = connect(service("owner")); // a restart of the server cut the old connection
        QSqlDatabase db = owner->database();
        return rowcheck::serverRows(db, table);
    }

    /// Every journal table of a machine equals the server's, once, and its outbox is empty.
    void expectAllSent(GameSeat &s)
    {
        ASSERT_TRUE(s.school->link().flush(gameserver::kFlushMs)) << s.school->link().lastProblem().toStdString();
        for (ServerTable t : {ServerTable::Games, ServerTable::GameEnds, ServerTable::Answers})
            EXPECT_EQ(server(t), rowcheck::journalRows(s.journal->path(), t));
        EXPECT_EQ(rowcheck::outboxRows(s.journal->path()), 0);
    }

    std::unique_ptr<ServerConnection> owner;
};
