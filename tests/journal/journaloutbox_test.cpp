// The outbox a journal keeps for the school's server: each journal row and its copy for the
// server in one transaction, in the server's column order; none at all where no server is named.

#include "journalfixture.h"

#include "outbox.h"
#include "serverrows.h"

#include <QSqlQuery>

namespace {

class JournalOutbox : public JournalFixture
{
protected:
    /// Runs a statement on the journal through a connection of the test's own; the first
    /// value of its first row.
    QVariant sql(const QString &statement)
    {
        QVariant value;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("outboxtest"));
            db.setDatabaseName(journalPath());
            EXPECT_TRUE(db.open());
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(statement)) << statement.toStdString();
            if (q.next())
                value = q.value(0);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("outboxtest"));
        return value;
    }

    /// The outbox as "table: values", in seq order.
    QStringList queued()
    {
        QStringList rows;
        const QString all = sql(QStringLiteral("SELECT group_concat(tbl || ' ' || payload, char(10)) FROM "
                                               "(SELECT tbl, payload FROM outbox ORDER BY seq)")).toString();
        for (const QString &row : all.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            rows << row;
        return rows;
    }

    int pokes = 0;
};

TEST_F(JournalOutbox, WithoutAServerTheJournalHasNoOutbox)
{
    startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Петров П.П."));
    answerWrong();
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'outbox'")).toInt(), 0);
    EXPECT_EQ(sql(QStringLiteral("PRAGMA user_version")).toInt(), 1);
}

TEST_F(JournalOutbox, EveryRowIsQueuedInTheServersColumnOrderAndTheSenderPoked)
{
    journal->keepOutbox([this] { ++pokes; });
    startJournalled();
    newGame(QStringLiteral("тест"), QStringLiteral("Петров П.П."));
    clock.advance(5000);
    answerRight();
    answerWrong();
    EXPECT_EQ(sql(QStringLiteral("PRAGMA user_version")).toInt(), 1);
    const QStringList rows = queued();
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(pokes, 4); // the start, two answers, the end
    const QString id = games().value(0).id;
    EXPECT_TRUE(rows[0].startsWith(QStringLiteral("games [\"%1\",\"ТЕСТ\",\"ПЕТРОВ П.П.\",\"ПК-7\",").arg(id)));
    EXPECT_TRUE(rows[0].endsWith(QStringLiteral(",\"2026-03-02T09:00:00.000Z\"]")));
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("answers [\"%1\",1,").arg(id)));
    EXPECT_TRUE(rows[1].contains(QStringLiteral(",\"Верно 1\",")));
    EXPECT_TRUE(rows[1].contains(QStringLiteral(",1,5000,null,null,null,null,null,null,null]")));
    EXPECT_TRUE(rows[2].startsWith(QStringLiteral("answers [\"%1\",2,").arg(id)));
    EXPECT_EQ(rows[3], QStringLiteral("game_ends [\"%1\",\"2026-03-02T09:00:05.000Z\",\"wrong\",1,"
                                      "\"Неудовлетворительно\"]").arg(id));
    EXPECT_EQ(rows[4], QStringLiteral("results [\"%1\",\"ТЕСТ\",\"ПЕТРОВ П.П.\",1,\"Неудовлетворительно\",\"ПК-7\","
                                      "\"2026-03-02T09:00:05.000Z\"]").arg(id));
    // Each payload has one value per server column.
    const auto ends = OutboxValues(rows[3].mid(rows[3].indexOf(QLatin1Char(' ')) + 1));
    ASSERT_TRUE(ends);
    EXPECT_EQ(ends->size(), ServerColumns(ServerTable::GameEnds).size());
    EXPECT_EQ(OutboxValues(rows[1].mid(8))->size(), ServerColumns(ServerTable::Answers).size());
}

TEST_F(JournalOutbox, AnAnswerWhoseCopyCannotBeQueuedIsNotWrittenEither)
{
    startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Первый"));
    answerWrong();
    // An outbox that takes every row but an answer.
    sql(QStringLiteral("CREATE TABLE outbox (seq INTEGER PRIMARY KEY AUTOINCREMENT, tbl TEXT NOT NULL, "
                       "payload TEXT NOT NULL CHECK (tbl <> 'answers'))"));
    journal->keepOutbox([] {});
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Второй"));
    answerWrong();
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM answers a JOIN games g ON g.id = a.game "
                                 "WHERE g.student = 'ВТОРОЙ'")).toInt(), 0);
    EXPECT_EQ(queued().size(), 1);
    EXPECT_TRUE(problem().contains(QStringLiteral("ответ")));
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Второй")), QStringLiteral("ВТОРОЙ|0|Неудовлетворительно"));
}

} // namespace
