#pragma once
// The records the teacher asked for: one lesson or all, names holding the typed text, in the
// order of the column clicked.
//
// A class can hold 100 000 records, and the filter follows the typing. A sort/filter proxy
// sorts the rows that pass after every keystroke and reports each run of removed rows on its
// own, which a view answers by walking all its rows. Here every record is sorted once, when
// the order or the records change; a keystroke walks that order once, keeping the rows that
// pass, and reports one layout change. What the filter reads is kept apart in a few compact
// arrays, the names one after another in one block, so that a keystroke runs through
// memory in order instead of visiting a hundred thousand records scattered over the heap.

#include "resultsmerge.h"

#include <QAbstractProxyModel>
#include <QByteArray>

#include <array>
#include <optional>
#include <vector>

class ResultsModel;

class ResultsFilter : public QAbstractProxyModel
{
    Q_OBJECT

public:
    explicit ResultsFilter(QObject *parent = nullptr);

    /// The model filtered; it changes its records only by a reset.
    void setResultsModel(ResultsModel *model);

    /// Only records of this lesson (upper-cased), or of every lesson when none.
    void setLesson(const std::optional<QByteArray> &lessonKey);
    std::optional<QByteArray> lesson() const { return m_lesson; }

    /// Only records whose name holds this text, letter case aside; every record when empty.
    void setNameFilter(const QString &text);
    QString nameFilter() const { return m_nameText; }

    /// How many of the records shown earned each grade, in Grade order; damaged ones count nowhere.
    std::array<int, kGradeCount> gradeCounts() const { return m_counts; }

    /// The source rows shown, in the order shown.
    const std::vector<int> &shownSourceRows() const { return m_shown; }

    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex &idx) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;

private:
    template <typename Change>
    void relayout(QAbstractItemModel::LayoutChangeHint hint, Change change);
    void sourceAboutToReset();
    void sourceReset();
    void prepare();
    void sortAll();
    void filterAll();
    std::vector<char> nameMatches() const;
    std::vector<qint64> columnKeys() const;
    qint64 key(int source) const;
    void rankNames();
    QByteArrayView name(int source) const;

    ResultsModel *m_results = nullptr;
    std::optional<QByteArray> m_lesson;
    QString m_nameText;
    std::optional<QByteArray> m_needle; ///< the typed text upper-cased; none when the code page cannot hold it
    int m_sortColumn = -1;              ///< -1: the records' own order
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::vector<int> m_order;    ///< every source row, sorted
    std::vector<int> m_shown;    ///< the source rows that pass, sorted: proxy row → source row
    std::vector<int> m_proxyRow; ///< source row → proxy row, -1 when filtered out
    std::array<int, kGradeCount> m_counts{}; ///< grades of the rows shown

    // The records as the filter reads them, by source row.
    QByteArray m_names;            ///< every upper-cased name, one after another
    std::vector<int> m_nameStart;  ///< where each name begins in m_names; one more at the end
    std::vector<int> m_lessonOf;   ///< the lesson's number in m_lessons
    std::vector<signed char> m_gradeOf; ///< Grade, -1 when unknown
    QList<QByteArray> m_lessons;   ///< the upper-cased lessons, numbered as met
    std::vector<int> m_nameRank;   ///< each name's place in alphabetical order; made at the first sort
};
