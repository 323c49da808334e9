#include "answertally.h"

#include "journalschema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Every count is summed by SQLite while it walks the lesson's games (the index by lesson, then
// each game's answers by their key); a row comes back per question, not per answer. The texts
// stay in the file: a mark of the latest row of each question and of each wrong answer chosen
// is enough to fetch them once.
const char *const kTally = R"(SELECT a.level, a.question_sha256, COUNT(*), COUNT(a.chosen),
    TOTAL(a.chosen = 1), TOTAL(a.chosen = 2), TOTAL(a.chosen = 3), TOTAL(a.chosen = 4),
    TOTAL(a.right_button = 'A'), TOTAL(a.right_button = 'B'), TOTAL(a.right_button = 'C'),
    TOTAL(a.right_button = 'D'),
    TOTAL(a.fifty_blanked IS NOT NULL), TOTAL(a.votes_a IS NOT NULL), TOTAL(a.friend_reply IS NOT NULL),
    group_concat(CASE WHEN a.chosen = 1 THEN a.ms END), group_concat(CASE WHEN a.chosen > 1 THEN a.ms END),
    MAX(a.shown || '|' || a.game),
    MAX(CASE WHEN a.chosen = 2 THEN a.shown || '|' || a.game END),
    MAX(CASE WHEN a.chosen = 3 THEN a.shown || '|' || a.game END),
    MAX(CASE WHEN a.chosen = 4 THEN a.shown || '|' || a.game END)
FROM games g JOIN answers a ON a.game = g.id
WHERE g.lesson = ?
GROUP BY a.level, a.question_sha256)";

// An unfinished game whose every row is a right answer was left with the next question on
// screen: that level was reached though no row says so.
const char *const kLeftOnScreen = R"(SELECT COUNT(a.game)
FROM games g LEFT JOIN answers a ON a.game = g.id
WHERE g.lesson = ? AND g.ended IS NULL
GROUP BY g.id
HAVING COUNT(a.game) = TOTAL(a.chosen = 1))";

const char *const kTexts = R"(SELECT bank_index, question, answer_a, answer_b, answer_c, answer_d, right_button,
    clicked_button FROM answers WHERE game = ? AND level = ?)";

QString unreadable(const QSqlQuery &q)
{
    return QStringLiteral("Журнал не читается: %1.").arg(DescribeSqlError(q.lastError()));
}

int button(const QVariant &v)
{
    const QString s = v.toString();
    return s.size() == 1 && s[0] >= QLatin1Char('A') && s[0] <= QLatin1Char('D') ? s[0].unicode() - 'A' + 1 : 0;
}

// "1200,850,3100" as SQLite's group_concat gives it.
std::vector<qint64> times(const QVariant &v)
{
    std::vector<qint64> out;
    if (v.isNull())
        return out;
    const QString text = v.toString();
    qint64 n = 0;
    bool any = false;
    for (const QChar c : text) {
        if (c.isDigit()) {
            n = n * 10 + c.digitValue();
            any = true;
        } else if (c == QLatin1Char(',')) {
            if (any)
                out.push_back(n);
            n = 0;
            any = false;
        }
    }
    if (any)
        out.push_back(n);
    return out;
}

QuestionTally tallyRow(const QSqlQuery &q)
{
    QuestionTally t;
    t.level = q.value(0).toInt();
    t.sha256 = q.value(1).toString();
    t.asked = q.value(2).toInt();
    t.answered = q.value(3).toInt();
    for (int k = 1; k <= 4; ++k) {
        t.chosen[static_cast<size_t>(k)] = q.value(3 + k).toInt();
        t.rightOnButton[static_cast<size_t>(k)] = q.value(7 + k).toInt();
    }
    t.fiftyFifty = q.value(12).toInt();
    t.audience = q.value(13).toInt();
    t.friendCalls = q.value(14).toInt();
    t.rightMs = times(q.value(15));
    t.otherMs = times(q.value(16));
    t.latest[0] = q.value(17).toString();
    for (int k = 2; k <= 4; ++k)
        t.latest[static_cast<size_t>(k)] = q.value(16 + k).toString();
    return t;
}

Status leftOnScreen(const QSqlDatabase &db, const QString &lesson, LessonTally &tally)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QString::fromLatin1(kLeftOnScreen));
    q.addBindValue(lesson);
    if (!q.exec())
        return Status::failure(unreadable(q));
    while (q.next()) {
        const int passed = q.value(0).toInt();
        if (passed >= 0 && passed < 15)
            ++tally.leftOnScreen[static_cast<size_t>(passed + 1)];
    }
    return Status::success();
}

} // namespace

Result<LessonTally> TallyLesson(const QSqlDatabase &db, const QString &lesson)
{
    using R = Result<LessonTally>;
    LessonTally tally;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QString::fromLatin1(kTally));
    q.addBindValue(lesson);
    if (!q.exec())
        return R::failure(unreadable(q));
    while (q.next())
        tally.questions << tallyRow(q);
    if (q.lastError().isValid())
        return R::failure(unreadable(q));
    const Status reached = leftOnScreen(db, lesson, tally);
    if (!reached.ok())
        return R::failure(reached.error);
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
    t.rightButton = button(q.value(6));
    t.clickedButton = button(q.value(7));
    return R::success(t);
}
