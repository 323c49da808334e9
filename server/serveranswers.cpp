#include "serveranswers.h"

#include "answerrow.h"
#include "serverconnection.h"
#include "tallyfold.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace {

// The server's games with their ends, as the journal's games rows.
QString gamesSql()
{
    return QStringLiteral("SELECT %1, %2 FROM tallory.game_overview WHERE lesson = ? ORDER BY started, id")
        .arg(ServerSelectList(GamesTable()), ServerSelectList(GameEndsTable(), QString(), {QStringLiteral("game")}));
}

} // namespace

QStringList ServerAnalysisSessionSql()
{
    return {QStringLiteral("SET work_mem = '64MB'"), QStringLiteral("SET jit = off")};
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
    LessonTally tally;
    QSqlQuery q(m_db);
    QString problem;
    for (const QString &sql : ServerAnalysisSessionSql()) {
        if (problem.isEmpty() && !q.exec(sql))
            problem = DescribeServerError(q.lastError());
    }
    if (problem.isEmpty())
        problem = run(q, LessonTallySql(TallyDialect::PostgreSql), {lesson});
    if (problem.isEmpty())
        tally.questions = ReadTallyRows(q);
    if (problem.isEmpty())
        problem = run(q, gamesSql(), {lesson});
    if (problem.isEmpty()) {
        const RowPlaces places(q.record());
        while (q.next())
            a.games << GamePath{ReadGameRow(q, places), label(), {}};
    }
    if (problem.isEmpty())
        problem = run(q, LeftOnScreenSql(TallyDialect::PostgreSql), {lesson});
    if (problem.isEmpty())
        ReadLeftOnScreen(q, tally.leftOnScreen);
    TallyFold fold;
    if (problem.isEmpty()) {
        // The server reads every question's texts along with its figures.
        fold.add(tally, {});
    } else {
        noteProblem(problem);
        a = LessonAnalysis{};
        a.lesson = lesson;
    }
    fold.complete(a, settings);
    return a;
}

Result<QList<JournalAnswer>> ServerAnswers::path(const GamePath &game) const
{
    using R = Result<QList<JournalAnswer>>;
    const QString sql = QStringLiteral("SELECT %1 FROM tallory.answers a WHERE a.game = ? ORDER BY a.level")
                            .arg(ServerSelectList(AnswersTable(), QStringLiteral("a")));
    QSqlQuery q(m_db);
    const QString problem = run(q, sql, {game.game.id});
    if (!problem.isEmpty())
        return R::failure(problem);
    QList<JournalAnswer> answers;
    const RowPlaces places(q.record());
    while (q.next())
        answers << ReadAnswerRow(q, places);
    return R::success(answers);
}
