// Least privilege on the server: the game's role adds rows and asks the guard, nothing more; the
// teacher's role reads. Names are data, a row sent twice is stored once, new records are announced.

#include "pgcluster.h"
#include "serverrows.h"
#include "tablerow.h"
#include "toolstest.h"

#include <QSignalSpy>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

QString newId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QVariantList resultRow(const QString &id, const QString &name, const QString &machine)
{
    return {id, QStringLiteral("ФИЗИКА"), name, 7, QStringLiteral("Удовлетворительно"), machine,
            QStringLiteral("2026-12-09T07:30:00.123Z")};
}

QVariantList gameRow(const QString &id, const QString &name)
{
    return {id, QStringLiteral("ФИЗИКА"), name, QStringLiteral("ПК-7"), QStringLiteral("/srv/tallory/physics.faq"),
            QStringLiteral("ab12"), QStringLiteral("2026-12-09T07:30:00.000Z")};
}

QVariantList answerRow(const QString &game, int level, const QString &clicked = QStringLiteral("B"))
{
    return {game, level, 3, QStringLiteral("cd34"), QStringLiteral("2026-12-09T07:31:00.000Z"),
            QStringLiteral("Сколько?"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
            QStringLiteral("4"), QStringLiteral("B"), clicked, 1, 4200, QStringLiteral("AD"),
            QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()};
}

class ServerRoles : public pgtest::ServerTest
{
protected:
    void SetUp() override
    {
        pgtest::ServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        initSchema();
        game = connect(service("game"));
        teacher = connect(service("teacher"));
        ASSERT_TRUE(game && teacher);
    }

    void send(ServerTable table, const QVariantList &row)
    {
        QSqlDatabase db = game->database();
        const auto sent = SendRow(db, table, pgtest::row(table, row));
        ASSERT_TRUE(sent.ok()) << sent.error.toStdString();
    }

    /// A whole game as the game sends it: seven right answers, a wrong one, its end and record.
    void sendPlayed(const QString &name, const QString &machine)
    {
        const QString id = newId();
        send(ServerTable::Games, gameRow(id, name));
        for (int level = 1; level <= 8; ++level)
            send(ServerTable::Answers, answerRow(id, level, level <= 7 ? QStringLiteral("B") : QStringLiteral("C")));
        send(ServerTable::GameEnds, {id, QStringLiteral("2026-12-09T07:40:00.000Z"), QStringLiteral("wrong"), 7,
                                     QStringLiteral("Удовлетворительно")});
        send(ServerTable::Results, resultRow(id, name, machine));
    }

    AttemptVerdict ask(const QString &name, bool countUnfinished = true)
    {
        QSqlDatabase db = game->database();
        const auto verdict = AskAttempt(db, QStringLiteral("ФИЗИКА"), name, countUnfinished);
        EXPECT_TRUE(verdict.ok()) << verdict.error.toStdString();
        return verdict.value;
    }

    QStringList teacherReads(const QString &sql)
    {
        QSqlQuery q(teacher->database());
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
        QStringList rows;
        while (q.next())
            rows << q.value(0).toString();
        return rows;
    }

    std::unique_ptr<ServerConnection> game;
    std::unique_ptr<ServerConnection> teacher;
};

} // namespace

TEST_F(ServerRoles, GameIsDeniedReadingAndChangingResults)
{
    send(ServerTable::Results, resultRow(newId(), QStringLiteral("ИВАНОВ И.И."), QStringLiteral("ПК-7")));
    for (const char *sql : {"SELECT name FROM tallory.results", "UPDATE tallory.results SET grade = 'Отлично'",
                            "DELETE FROM tallory.results", "SELECT student FROM tallory.game_overview",
                            "SELECT version FROM tallory.schema_history"}) {
        QSqlQuery q(game->database());
        EXPECT_FALSE(q.exec(QString::fromUtf8(sql))) << sql;
        EXPECT_EQ(q.lastError().nativeErrorCode(), QStringLiteral("42501")) << sql;
    }
    EXPECT_EQ(teacherReads(QStringLiteral("SELECT grade FROM tallory.results")),
              QStringList{QStringLiteral("Удовлетворительно")});
}

TEST_F(ServerRoles, GameAddsEveryKindOfRowAndAsksTheGuard)
{
    const QString id = newId();
    send(ServerTable::Games, gameRow(id, QStringLiteral("ПЕТРОВ П.П.")));
    send(ServerTable::Answers, answerRow(id, 1));
    send(ServerTable::GameEnds, {id, QStringLiteral("2026-12-09T07:40:00.000Z"), QStringLiteral("wrong"), 0,
                                 QStringLiteral("Неудовлетворительно")});
    send(ServerTable::Results, resultRow(newId(), QStringLiteral("ПЕТРОВ П.П."), QStringLiteral("ПК-7")));
    EXPECT_EQ(ask(QStringLiteral("СИДОРОВ С.С.")), AttemptVerdict::Allowed);
    EXPECT_EQ(teacherReads(QStringLiteral("SELECT ending || ' ' || grade FROM tallory.game_overview")),
              QStringList{QStringLiteral("wrong Неудовлетворительно")});
    EXPECT_EQ(teacherReads(QStringLiteral("SELECT fifty_blanked || ms FROM tallory.answers")),
              QStringList{QStringLiteral("AD4200")});
}

TEST_F(ServerRoles, RowGoesByItsColumnsNamesAndOneWithAnotherColumnIsRefused)
{
    // The same values named in another order land each in its own column.
    const QString id = newId();
    const TableRow shuffled{{"started", QStringLiteral("2026-12-09T07:30:00.000Z")}, {"student", QStringLiteral("O'NEIL")},
                            {"bank_sha256", QStringLiteral("ab12")}, {"id", id}, {"machine", QStringLiteral("ПК-7")},
                            {"lesson", QStringLiteral("ФИЗИКА")}, {"bank_file", QStringLiteral("/srv/tallory/physics.faq")}};
    QSqlDatabase db = game->database();
    const auto sent = SendRow(db, ServerTable::Games, shuffled);
    ASSERT_TRUE(sent.ok() && sent.value) << sent.error.toStdString();
    EXPECT_EQ(teacherReads(QStringLiteral("SELECT lesson || ' ' || student || ' ' || machine || ' ' || bank_sha256 "
                                          "FROM tallory.games")),
              QStringList{QStringLiteral("ФИЗИКА O'NEIL ПК-7 ab12")});
    // As many values, one of them under a name the table has not: never stored, never sent again.
    TableRow misnamed = pgtest::row(ServerTable::Answers, answerRow(id, 1));
    misnamed = TableRow::fromJson(misnamed.toJson().replace(QStringLiteral("\"tease\""), QStringLiteral("\"teaze\"")),
                                  {}).value();
    bool refused = false;
    const auto wrong = SendRow(db, ServerTable::Answers, misnamed, &refused);
    EXPECT_FALSE(wrong.ok());
    EXPECT_TRUE(refused);
    EXPECT_EQ(wrong.error, QStringLiteral("В строке для tallory.answers нет столбца «tease»."));
    EXPECT_TRUE(teacherReads(QStringLiteral("SELECT level FROM tallory.answers")).isEmpty());
}

TEST_F(ServerRoles, GuardRefusesASecondAttemptOnAnotherMachine)
{
    sendPlayed(QStringLiteral("ИВАНОВ И.И."), QStringLiteral("ПК-7"));
    const auto otherMachine = connect(service("game"));
    QSqlDatabase db = otherMachine->database();
    const auto verdict = AskAttempt(db, QStringLiteral("ФИЗИКА"), QStringLiteral("ИВАНОВ И.И."));
    ASSERT_TRUE(verdict.ok()) << verdict.error.toStdString();
    EXPECT_EQ(verdict.value, AttemptVerdict::Graded);
    const auto otherLesson = AskAttempt(db, QStringLiteral("ХИМИЯ"), QStringLiteral("ИВАНОВ И.И."));
    EXPECT_EQ(otherLesson.value, AttemptVerdict::Allowed);
}

TEST_F(ServerRoles, GuardRefusesANameWithAnUnfinishedGame)
{
    const QString id = newId();
    send(ServerTable::Games, gameRow(id, QStringLiteral("ПЕТРОВ П.П.")));
    EXPECT_EQ(ask(QStringLiteral("ПЕТРОВ П.П.")), AttemptVerdict::Unfinished);
    EXPECT_EQ(ask(QStringLiteral("ПЕТРОВ П.П."), false), AttemptVerdict::Allowed);
    for (int level = 1; level <= 4; ++level)
        send(ServerTable::Answers, answerRow(id, level));
    send(ServerTable::GameEnds, {id, QStringLiteral("2026-12-09T07:40:00.000Z"), QStringLiteral("stop"), 4,
                                 QStringLiteral("Неудовлетворительно")});
    EXPECT_EQ(ask(QStringLiteral("ПЕТРОВ П.П."), false), AttemptVerdict::Graded)
        << "a graded end refuses before its record arrives";
}

TEST_F(ServerRoles, HostileNamesAreStoredAndReadBackAsTyped)
{
    const QStringList names{QStringLiteral("O'Neil"), QStringLiteral("'); DROP TABLE x; --"),
                            QStringLiteral("\\\"; SELECT 1; $$ --"), QStringLiteral("ЁЖИКОВ Ё.Ё.")};
    ASSERT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral("CREATE TABLE x (y integer)")}), QString());
    for (const QString &name : names)
        sendPlayed(name, name);
    EXPECT_EQ(teacherReads(QStringLiteral("SELECT name FROM tallory.results ORDER BY recorded, name COLLATE \"C\"")),
              QStringList({names[1], names[0], names[2], names[3]}));
    EXPECT_EQ(teacherReads(QStringLiteral("SELECT count(*) FROM tallory.results WHERE name = machine")),
              QStringList{QStringLiteral("4")});
    EXPECT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral("SELECT * FROM x")}), QString())
        << "table x is still there";
    for (const QString &name : names)
        EXPECT_EQ(ask(name), AttemptVerdict::Graded) << name.toStdString();
}

TEST_F(ServerRoles, RowSentTwiceIsStoredOnce)
{
    const QString id = newId();
    const QString game = newId();
    QSqlDatabase db = this->game->database();
    for (int time = 0; time < 2; ++time) {
        const auto result = SendRow(db, ServerTable::Results, pgtest::row(ServerTable::Results, resultRow(id, QStringLiteral("ИВАНОВ И.И."),
                                                                        QStringLiteral("ПК-7"))));
        const auto started = SendRow(db, ServerTable::Games, pgtest::row(ServerTable::Games, gameRow(game, QStringLiteral("ИВАНОВ И.И."))));
        const auto answer = SendRow(db, ServerTable::Answers, pgtest::row(ServerTable::Answers, answerRow(game, 1)));
        ASSERT_TRUE(result.ok() && started.ok() && answer.ok()) << result.error.toStdString()
                                                                << started.error.toStdString();
        EXPECT_EQ(result.value, time == 0);
        EXPECT_EQ(answer.value, time == 0);
    }
    EXPECT_EQ(teacherReads(QStringLiteral("SELECT (SELECT count(*) FROM tallory.results) || ' ' || "
                                          "(SELECT count(*) FROM tallory.games) || ' ' || "
                                          "(SELECT count(*) FROM tallory.answers)")),
              QStringList{QStringLiteral("1 1 1")});
}

TEST_F(ServerRoles, NewRecordAndGameEndAreAnnouncedWithoutNames)
{
    QSqlDriver *driver = teacher->database().driver();
    ASSERT_TRUE(driver->subscribeToNotification(QStringLiteral("tallory_results")));
    QSignalSpy heard(driver, qOverload<const QString &, QSqlDriver::NotificationSource, const QVariant &>(
                                 &QSqlDriver::notification));
    const QString record = newId();
    send(ServerTable::Results, resultRow(record, QStringLiteral("ИВАНОВ И.И."), QStringLiteral("ПК-7")));
    ASSERT_TRUE(heard.wait(10000));
    EXPECT_EQ(heard.at(0).at(0).toString(), QStringLiteral("tallory_results"));
    EXPECT_EQ(heard.at(0).at(2).toString(), QStringLiteral("results ") + record);
    const QString game = newId();
    send(ServerTable::Games, gameRow(game, QStringLiteral("ИВАНОВ И.И.")));
    send(ServerTable::GameEnds, {game, QStringLiteral("2026-12-09T07:40:00.000Z"), QStringLiteral("won"), 15,
                                 QStringLiteral("Отлично")});
    ASSERT_TRUE(heard.size() > 1 || heard.wait(10000));
    EXPECT_EQ(heard.at(1).at(2).toString(), QStringLiteral("game_ends ") + game)
        << "a game's start is not announced, its end is";
}
