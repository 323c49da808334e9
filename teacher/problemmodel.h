#pragma once
// Every problem of the bank in one list: a cell of a question or a whole level, with where it
// is, so that the editor can jump to it.

#include "bankdocument.h"

#include <QAbstractListModel>

class ProblemModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit ProblemModel(BankDocument *doc, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    /// The problem of a row.
    const BankProblem &problem(int row) const { return m_problems[row]; }

private:
    void refresh();

    BankDocument *m_doc;
    QList<BankProblem> m_problems;
};
