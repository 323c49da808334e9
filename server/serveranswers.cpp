#include "serveranswers.h"

#include "serverconnection.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {

// A time as the journal writes it (ISO 8601, UTC, milliseconds), whatever the session's zone,
// so that the journal's row readers read the server's rows too.
QString iso(const char *column)
{
    return QStringLiteral("to_char(%1 AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"')").arg(QLatin1String(column));
}

// The text on the button a row's column names ('A'..'D').
QString onButton(const char *row, const char *button)
{
    return QStringLiteral("CASE %1.%2 WHEN 'A' THEN %1.answer_a WHEN 'B' THEN %1.answer_b "
                          "WHEN 'C' THEN %1.answer_c WHEN 'D' THEN %1.answer_d END")
        .arg(QLatin1String(row), QLatin1String(button));
}

// The game of the latest row among those the filter lets in: the row the texts are read from,
// as the journals take the last row that showed a question or chose a wrong answer. The rows
// come sorted latest first within each question, so the first one gathered is it: one sort of
// the lesson's rows instead of one per question and aggregate. The hashes are sorted bytewise
// (COLLATE "C"): they are hex, and the server's language rules would only slow the sort.
QString latest(const char *filter)
{
    return QStringLiteral("(array_agg(a.game)%1)[1]")
        .arg(*filter ? QStringLiteral(" FILTER (WHERE %1)").arg(QLatin1String(filter)) : QString());
}

const char *const kGames = "SELECT id::text, lesson, student, machine, bank_file, bank_sha256, %1, %2, ending, "
                           "levels_passed, grade FROM tallory.game_overview WHERE lesson = ? ORDER BY started, id";

// As the journals count them: an unfinished game whose every row is a right answer was left
// with the next question on screen.
// The unfinished games are found first, so that only their answers are read (by the key).
const char *const kLeftOnScreen = R"(SELECT count(a.game)
FROM (SELECT g.id FROM tallory.games g
      WHERE g.lesson = ? AND NOT EXISTS (SELECT FROM tallory.game_ends e WHERE e.game = g.id)) u
LEFT JOIN tallory.answers a ON a.game = u.id
GROUP BY u.id
HAVING count(a.game) = count(*) FILTER (WHERE a.chosen = 1))";

QuestionFigures questionRow(const QSqlQuery &q)
{
    QuestionFigures f;
    f.level = q.value(0).toInt();
    f.sha256 = q.value(1).toString();
    f.asked = q.value(2).toInt();
    f.answered = q.value(3).toInt();
    for (size_t k = 1; k <= 4; ++k) {
        f.chosen[k] = q.value(3 + static_cast<int>(k)).toInt();
        f.rightOnButton[k] = q.value(7 + static_cast<int>(k)).toInt();
    }
    f.fiftyFifty = q.value(12).toInt();
    f.audience = q.value(13).toInt();
    f.friendCalls = q.value(14).toInt();
    f.medianMs = q.value(15).isNull() ? -1 : q.value(15).toLongLong();
    f.quickRight = q.value(16).toInt();
    f.bankIndex = q.value(17).toInt();
    f.question = q.value(18).toString();
    for (size_t k = 1; k <= 4; ++k)
        f.answers[k] = q.value(18 + static_cast<int>(k)).toString();
    return f;
}

} // namespace

QStringList ServerAnalysisSessionSql()
{
    return {QStringLiteral("SET work_mem = '64MB'"), QStringLiteral("SET jit = off")};
}

QString ServerLessonTallySql()
{
    QString sql = QStringLiteral(
        "WITH t AS (SELECT a.level, a.question_sha256 AS sha, count(*) AS asked, count(a.chosen) AS answered, "
        "count(*) FILTER (WHERE a.chosen = 1) AS c1, count(*) FILTER (WHERE a.chosen = 2) AS c2, "
        "count(*) FILTER (WHERE a.chosen = 3) AS c3, count(*) FILTER (WHERE a.chosen = 4) AS c4, "
        "count(*) FILTER (WHERE a.right_button = 'A') AS ra, count(*) FILTER (WHERE a.right_button = 'B') AS rb, "
        "count(*) FILTER (WHERE a.right_button = 'C') AS rc, count(*) FILTER (WHERE a.right_button = 'D') AS rd, "
        "count(*) FILTER (WHERE a.fifty) AS fifty, count(*) FILTER (WHERE a.audience) AS audience, "
        "count(*) FILTER (WHERE a.friend) AS friend, "
        // The journals' median: the middle time, or the floor of the two middle ones' mean.
        "floor(percentile_cont(0.5) WITHIN GROUP (ORDER BY a.ms) FILTER (WHERE a.chosen >= 1)) AS median, "
        "count(*) FILTER (WHERE a.chosen = 1 AND a.ms < ?) AS quick, "
        "%1 AS last0, %2 AS last2, %3 AS last3, %4 AS last4 "
        "FROM (SELECT a.level, a.question_sha256 COLLATE \"C\" AS question_sha256, a.chosen, a.right_button, a.ms, a.game, "
        "a.fifty_blanked IS NOT NULL AS fifty, a.votes_a IS NOT NULL AS audience, a.friend_reply IS NOT NULL AS friend "
        "FROM tallory.games g JOIN tallory.answers a ON a.game = g.id WHERE g.lesson = ? "
        "ORDER BY 1, 2, a.shown DESC, a.game DESC) a "
        "GROUP BY a.level, a.question_sha256) "
        "SELECT t.level, t.sha, t.asked, t.answered, t.c1, t.c2, t.c3, t.c4, t.ra, t.rb, t.rc, t.rd, t.fifty, "
        "t.audience, t.friend, t.median, t.quick, l.bank_index, l.question, %5, %6, %7, %8 "
        "FROM t JOIN tallory.answers l ON l.game = t.last0 AND l.level = t.level "
        "LEFT JOIN tallory.answers w2 ON w2.game = t.last2 AND w2.level = t.level "
        "LEFT JOIN tallory.answers w3 ON w3.game = t.last3 AND w3.level = t.level "
        "LEFT JOIN tallory.answers w4 ON w4.game = t.last4 AND w4.level = t.level");
    return sql.arg(latest(""), latest("a.chosen = 2"), latest("a.chosen = 3"), latest("a.chosen = 4"),
                   onButton("l", "right_button"), onButton("w2", "clicked_button"), onButton("w3", "clicked_button"),
                   onButton("w4", "clicked_button"));
}

ServerAnswers::ServerAnswers(QSqlDatabase db, QString service) : m_db(std::move(db)), m_service(std::move(service)) {}

QString ServerAnswers::label() const
{
    return QStringLiteral("сервер «%1»").arg(m_service);
}

void ServerAnswers::noteProblem(const QString &problem) const
{
    const bool known = std::any_of(m_problems.begin(), m_problems.end(),
                                   [&](const JournalProblem &p) { return p.problem == problem; });
    if (!known)
        m_problems << JournalProblem{label(), problem};
}

QStringList ServerAnswers::lessons() const
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    QStringList codes;
    if (!q.exec(QStringLiteral("SELECT DISTINCT lesson FROM tallory.games"))) {
        noteProblem(DescribeServerError(q.lastError()));
        return codes;
    }
    while (q.next())
        codes << q.value(0).toString();
    // In the journals' order, not the server's collation.
    std::sort(codes.begin(), codes.end());
    return codes;
}

namespace {

// Runs a prepared statement with its values; the error for the teacher, empty when done.
QString run(QSqlQuery &q, const QString &sql, const QVariantList &values)
{
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        return DescribeServerError(q.lastError());
    for (const QVariant &v : values)
        q.addBindValue(v);
    return q.exec() ? QString() : DescribeServerError(q.lastError());
}

} // namespace

LessonAnalysis ServerAnswers::analyse(const QString &lesson, const AnalysisSettings &settings) const
{
    LessonAnalysis a;
    a.lesson = lesson;
    std::array<int, 16> leftOnScreen{};
    QSqlQuery q(m_db);
    QString problem;
    for (const QString &sql : ServerAnalysisSessionSql()) {
        if (problem.isEmpty() && !q.exec(sql))
            problem = DescribeServerError(q.lastError());
    }
    if (problem.isEmpty())
        problem = run(q, ServerLessonTallySql(), {settings.quickMs, lesson});
    while (problem.isEmpty() && q.next())
        a.questions << questionRow(q);
    if (problem.isEmpty())
        problem = run(q, QString::fromLatin1(kGames).arg(iso("started"), iso("ended")), {lesson});
    while (problem.isEmpty() && q.next())
        a.games << GamePath{JournalGameRow(q), label(), {}};
    if (problem.isEmpty())
        problem = run(q, QString::fromLatin1(kLeftOnScreen), {lesson});
    while (problem.isEmpty() && q.next()) {
        const int passed = q.value(0).toInt();
        if (passed >= 0 && passed < 15)
            ++leftOnScreen[static_cast<size_t>(passed + 1)];
    }
    if (!problem.isEmpty()) {
        noteProblem(problem);
        a = LessonAnalysis{};
        a.lesson = lesson;
    }
    CompleteAnalysis(a, leftOnScreen, settings);
    return a;
}

Result<QList<JournalAnswer>> ServerAnswers::path(const GamePath &game) const
{
    using R = Result<QList<JournalAnswer>>;
    const QString sql = QStringLiteral(
        "SELECT a.game::text, a.level, a.bank_index, a.question_sha256, %1, a.question, a.answer_a, a.answer_b, "
        "a.answer_c, a.answer_d, a.right_button, a.clicked_button, a.chosen, a.ms, a.fifty_blanked, a.votes_a, "
        "a.votes_b, a.votes_c, a.votes_d, a.friend_reply, a.tease FROM tallory.answers a "
        "WHERE a.game = ? ORDER BY a.level").arg(iso("a.shown"));
    QSqlQuery q(m_db);
    const QString problem = run(q, sql, {game.game.id});
    if (!problem.isEmpty())
        return R::failure(problem);
    QList<JournalAnswer> answers;
    while (q.next())
        answers << JournalAnswerRow(q);
    return R::success(answers);
}
