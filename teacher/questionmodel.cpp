#include "questionmodel.h"

#include "bankdocument.h"

namespace {

const char16_t *const kHeaders[kFieldColumns] = {
    u"Вопрос", u"Верный ответ", u"Неверный 1", u"Неверный 2", u"Неверный 3", u"Рисунок",
};

} // namespace

QuestionModel::QuestionModel(BankDocument *doc, QObject *parent) : QAbstractTableModel(parent), m_doc(doc)
{
    connect(doc, &BankDocument::aboutToInsert, this, [this](int level, int row) {
        if (shown(level))
            beginInsertRows({}, row, row);
    });
    connect(doc, &BankDocument::inserted, this, [this](int level) {
        if (shown(level))
            endInsertRows();
    });
    connect(doc, &BankDocument::aboutToRemove, this, [this](int level, int row) {
        if (shown(level))
            beginRemoveRows({}, row, row);
    });
    connect(doc, &BankDocument::removed, this, [this](int level) {
        if (shown(level))
            endRemoveRows();
    });
    connect(doc, &BankDocument::aboutToMove, this, [this](int level, int from, int to) {
        if (shown(level))
            beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    });
    connect(doc, &BankDocument::moved, this, [this](int level) {
        if (shown(level))
            endMoveRows();
    });
    connect(doc, &BankDocument::questionChanged, this, [this](int level, int row) {
        if (shown(level))
            emit dataChanged(index(row, 0), index(row, kFieldColumns - 1));
    });
    connect(doc, &BankDocument::bankReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

void QuestionModel::setLevel(int level)
{
    if (level == m_level)
        return;
    beginResetModel();
    m_level = level;
    endResetModel();
}

int QuestionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_doc->count(m_level);
}

int QuestionModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kFieldColumns;
}

QVariant QuestionModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return FieldAt(m_doc->question(m_level, index.row()), index.column());
    case Qt::BackgroundRole:
        if (m_doc->cellProblems(m_level, index.row(), index.column()).isEmpty())
            return {};
        return problemColor();
    case Qt::ToolTipRole: {
        const QString why = m_doc->cellProblems(m_level, index.row(), index.column());
        if (!why.isEmpty())
            return why;
        const QString &text = FieldAt(m_doc->question(m_level, index.row()), index.column());
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    default:
        return {};
    }
}

bool QuestionModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    m_doc->setField(m_level, index.row(), index.column(), value.toString());
    return true;
}

QVariant QuestionModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= kFieldColumns)
        return {};
    return QString::fromUtf16(kHeaders[section]);
}

Qt::ItemFlags QuestionModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}
