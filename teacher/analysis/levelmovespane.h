#pragma once
// «Предложить уровни»: the moves the class's answers suggest, each with its reason, for the
// teacher to accept or reject one by one. An accepted move is handed to whoever holds the bank
// (the editor), which makes it an undo step; the pane only records the teacher's decision.

#include "answeranalysis.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;
class TableFit;

class LevelMovesPane : public QWidget
{
    Q_OBJECT

public:
    /// Carries out an accepted move; an empty text when done, else why not, for the teacher.
    using Applier = std::function<QString(const LevelMove &)>;
    /// What to say of a move before it is accepted (a level it would leave empty); empty: nothing.
    using Warner = std::function<QString(const LevelMove &)>;

    explicit LevelMovesPane(QWidget *parent = nullptr);

    void setApplier(Applier applier) { m_applier = std::move(applier); }
    void setWarner(Warner warner) { m_warner = std::move(warner); }
    /// Shows the moves proposed for lesson from these figures and why their answers are enough.
    /// Proposed again for the same lesson (new games came in), the teacher's decisions stay:
    /// a decided move keeps its mark, and stays listed even when it is no longer proposed.
    void setMoves(const QString &lesson, const QList<LevelMove> &moves, const AnalysisSettings &settings);
    /// No proposals shown.
    void clear() { setMoves({}, {}, AnalysisSettings{}); }
    /// The lesson whose moves are shown; empty when none are.
    const QString &lesson() const { return m_lesson; }
    const QList<LevelMove> &moves() const { return m_moves; }
    /// The decision on each move: «принят», «отклонён» or empty while undecided.
    QString decision(int row) const;

private:
    void accept();
    void reject();
    void decide(int row, const QString &word);
    void updateButtons();

    void fillTable();

    Applier m_applier;
    Warner m_warner;
    QString m_lesson;
    QList<LevelMove> m_moves;
    QStringList m_decisions; ///< per move: «принят», «отклонён» or empty
    QTableWidget *m_table = nullptr;
    TableFit *m_fit = nullptr; ///< keeps every column, the decision too, inside the width
    QLabel *m_why = nullptr;     ///< how many answers a move needs, and why that is enough
    QLabel *m_result = nullptr;  ///< what became of the last decision
    QPushButton *m_accept = nullptr;
    QPushButton *m_reject = nullptr;
};
