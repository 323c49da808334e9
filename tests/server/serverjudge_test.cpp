// The class's password lets anybody insert what the game's role may: the server judges each
// record against its game's own rows, notes who sent every row and when, refuses texts longer
// than a bank line, and its attempt guard counts only what a game stands behind.

#include "pgcluster.h"
#include "serverresults.h"
#include "serverrows.h"

#include <QSqlQuery>
#include <QUuid>

namespace {

const QString kLesson = QStringLiteral("ФИЗИКА");

QString newId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

/// What a machine (or somebody with its password) sends for one game.
struct Played {
    bool start = true;
    int right = 0;          ///< right answers from level 1
    bool wrong = false;     ///< then a wrong one
    bool unanswered = false; ///< then a question left unanswered (a stop)
    bool end = true;
    int levels = 0;         ///< the levels the end and the record claim
    QString grade;
};

class ServerJudge : public pgtest::ServerTest
{
protected:
    void SetUp() override
    {
        pgtest::ServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        initSchema();
        game = connect(service("game"));
        owner = connect(service("owner"));
        ASSERT_TRUE(game && owner);
    }

    void send(ServerConnection &as, ServerTable table, const QVariantList &values)
    {
        QSqlDatabase db = as.database();
        const auto sent = SendRow(db, table, pgtest::row(table, values));
        ASSERT_TRUE(sent.ok()) << sent.error.toStdString();
    }

    /// Sends a game's rows as the game's role, then its record; returns the game's id.
    QString sendGame(const QString &name, const Played &p)
    {
        const QString id = newId();
        const QString at = QStringLiteral("2026-12-09T09:00:00Z");
        if (p.start)
            send(*game, ServerTable::Games, {id, kLesson, name, QStringLiteral("pc07"), QStringLiteral("/lab/f.faq"),
                                             QString(64, QLatin1Char('0')), at});
        const int asked = p.right + (p.wrong || p.unanswered ? 1 : 0);
        for (int level = 1; p.start && level <= asked; ++level) {
            const bool right = level <= p.right;
            QVariantList row{id, level, 0, QString(64, QLatin1Char('1')), at, QStringLiteral("Вопрос?"),
                             QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                             QStringLiteral("A")};
            const QVariant noText(QMetaType(QMetaType::QString)), noNumber(QMetaType(QMetaType::Int));
            if (right || p.wrong)
                row << (right ? QStringLiteral("A") : QStringLiteral("B")) << (right ? 1 : 2) << 900;
            else
                row << noText << noNumber << noNumber; // clicked, chosen, ms: the question stopped on
            row << noText << noNumber << noNumber << noNumber << noNumber << noText << noText;
            send(*game, ServerTable::Answers, row);
        }
        const QString ending = p.wrong ? QStringLiteral("wrong") : p.levels == 15 ? QStringLiteral("won")
                                                                                    : QStringLiteral("stop");
        if (p.start && p.end)
            send(*game, ServerTable::GameEnds, {id, at, ending, p.levels, p.grade});
        send(*game, ServerTable::Results, {id, kLesson, name, p.levels, p.grade, QStringLiteral("pc07"), at});
        return id;
    }

    QString standing(const QString &id)
    {
        QSqlQuery q(owner->database());
        q.prepare(QStringLiteral("SELECT standing FROM tallory.results WHERE id = ?::uuid"));
        q.addBindValue(id);
        return q.exec() && q.next() ? q.value(0).toString() : QStringLiteral("(none)");
    }

    AttemptVerdict guard(const QString &name)
    {
        QSqlDatabase db = game->database();
        const auto verdict = AskAttempt(db, kLesson, name);
        EXPECT_TRUE(verdict.ok()) << verdict.error.toStdString();
        return verdict.value;
    }

    std::unique_ptr<ServerConnection> game;
    std::unique_ptr<ServerConnection> owner;
};

} // namespace

TEST_F(ServerJudge, ARecordStandsOnlyWhenItsGameAgreesAndOnlyThenRefusesAnAttempt)
{
    const QString good = QStringLiteral("Удовлетворительно"), bad = QStringLiteral("Неудовлетворительно");
    const QString best = QStringLiteral("Отлично");
    struct Case {
        const char *name;
        Played played;
        const char *standing;
        AttemptVerdict verdict;
    } cases[] = {
        {"ИГРАЛ", {.right = 7, .wrong = true, .levels = 7, .grade = good}, "agrees", AttemptVerdict::Graded},
        {"ОСТАНОВИЛСЯ", {.right = 5, .unanswered = true, .levels = 5, .grade = good}, "agrees", AttemptVerdict::Graded},
        {"ВЫИГРАЛ", {.right = 15, .levels = 15, .grade = best}, "agrees", AttemptVerdict::Graded},
        {"БЕЗ ИГРЫ", {.start = false, .levels = 15, .grade = best}, "no_game", AttemptVerdict::Allowed},
        {"ТРИ ИЗ ПЯТНАДЦАТИ", {.right = 3, .wrong = true, .levels = 15, .grade = best}, "disagrees",
         AttemptVerdict::Allowed},
        {"НЕ ТА ОЦЕНКА", {.right = 3, .wrong = true, .levels = 3, .grade = best}, "disagrees", AttemptVerdict::Allowed},
        {"БЕЗ КОНЦА", {.right = 2, .end = false, .levels = 2, .grade = bad}, "disagrees", AttemptVerdict::Unfinished},
    };
    for (const Case &c : cases) {
        const QString name = QString::fromUtf8(c.name);
        const QString id = sendGame(name, c.played);
        EXPECT_EQ(standing(id), QLatin1String(c.standing)) << c.name;
        EXPECT_EQ(guard(name), c.verdict) << c.name;
    }
}

TEST_F(ServerJudge, TheTeacherSeesWhoSentARecordAndARecordWithoutAGameIsInDoubt)
{
    const auto teacher = connect(service("teacher"));
    sendGame(QStringLiteral("ПОДЛОГ"), {.start = false, .levels = 15, .grade = QStringLiteral("Отлично")});
    // A results file a school kept before its server, loaded by a teacher: no game behind it either.
    send(*teacher, ServerTable::Results, {newId(), kLesson, QStringLiteral("ИЗ ФАЙЛА"), 7,
                                          QStringLiteral("Удовлетворительно"), QStringLiteral("/lab/pc1/tallory.rez"),
                                          QStringLiteral("2026-12-01T09:00:00Z")});
    EXPECT_EQ(guard(QStringLiteral("ИЗ ФАЙЛА")), AttemptVerdict::Graded);
    QSqlDatabase db = teacher->database();
    const auto rows = ReadServerResults(db);
    ASSERT_TRUE(rows.ok()) << rows.error.toStdString();
    ASSERT_EQ(rows.value.size(), 2u);
    const ServerResultRow &forged = rows.value[0];
    EXPECT_EQ(forged.sender, QStringLiteral("school_game"));
    EXPECT_TRUE(forged.received.isValid());
    EXPECT_TRUE(ServerStateText(forged).startsWith(QStringLiteral("под сомнением: за записью нет игры")))
        << ServerStateText(forged).toStdString();
    EXPECT_TRUE(ServerReceivedText(forged).endsWith(QStringLiteral(", на сервере, school_game")))
        << ServerReceivedText(forged).toStdString();
    EXPECT_EQ(ServerStateText(rows.value[1]), QStringLiteral("загружена учителем из файла"));
}

TEST_F(ServerJudge, TextLongerThanABankLineIsRefused)
{
    QSqlDatabase db = game->database();
    bool refused = false;
    const auto sent = SendRow(db, ServerTable::Results,
                              pgtest::row(ServerTable::Results, {newId(), kLesson, QString(2048, QChar(u'Я')), 0,
                                                                 QStringLiteral("Неудовлетворительно"), QStringLiteral("pc07"),
                                                                 QStringLiteral("2026-12-09T09:00:00Z")}),
                              &refused);
    EXPECT_FALSE(sent.ok());
    EXPECT_TRUE(refused);
    const auto fits = SendRow(db, ServerTable::Results,
                              pgtest::row(ServerTable::Results, {newId(), kLesson, QString(2047, QChar(u'Я')), 0,
                                                                 QStringLiteral("Неудовлетворительно"), QStringLiteral("pc07"),
                                                                 QStringLiteral("2026-12-09T09:00:00Z")}));
    EXPECT_TRUE(fits.ok()) << fits.error.toStdString();
}

TEST_F(ServerJudge, AMachineWhoseRowsStoppedArrivingMidGameIsShown)
{
    const QString stopped = sendGame(QStringLiteral("ЗАМОЛЧАЛ"), {.right = 3, .end = false, .levels = 3,
                                                                  .grade = QStringLiteral("Неудовлетворительно")});
    // The same machine's game of a minute ago is still under way: nothing to tell yet.
    ASSERT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral(
                  "UPDATE tallory.games SET received = received - interval '%1 minutes' WHERE id = '%2'")
                  .arg(kSilentMachineMinutes - 1).arg(stopped), QStringLiteral(
                  "UPDATE tallory.answers SET received = received - interval '%1 minutes' WHERE game = '%2'")
                  .arg(kSilentMachineMinutes - 1).arg(stopped)}),
              QString());
    const auto teacher = connect(service("teacher"));
    QSqlDatabase db = teacher->database();
    const auto silent = [&] {
        const auto rows = ReadServerResults(db);
        EXPECT_TRUE(rows.ok()) << rows.error.toStdString();
        QStringList found;
        for (const ServerResultRow &row : rows.value) {
            if (row.kind == ServerResultRow::Kind::Silent)
                found << row.machine + QLatin1Char(' ') + ServerStateText(row);
        }
        return found;
    };
    EXPECT_EQ(silent(), QStringList());
    ASSERT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral(
                  "UPDATE tallory.answers SET received = received - interval '2 minutes' WHERE game = '%1'")
                  .arg(stopped), QStringLiteral(
                  "UPDATE tallory.games SET received = received - interval '2 minutes' WHERE id = '%1'").arg(stopped)}),
              QString());
    const QStringList shown = silent();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("pc07 строки с компьютера перестали приходить: игра «ЗАМОЛЧАЛ» "
                                                   "не окончена")))
        << shown[0].toStdString();
}
