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

    explicit LevelMovesPane(QWidget *parent = nullptr);

    void setApplier(Applier applier) { m_applier = std::move(applier); }
    /// Shows the moves proposed from these figures and why their answers are enough.
    void setMoves(const QList<LevelMove> &moves, const AnalysisSettings &settings);
    const QList<LevelMove> &moves() const { return m_moves; }
    /// The decision on each move: «принят», «отклонён» or empty while undecided.
    QString decision(int row) const;

private:
    void accept();
    void reject();
    void decide(int row, const QString &word);
    void updateButtons();

    Applier m_applier;
    QList<LevelMove> m_moves;
    QTableWidget *m_table = nullptr;
    TableFit *m_fit = nullptr; ///< keeps every column, the decision too, inside the width
    QLabel *m_why = nullptr;     ///< how many answers a move needs, and why that is enough
    QLabel *m_result = nullptr;  ///< what became of the last decision
    QPushButton *m_accept = nullptr;
    QPushButton *m_reject = nullptr;
};
