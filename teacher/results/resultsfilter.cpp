#include "resultsfilter.h"

#include "cp1251.h"
#include "resultsmodel.h"

#include <QByteArrayMatcher>
#include <QHash>

#include <algorithm>
#include <map>
#include <numeric>

ResultsFilter::ResultsFilter(QObject *parent)
    : QAbstractProxyModel(parent)
{
}

void ResultsFilter::setResultsModel(ResultsModel *model)
{
    beginResetModel();
    if (m_results)
        disconnect(m_results, nullptr, this, nullptr);
    m_results = model;
    setSourceModel(model);
    if (model) {
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &ResultsFilter::sourceAboutToReset);
        connect(model, &QAbstractItemModel::modelReset, this, &ResultsFilter::sourceReset);
    }
    prepare();
    sortAll();
    filterAll();
    endResetModel();
}

void ResultsFilter::setLesson(const std::optional<QByteArray> &lessonKey)
{
    if (lessonKey == m_lesson)
        return;
    m_lesson = lessonKey;
    relayout(NoLayoutChangeHint, [this] { filterAll(); });
}

void ResultsFilter::setNameFilter(const QString &text)
{
    if (text == m_nameText)
        return;
    m_nameText = text;
    // Names are stored in Windows-1251: a typed character it cannot hold is in no name.
    const std::optional<QByteArray> bytes = cp1251::encode(text);
    m_needle = bytes ? std::optional<QByteArray>(cp1251::upper(*bytes)) : std::nullopt;
    relayout(NoLayoutChangeHint, [this] { filterAll(); });
}

void ResultsFilter::sort(int column, Qt::SortOrder order)
{
    if (column == m_sortColumn && order == m_sortOrder)
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    relayout(VerticalSortHint, [this] {
        sortAll();
        filterAll();
    });
}

// Rows stay selected and current across a change as long as they pass.
template <typename Change>
void ResultsFilter::relayout(QAbstractItemModel::LayoutChangeHint hint, Change change)
{
    emit layoutAboutToBeChanged({}, hint);
    const QModelIndexList before = persistentIndexList();
    QList<int> sources;
    for (const QModelIndex &index : before)
        sources.append(m_shown[size_t(index.row())]);
    change();
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = m_proxyRow[size_t(sources[i])];
        after.append(row < 0 ? QModelIndex() : createIndex(row, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, hint);
}

void ResultsFilter::sourceAboutToReset()
{
    beginResetModel();
}

void ResultsFilter::sourceReset()
{
    prepare();
    sortAll();
    filterAll();
    endResetModel();
}

void ResultsFilter::sortAll()
{
    const int n = m_results ? m_results->rowCount() : 0;
    m_order.resize(size_t(n));
    std::iota(m_order.begin(), m_order.end(), 0);
    if (m_sortColumn < 0 || !m_results)
        return;
    // Within equal values, and in the name column, by name: a lesson's pupils read alphabetically.
    rankNames();
    const std::vector<qint64> keys = columnKeys();
    const auto less = [&](int a, int b) {
        const auto sa = size_t(a);
        const auto sb = size_t(b);
        return keys[sa] != keys[sb] ? keys[sa] < keys[sb] : m_nameRank[sa] < m_nameRank[sb];
    };
    // Stable, both ways: equal records keep their file order whichever way the column runs.
    if (m_sortOrder == Qt::AscendingOrder)
        std::stable_sort(m_order.begin(), m_order.end(), less);
    else
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) { return less(b, a); });
}

void ResultsFilter::prepare()
{
    const int n = m_results ? m_results->rowCount() : 0;
    m_names.clear();
    m_nameStart.assign(1, 0);
    m_lessonOf.clear();
    m_gradeOf.clear();
    m_lessons.clear();
    m_nameRank.clear();
    QHash<QByteArray, int> lessonNumbers;
    for (int r = 0; r < n; ++r) {
        const ResultRow &row = m_results->resultRow(r);
        m_names += row.nameKey;
        m_nameStart.push_back(int(m_names.size()));
        auto lesson = lessonNumbers.constFind(row.lessonKey);
        if (lesson == lessonNumbers.cend()) {
            lesson = lessonNumbers.insert(row.lessonKey, int(m_lessons.size()));
            m_lessons.append(row.lessonKey);
        }
        m_lessonOf.push_back(*lesson);
        m_gradeOf.push_back(static_cast<signed char>(row.grade));
    }
}

void ResultsFilter::filterAll()
{
    const int lesson = m_lesson ? int(m_lessons.indexOf(*m_lesson)) : -1;
    const std::vector<char> names = nameMatches();
    m_shown.clear();
    m_proxyRow.assign(m_order.size(), -1);
    m_counts = {};
    if (m_lesson && lesson < 0)
        return;
    for (int source : m_order) {
        if (!names[size_t(source)] || (lesson >= 0 && m_lessonOf[size_t(source)] != lesson))
            continue;
        m_proxyRow[size_t(source)] = int(m_shown.size());
        m_shown.push_back(source);
        if (m_gradeOf[size_t(source)] >= 0)
            ++m_counts[size_t(m_gradeOf[size_t(source)])];
    }
}

// Which names hold the typed text, by source row: one search through the block of names.
std::vector<char> ResultsFilter::nameMatches() const
{
    const size_t n = m_nameStart.size() - 1;
    if (m_nameText.isEmpty())
        return std::vector<char>(n, 1);
    std::vector<char> matches(n, 0);
    if (!m_needle || m_needle->isEmpty())
        return matches;
    const QByteArrayMatcher matcher(*m_needle);
    const int length = int(m_needle->size());
    size_t row = 0;
    qsizetype hit = matcher.indexIn(m_names, 0);
    while (hit >= 0) {
        while (m_nameStart[row + 1] <= hit)
            ++row;
        // A hit running over into the next name is no hit.
        const bool within = hit + length <= m_nameStart[row + 1];
        if (within)
            matches[row] = 1;
        hit = matcher.indexIn(m_names, within ? m_nameStart[row + 1] : hit + 1);
    }
    return matches;
}

// Each record's place in the column's order, ties left at 0: sorting then compares numbers.
std::vector<qint64> ResultsFilter::columnKeys() const
{
    const size_t n = m_lessonOf.size();
    std::vector<qint64> keys(n, 0);
    if (m_sortColumn == ResultsModel::Lesson) {
        // Windows-1251 keeps the upper-case Cyrillic letters in alphabetical order.
        QList<QByteArray> sorted = m_lessons;
        std::sort(sorted.begin(), sorted.end());
        for (size_t r = 0; r < n; ++r)
            keys[r] = sorted.indexOf(m_lessons[m_lessonOf[r]]);
    } else if (m_sortColumn == ResultsModel::File) {
        std::map<QList<int>, qint64> places;
        for (size_t r = 0; r < n; ++r)
            places.emplace(m_results->resultRow(int(r)).files, 0);
        qint64 place = 0;
        for (auto &entry : places)
            entry.second = place++;
        for (size_t r = 0; r < n; ++r)
            keys[r] = places[m_results->resultRow(int(r)).files];
    } else {
        for (size_t r = 0; r < n; ++r)
            keys[r] = key(int(r));
    }
    return keys;
}

qint64 ResultsFilter::key(int source) const
{
    const ResultRow &row = m_results->resultRow(source);
    switch (m_sortColumn) {
    case ResultsModel::Levels:
        return row.entry.levels;
    case ResultsModel::Grade:
        return m_gradeOf[size_t(source)];
    case ResultsModel::State:
        return (qint64(row.entry.state) << 32) + row.conflicts.size();
    case ResultsModel::Recorded:
        return m_results->showsServer() ? m_results->serverRow(source).recorded.toMSecsSinceEpoch() : 0;
    case ResultsModel::Received:
        return m_results->showsServer() ? m_results->serverRow(source).received.toMSecsSinceEpoch() : 0;
    default:
        return 0;
    }
}

// Every name's place in alphabetical order, made once for the records read.
void ResultsFilter::rankNames()
{
    const size_t n = m_lessonOf.size();
    if (m_nameRank.size() == n)
        return;
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) { return name(a) < name(b); });
    m_nameRank.assign(n, 0);
    for (size_t i = 1; i < n; ++i) {
        const bool same = name(order[i]) == name(order[i - 1]);
        m_nameRank[size_t(order[i])] = same ? m_nameRank[size_t(order[i - 1])] : int(i);
    }
}

QByteArrayView ResultsFilter::name(int source) const
{
    const int start = m_nameStart[size_t(source)];
    return QByteArrayView(m_names.constData() + start, m_nameStart[size_t(source) + 1] - start);
}

QModelIndex ResultsFilter::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid() || !m_results || proxyIndex.model() != this)
        return {};
    return m_results->index(m_shown[size_t(proxyIndex.row())], proxyIndex.column());
}

QModelIndex ResultsFilter::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != m_results)
        return {};
    const int row = m_proxyRow[size_t(sourceIndex.row())];
    return row < 0 ? QModelIndex() : createIndex(row, sourceIndex.column());
}

QModelIndex ResultsFilter::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    return createIndex(row, column);
}

QModelIndex ResultsFilter::parent(const QModelIndex &) const
{
    return {};
}

QModelIndex ResultsFilter::sibling(int row, int column, const QModelIndex &idx) const
{
    return idx.isValid() ? index(row, column) : QModelIndex();
}

int ResultsFilter::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int ResultsFilter::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_results ? 0 : m_results->columnCount();
}

bool ResultsFilter::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_shown.empty() && columnCount() > 0;
}
