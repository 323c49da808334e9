#pragma once
// The bank open in the workbench: its questions, what the game's rules say about each of them,
// and every edit as a step that can be undone.

#include "bank.h"

#include <QObject>
#include <QUndoStack>

#include <vector>

/// A problem of the bank, for the problems list: a cell of a question, or a whole level.
struct BankProblem {
    int level = 0;   ///< 0 for a line of the notes
    int row = -1;    ///< -1 for a problem of the level itself
    int column = -1; ///< -1 for the whole line or the whole level
    QString text;    ///< for the teacher: where and why
};

/// A question with the level it goes to.
struct LevelQuestion {
    int level = 1;
    QuestionFields fields;
};

class BankDocument : public QObject
{
    Q_OBJECT

public:
    explicit BankDocument(QObject *parent = nullptr);

    /// Replaces the bank, validating every question; the undo history starts afresh.
    void reset(EditorBank bank);
    EditorBank bank() const;
    QStringList notes() const { return m_notes; }
    void setNotes(const QStringList &notes);

    int count(int level) const;
    const QuestionFields &question(int level, int row) const;
    const QList<QuestionProblem> &problems(int level, int row) const;
    /// The reasons against one cell, one a line; a problem of the whole line counts for every cell.
    QString cellProblems(int level, int row, int column) const;
    /// Why the level cannot be played as it is, or an empty text.
    QString levelProblem(int level) const;
    /// Every problem, level by level and row by row.
    QList<BankProblem> allProblems() const;
    bool hasProblems() const;

    /// The fewest questions a level should have; 1 by default.
    int minimum() const { return m_minimum; }
    void setMinimum(int minimum);

    QUndoStack *undoStack() { return &m_undo; }

    // Edits: each one is a step of the undo stack.
    void setField(int level, int row, int column, const QString &text);
    void addQuestion(int level, int row, const QuestionFields &fields);
    /// Appends the questions to their levels as one step.
    void addQuestions(const QList<LevelQuestion> &questions, const QString &what);
    void removeQuestion(int level, int row);
    /// Removes the rows of the level as one step; rows in any order, repeats ignored.
    void removeQuestions(int level, QList<int> rows);
    void duplicateQuestion(int level, int row);
    void moveToLevel(int level, int row, int target);
    /// Appends the rows to the target level in their order and removes them here, as one step.
    void moveToLevel(int level, QList<int> rows, int target);
    void moveQuestion(int level, int from, int to);

    // The changes themselves, done and undone by the steps; no step of their own.
    void applyInsert(int level, int row, const QuestionFields &fields);
    QuestionFields applyRemove(int level, int row);
    void applySet(int level, int row, int column, const QString &text);
    void applyNotes(const QStringList &notes);
    void applyMove(int level, int from, int to);

signals:
    void aboutToInsert(int level, int row);
    void inserted(int level, int row);
    void aboutToRemove(int level, int row);
    void removed(int level, int row);
    void aboutToMove(int level, int from, int to);
    void moved(int level, int from, int to);
    void questionChanged(int level, int row);
    void bankReset();
    void countChanged(int level);
    void problemsChanged();
    void notesChanged();
    void minimumChanged(int minimum);

private:
    struct Entry {
        QuestionFields fields;
        QList<QuestionProblem> problems;
    };
    const Entry &entry(int level, int row) const;
    static Entry checked(const QuestionFields &fields);
    static void checkAll(const std::vector<Entry *> &entries);

    std::vector<std::vector<Entry>> m_levels = std::vector<std::vector<Entry>>(kBankLevels + 1);
    QStringList m_notes;
    int m_minimum = 1;
    QUndoStack m_undo;
};
