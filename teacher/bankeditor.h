#pragma once
// The bank tab: the levels with their counts, the questions of the chosen level, the title and
// notes, the picture of the chosen question and every problem of the bank in one list.

#include <QWidget>

class BankDocument;
class CellDelegate;
class LevelModel;
class ProblemModel;
class QuestionModel;
class QAction;
class QLabel;
class QListView;
class QPlainTextEdit;
class QSpinBox;
class QTableView;
class TeacherPrompts;

class BankEditor : public QWidget
{
    Q_OBJECT

public:
    /// folder: the program folder, ending in "/", against which illustrations are resolved.
    BankEditor(BankDocument *doc, const QString &folder, TeacherPrompts *prompts, QWidget *parent = nullptr);

    int currentLevel() const;
    void setCurrentLevel(int level);
    /// The row of the question being edited, -1 when none.
    int currentRow() const;
    /// The rows with a selected cell, in order; the current row when nothing is selected.
    QList<int> selectedRows() const;
    void setCurrentCell(int row, int column);
    /// Shows the level and cell of the problem in that row of the problems list.
    void jumpToProblem(int problemRow);

    /// Whether a cell is being edited and its text differs from the bank's: a change not yet made.
    bool hasPendingEdit() const;
    /// Makes the text of the cell being edited an edit of the bank and closes the cell's editor.
    void commitEdit();

    /// The edits of questions, for the window's menu.
    QList<QAction *> editActions() const;
    /// The local file an illustration names, or an empty text for a web address or nothing.
    QString illustrationFile(const QString &reference) const;
    /// The text of the illustration preview: empty when a picture is shown.
    QString previewText() const;
    bool previewShowsPicture() const;

    QTableView *table() const { return m_table; }
    QListView *levelList() const { return m_levels; }
    QListView *problemList() const { return m_problems; }
    QSpinBox *minimumBox() const { return m_minimum; }
    QPlainTextEdit *notesEdit() const { return m_notes; }

signals:
    /// A cell's editor opened, changed its text or closed.
    void pendingEditChanged();

private:
    QWidget *openEditor() const;
    void buildActions();
    QWidget *buildLeft();
    QWidget *buildRight();
    void addQuestion();
    void typeInto(int row);
    void duplicateQuestion();
    void removeQuestion();
    void moveToLevel();
    void moveBy(int step);
    void chooseIllustration();
    void updatePreview();
    void updateActions();
    void notesEdited();
    void notesReplaced();

    BankDocument *m_doc;
    QString m_folder;
    TeacherPrompts *m_prompts;
    QuestionModel *m_questionModel = nullptr;
    LevelModel *m_levelModel = nullptr;
    ProblemModel *m_problemModel = nullptr;
    QTableView *m_table = nullptr;
    QListView *m_levels = nullptr;
    QListView *m_problems = nullptr;
    QSpinBox *m_minimum = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    CellDelegate *m_delegate = nullptr; ///< the table's cells: says when one is being typed into
    QLabel *m_preview = nullptr;
    QAction *m_add = nullptr;       ///< a new question after the current one, Ins
    QAction *m_duplicate = nullptr; ///< a copy of the current question, Ctrl+D
    QAction *m_remove = nullptr;    ///< the current question deleted, Ctrl+Del
    QAction *m_toLevel = nullptr;   ///< the current question moved to another level, Ctrl+M
    QAction *m_up = nullptr;        ///< one place up, Ctrl+Up
    QAction *m_down = nullptr;      ///< one place down, Ctrl+Down
    QAction *m_picture = nullptr;   ///< the illustration chosen from a file, Ctrl+R
};
