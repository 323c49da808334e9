// The outbox a journal keeps for the school's server: each journal row and its copy for the
// server in one transaction, under the server's column names; none at all where no server is named.

#include "journalfixture.h"

#include "answerrow.h"
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

TEST_F(JournalOutbox, EveryRowIsQueuedUnderTheServersColumnNamesAndTheSenderPoked)
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
    const std::pair<ServerTable, QString> tables[] = {{ServerTable::Games, QStringLiteral("games")},
                                                      {ServerTable::Answers, QStringLiteral("answers")},
                                                      {ServerTable::Answers, QStringLiteral("answers")},
                                                      {ServerTable::GameEnds, QStringLiteral("game_ends")},
                                                      {ServerTable::Results, QStringLiteral("results")}};
    QList<TableRow> payloads;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const auto &[table, name] = tables[i];
        ASSERT_TRUE(rows[i].startsWith(name + QLatin1Char(' '))) << rows[i].toStdString();
        const auto row = OutboxPayloadRow(rows[i].mid(name.size() + 1), ServerColumns(table));
        ASSERT_TRUE(row);
        // Each payload names every server column, and no other.
        EXPECT_EQ(row->mismatch(ServerColumns(table)), QString()) << rows[i].toStdString();
        payloads << *row;
    }
    EXPECT_EQ(payloads[0].value(u"id"), id);
    EXPECT_EQ(payloads[0].value(u"lesson"), QStringLiteral("ТЕСТ"));
    EXPECT_EQ(payloads[0].value(u"student"), QStringLiteral("ПЕТРОВ П.П."));
    EXPECT_EQ(payloads[0].value(u"started"), QStringLiteral("2026-03-02T09:00:00.000Z"));
    EXPECT_EQ(payloads[1].value(u"game"), id);
    EXPECT_EQ(payloads[1].value(u"level").toInt(), 1);
    EXPECT_EQ(payloads[1].value(u"chosen").toInt(), 1);
    EXPECT_EQ(payloads[1].value(u"ms").toInt(), 5000);
    const QString right = AnswersTable().columns[static_cast<size_t>(6 + AnswerButton(payloads[1].value(u"right_button")) - 1)].name;
    EXPECT_EQ(payloads[1].value(right), QStringLiteral("Верно 1"));
    for (const char *none : {"fifty_blanked", "votes_a", "votes_d", "friend_reply", "tease"})
        EXPECT_TRUE(payloads[1].value(QString::fromLatin1(none)).isNull()) << none;
    EXPECT_EQ(payloads[2].value(u"level").toInt(), 2);
    EXPECT_EQ(payloads[3].valuesOf({QStringLiteral("game"), QStringLiteral("ended"), QStringLiteral("ending"),
                                    QStringLiteral("levels_passed"), QStringLiteral("grade")}),
              (QVariantList{id, QStringLiteral("2026-03-02T09:00:05.000Z"), QStringLiteral("wrong"), 1,
                            QStringLiteral("Неудовлетворительно")}));
    EXPECT_EQ(payloads[4].valuesOf({QStringLiteral("id"), QStringLiteral("lesson"), QStringLiteral("name"),
                                    QStringLiteral("levels"), QStringLiteral("grade"), QStringLiteral("machine"),
                                    QStringLiteral("recorded")}),
              (QVariantList{id, QStringLiteral("ТЕСТ"), QStringLiteral("ПЕТРОВ П.П."), 1,
                            QStringLiteral("Неудовлетворительно"), QStringLiteral("ПК-7"),
                            QStringLiteral("2026-03-02T09:00:05.000Z")}));
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
