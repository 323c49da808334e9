#include "answertally.h"

#include "answerrow.h"
#include "journalschema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

const char *const kTexts = R"(SELECT bank_index, question, answer_a, answer_b, answer_c, answer_d, right_button,
    clicked_button FROM answers WHERE game = ? AND level = ?)";

QString unreadable(const QSqlQuery &q)
{
    return QStringLiteral("Журнал не читается: %1.").arg(DescribeSqlError(q.lastError()));
}

// Runs one of the lesson's statements; the failure for the teacher, empty when done.
QString run(QSqlQuery &q, const QString &sql, const QString &lesson)
{
    q.setForwardOnly(true);
    q.prepare(sql);
    q.addBindValue(lesson);
    return q.exec() ? QString() : unreadable(q);
}

} // namespace

Result<LessonTally> TallyLesson(const QSqlDatabase &db, const QString &lesson)
{
    using R = Result<LessonTally>;
    LessonTally tally;
    QSqlQuery q(db);
    QString problem = run(q, LessonTallySql(TallyDialect::Sqlite), lesson);
    if (!problem.isEmpty())
        return R::failure(problem);
    tally.questions = ReadTallyRows(q);
    if (q.lastError().isValid())
        return R::failure(unreadable(q));
    problem = run(q, LeftOnScreenSql(TallyDialect::Sqlite), lesson);
    if (!problem.isEmpty())
        return R::failure(problem);
    ReadLeftOnScreen(q, tally.leftOnScreen);
    return R::success(std::move(tally));
}

Result<ShownTexts> ReadShownTexts(const QSqlDatabase &db, const RowMark &mark, int level)
{
    using R = Result<ShownTexts>;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QString::fromLatin1(kTexts));
    q.addBindValue(mark.section(QLatin1Char('|'), 1));
    q.addBindValue(level);
    if (!q.exec())
        return R::failure(unreadable(q));
    if (!q.next())
        return R::failure(QStringLiteral("Журнал не читается: ответ пропал."));
    ShownTexts t;
    t.bankIndex = q.value(0).toInt();
    t.question = q.value(1).toString();
    for (int b = 1; b <= 4; ++b)
        t.onButton[static_cast<size_t>(b)] = q.value(1 + b).toString();
    t.rightButton = AnswerButton(q.value(6));
    t.clickedButton = AnswerButton(q.value(7));
    return R::success(t);
}
