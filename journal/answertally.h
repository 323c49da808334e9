#pragma once
// A lesson's answers added up per question, from either place that keeps them: a machine's
// journal (SQLite) or the school's server (PostgreSQL). Each sums the counts in its own SQL
// (the two statements stand side by side in tallysql.cpp and return the same columns); the
// rows come back as one row type, and one fold (TallyFold) makes the figures from them,
// whichever source and however many. Times come back as lists (a median cannot be merged from
// medians); texts are fetched only where the latest row of each question and answer is, once
// per question, unless the source read them along.

#include "journalreader.h"
#include "result.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <array>
#include <optional>
#include <vector>

/// Where a row is, and when it was written: "shown|game", so that the latest compares greatest.
using RowMark = QString;

/// The texts of one answer row, as shown.
struct ShownTexts {
    int bankIndex = 0;
    QString question;
    std::array<QString, 5> onButton{}; ///< [1..4] A..D
    int rightButton = 0;
    int clickedButton = 0;
};

/// A question's texts as its latest rows show them, in bank order (as QuestionFigures keeps them).
struct QuestionTexts {
    int bankIndex = 0;
    QString question;
    std::array<QString, 5> answers{}; ///< [1] right, [2..4] wrong 1..3 as last chosen; empty: never
};

/// One question of a lesson in one source.
struct QuestionTally {
    int level = 0;
    QString sha256;
    int asked = 0;
    int answered = 0;
    std::array<int, 5> chosen{};
    std::array<int, 5> rightOnButton{};
    int fiftyFifty = 0;
    int audience = 0;
    int friendCalls = 0;
    std::vector<qint64> rightMs; ///< the times of the right answers
    std::vector<qint64> otherMs; ///< the times of the wrong ones
    /// [0] the last time it was asked; [2..4] the last time wrong answer 1..3 was chosen.
    std::array<RowMark, 5> latest{};
    /// The texts of those rows, where the source read them with the counts.
    std::optional<QuestionTexts> texts;
};

/// One lesson in one source.
struct LessonTally {
    QList<QuestionTally> questions;
    QList<JournalGame> games;
    /// Per level: unfinished games left on a question of that level before it was answered,
    /// which left no answer row (the program closed with the question on screen).
    std::array<int, 16> leftOnScreen{};
};

/// The SQL each source adds a lesson up with.
enum class TallyDialect { Sqlite, PostgreSql };

/// The statement that adds up one lesson's answers per question, the lesson its one value;
/// columns under the names ReadTallyRows reads. Public so that a benchmark can give sqlite3 or
/// psql the very same aggregate.
QString LessonTallySql(TallyDialect dialect);
/// The statement that counts, per unfinished game of the lesson (its one value), the answer
/// rows of a game whose every row is a right answer; ReadLeftOnScreen reads it.
QString LeftOnScreenSql(TallyDialect dialect);

/// The rows of an executed LessonTallySql, either dialect's.
QList<QuestionTally> ReadTallyRows(QSqlQuery &q);
/// The rows of an executed LeftOnScreenSql: a game whose every row is right was left with the
/// next question on screen, which that level counts as reached.
void ReadLeftOnScreen(QSqlQuery &q, std::array<int, 16> &leftOnScreen);

/// Adds up the answers of lesson in a journal's read-only connection (games not read).
Result<LessonTally> TallyLesson(const QSqlDatabase &db, const QString &lesson);

/// The texts of the row a mark names (level gives the rest of its key).
Result<ShownTexts> ReadShownTexts(const QSqlDatabase &db, const RowMark &mark, int level);

/// The median of the times; -1 when there are none.
qint64 MedianMs(std::vector<qint64> ms);
