#include "problemmodel.h"

ProblemModel::ProblemModel(BankDocument *doc, QObject *parent) : QAbstractListModel(parent), m_doc(doc)
{
    connect(doc, &BankDocument::problemsChanged, this, &ProblemModel::refresh);
    refresh();
}

// Problems come and go anywhere in the bank with one keystroke; the list is read afresh, which
// takes a fraction of a millisecond even for a large bank, because every question keeps its own.
void ProblemModel::refresh()
{
    QList<BankProblem> now = m_doc->allProblems();
    beginResetModel();
    m_problems = std::move(now);
    endResetModel();
}

int ProblemModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_problems.size());
}

QVariant ProblemModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_problems[index.row()].text;
    return {};
}
