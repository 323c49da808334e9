#pragma once
// One journal's answers to one lesson, added up by SQLite: what the analysis merges over every
// machine's file. Counts are summed in the query; the times come back as one list per question
// (a median cannot be merged from medians); the texts are not read here at all, only where the
// last row of each question and answer is, so that they are fetched once per question.

#include "journalreader.h"
#include "result.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <array>
#include <vector>

/// Where a row is, and when it was written: "shown|game", so that the latest compares greatest.
using RowMark = QString;

/// One question of a lesson in one journal.
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
};

/// One lesson in one journal.
struct LessonTally {
    QList<QuestionTally> questions;
    QList<JournalGame> games;
    /// Per level: unfinished games left on a question of that level before it was answered,
    /// which left no answer row (the program closed with the question on screen).
    std::array<int, 16> leftOnScreen{};
};

/// Adds up the answers of lesson in a journal's read-only connection.
Result<LessonTally> TallyLesson(const QSqlDatabase &db, const QString &lesson);

/// The texts of one answer row, as shown.
struct ShownTexts {
    int bankIndex = 0;
    QString question;
    std::array<QString, 5> onButton{}; ///< [1..4] A..D
    int rightButton = 0;
    int clickedButton = 0;
};

/// The texts of the row a mark names (level gives the rest of its key).
Result<ShownTexts> ReadShownTexts(const QSqlDatabase &db, const RowMark &mark, int level);

/// The median of the times; -1 when there are none.
qint64 MedianMs(std::vector<qint64> ms);
