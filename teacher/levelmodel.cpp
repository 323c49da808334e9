#include "levelmodel.h"

#include "bankdocument.h"
#include "diagnostic.h"
#include "questionmodel.h"

LevelModel::LevelModel(BankDocument *doc, QObject *parent) : QAbstractListModel(parent), m_doc(doc)
{
    connect(doc, &BankDocument::countChanged, this, [this](int level) {
        emit dataChanged(indexOf(level), indexOf(level));
    });
    const auto all = [this] { emit dataChanged(index(0), index(kBankLevels - 1)); };
    connect(doc, &BankDocument::bankReset, this, all);
    connect(doc, &BankDocument::minimumChanged, this, all);
}

int LevelModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kBankLevels;
}

QVariant LevelModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int level = levelOf(index);
    switch (role) {
    case Qt::DisplayRole: {
        const int n = m_doc->count(level);
        return QStringLiteral("Уровень %1 — %2").arg(level).arg(
            RussianCount(n, QStringLiteral("вопрос"), QStringLiteral("вопроса"), QStringLiteral("вопросов")));
    }
    case Qt::BackgroundRole:
        if (m_doc->levelProblem(level).isEmpty())
            return {};
        return QuestionModel::problemColor();
    case Qt::ToolTipRole: {
        const QString why = m_doc->levelProblem(level);
        return why.isEmpty() ? QVariant() : QVariant(why);
    }
    default:
        return {};
    }
}
