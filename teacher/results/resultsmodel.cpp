#include "resultsmodel.h"

#include "cp1251.h"
#include "resultstable.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <algorithm>

ResultsModel::ResultsModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void ResultsModel::setSources(std::vector<ResultsSource> sources)
{
    beginResetModel();
    m_server = false;
    m_serverRows.clear();
    m_sources = std::move(sources);
    m_rows = MergeResults(m_sources);
    m_fields.assign(m_rows.size(), {});
    endResetModel();
}

void ResultsModel::setServerRows(std::vector<ServerResultRow> rows)
{
    beginResetModel();
    m_server = true;
    m_serverRows = std::move(rows);
    m_sources.clear();
    m_rows.clear();
    QHash<QString, int> machines;
    for (const ServerResultRow &server : m_serverRows) {
        const int place = machines.value(server.machine, int(m_sources.size()));
        if (place == int(m_sources.size())) {
            machines.insert(server.machine, place);
            m_sources.push_back(ResultsSource{server.machine, server.machine, {}, {}, false});
        }
        ResultRow row;
        row.entry = ServerResultEntry(server);
        row.lessonKey = cp1251::upper(row.entry.lesson);
        row.nameKey = cp1251::upper(row.entry.name);
        row.grade = server.kind == ServerResultRow::Kind::Record ? GradeOf(row.entry) : Grade::Unknown;
        row.files = {place};
        m_rows.push_back(std::move(row));
    }
    m_fields.assign(m_rows.size(), {});
    endResetModel();
}

QList<QByteArray> ResultsModel::lessons() const
{
    QSet<QByteArray> seen;
    for (const ResultRow &row : m_rows)
        seen.insert(row.lessonKey);
    QList<QByteArray> list(seen.begin(), seen.end());
    // Windows-1251 keeps the upper-case Cyrillic letters in alphabetical order.
    std::sort(list.begin(), list.end());
    return list;
}

int ResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_server ? Received + 1 : ColumnCount;
}

QVariant ResultsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ResultRow &row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::ToolTipRole:
        return toolTip(row, index.column());
    case Qt::BackgroundRole:
        if (row.entry.state == ResultEntry::State::Damaged)
            return kDamagedColor;
        if (!row.conflicts.isEmpty())
            return kConflictColor;
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == Levels)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case File:
        return m_server ? QStringLiteral("Компьютер") : QStringLiteral("Файл");
    case Recorded:
        return QStringLiteral("Записано");
    case Received:
        return QStringLiteral("Получено");
    case State:
        return QStringLiteral("Состояние");
    default:
        // The first four read as the command-line listing names them.
        return ResultColumnTitles().at(section);
    }
}

const QStringList &ResultsModel::fields(int row) const
{
    QStringList &shown = m_fields[size_t(row)];
    if (shown.isEmpty())
        shown = ResultFields(m_rows[size_t(row)].entry);
    return shown;
}

QString ResultsModel::text(int r, int column) const
{
    const ResultRow &row = m_rows[size_t(r)];
    switch (column) {
    case Lesson:
    case Name:
    case Levels:
    case Grade:
        return fields(r).at(column);
    case File: {
        QStringList labels;
        for (int s : row.files)
            labels.append(m_sources[size_t(s)].label);
        return labels.join(QStringLiteral(", "));
    }
    case State:
        return m_server ? ServerStateText(m_serverRows[size_t(r)]) : stateText(row);
    case Recorded:
        return m_server ? ServerTimeText(m_serverRows[size_t(r)].recorded) : QString();
    case Received:
        return m_server ? ServerReceivedText(m_serverRows[size_t(r)]) : QString();
    default:
        return {};
    }
}

QString ResultsModel::stateText(const ResultRow &row) const
{
    if (row.conflicts.isEmpty())
        return StateText(row.entry);
    const QString conflict = QStringLiteral("расходится с записью: ") + row.conflicts.join(QStringLiteral("; "));
    if (row.entry.state == ResultEntry::State::Intact)
        return conflict;
    return StateText(row.entry) + QStringLiteral("; ") + conflict;
}

QString ResultsModel::toolTip(const ResultRow &row, int column) const
{
    if (column == File) {
        QStringList paths;
        for (int s : row.files)
            paths.append(QDir::toNativeSeparators(m_sources[size_t(s)].path));
        return paths.join(QLatin1Char('\n'));
    }
    QStringList lines;
    if (row.entry.state != ResultEntry::State::Intact)
        lines.append(StateText(row.entry));
    for (const QString &c : row.conflicts)
        lines.append(QStringLiteral("Расходится с записью: ") + c);
    return lines.join(QLatin1Char('\n'));
}
