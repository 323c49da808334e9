#pragma once
// The question table of the analysis: one row per question of the lesson, as the class
// answered it, with the flags and, in their tooltips, why each was raised.

#include "answeranalysis.h"

#include <QAbstractTableModel>

class QuestionTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        Level, Question, Asked, Right, Wrong1, Wrong2, Wrong3, Median, Fifty, Audience, Friend,
        RightButton, Flags, ColumnCount
    };

    explicit QuestionTableModel(QObject *parent = nullptr);

    void setQuestions(const QList<QuestionFigures> &questions);
    const QList<QuestionFigures> &questions() const { return m_questions; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVariant display(const QuestionFigures &q, int column) const;
    QVariant toolTip(const QuestionFigures &q, int column) const;

    QList<QuestionFigures> m_questions;
};

/// A share as the table shows it: "40 %"; "—" when nothing was answered.
QString ShareText(double share, int answered);
/// Where the right answer stood, most often first: "B 3, A 1".
QString RightButtonText(const std::array<int, 5> &onButton);
