#pragma once
// A school's server filled with answers at once, as its owner: the games of five lessons, fifteen
// answers each (ten questions a level, right answers more likely low on the ladder, times from
// 0.4 to 20 s), one game in fifty left unfinished. For the benchmarks that read a lesson there.

#include "benchcommon.h"
#include "serverconnection.h"

#include <QSqlError>
#include <QSqlQuery>

namespace bench {

inline const char *const kServerFill[] = {
    "SELECT setseed(0.42)",
    "INSERT INTO tallory.games SELECT md5(g::text)::uuid, 'УРОК-' || (g % 5), 'УЧЕНИК ' || g, 'ПК-' || (g % 30), "
    "'bank.faq', repeat('b', 64), timestamptz '2026-03-02 09:00Z' + g * interval '7 seconds' "
    "FROM generate_series(1, %1) g",
    "INSERT INTO tallory.answers (game, level, bank_index, question_sha256, shown, question, answer_a, answer_b, "
    "answer_c, answer_d, right_button, clicked_button, chosen, ms, fifty_blanked, votes_a, votes_b, votes_c, "
    "votes_d, friend_reply) "
    "SELECT id, l, q, lpad(md5(lesson || l || q), 64, '0'), started + l * interval '10 seconds', "
    "'Вопрос ' || l || '.' || q || ': что из этого верно в задаче урока?', 'Ответ А ' || q, 'Ответ Б ' || q, "
    "'Ответ В ' || q, 'Ответ Г ' || q, chr(65 + (q + l) % 4), chr(65 + ((q + l) % 4 + c) % 4), 1 + c % 4, "
    "400 + (random() * 19600)::int, CASE WHEN q = 3 THEN 'AC' END, CASE WHEN q = 4 THEN 20 END, "
    "CASE WHEN q = 4 THEN 10 END, CASE WHEN q = 4 THEN 10 END, CASE WHEN q = 4 THEN 10 END, "
    "CASE WHEN q = 5 THEN 'Друг думает: А' END "
    "FROM (SELECT g.id, g.lesson, g.started, l, (abs(hashtext(g.id::text || l)) % 10) AS q, "
    "CASE WHEN random() < 0.95 - l * 0.04 THEN 0 ELSE 1 + (random() * 2)::int END AS c "
    "FROM tallory.games g, generate_series(1, 15) l) x",
    "INSERT INTO tallory.game_ends SELECT id, started + interval '5 minutes', 'wrong', 14, 'Хорошо' "
    "FROM tallory.games WHERE lesson <> 'БЕНЧ' AND abs(hashtext(id::text)) % 50 <> 0",
    "VACUUM ANALYZE tallory.games, tallory.game_ends, tallory.answers",
};

/// Fills the database the service "<database>_owner" reaches with about this many answers; the
/// answers it then holds.
inline int FillServerAnswers(const QString &database, int answers)
{
    ServerProblem problem;
    const auto owner = ServerConnection::open(database + QStringLiteral("_owner"), {}, &problem);
    require(owner != nullptr, "no owner's connection:", problem.message);
    QSqlQuery q(owner->database());
    const int games = (answers + 14) / 15;
    for (const char *sql : kServerFill)
        require(q.exec(QString::fromUtf8(sql).replace(QLatin1String("%1"), QString::number(games))),
                "filling failed:", q.lastError().text());
    require(q.exec(QStringLiteral("SELECT count(*) FROM tallory.answers")) && q.next(), "cannot count");
    return q.value(0).toInt();
}

} // namespace bench
