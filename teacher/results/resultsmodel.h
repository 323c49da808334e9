#pragma once
// The merged records of the open results files as a table: lesson, name, levels passed, grade,
// the files that hold the record and its state. Damaged and conflicting rows carry a colour
// and say why in their tooltip. The school's rows from the server show the same way, the file
// column naming the machine, and two columns more: when the machine recorded the row, and when,
// from where and as whom the server received it.

#include "resultsmerge.h"
#include "serverresults.h"

#include <QAbstractTableModel>
#include <QColor>

#include <vector>

class ResultsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    /// Files have ColumnCount columns; the server's rows have Recorded and Received too.
    enum Column { Lesson, Name, Levels, Grade, File, State, ColumnCount, Recorded = ColumnCount, Received };

    /// Background of a damaged record and of one that conflicts with another copy.
    static inline const QColor kDamagedColor = QColor(0xF6, 0xC6, 0xC0);
    static inline const QColor kConflictColor = QColor(0xFF, 0xE2, 0x8A);

    explicit ResultsModel(QObject *parent = nullptr);

    /// Shows the records of these files, merged, in place of the ones shown.
    void setSources(std::vector<ResultsSource> sources);
    const std::vector<ResultsSource> &sources() const { return m_sources; }

    /// Shows the school's rows read from the server in place of what was shown: one source per
    /// machine, so that the file column names the machine and sorts by it.
    void setServerRows(std::vector<ServerResultRow> rows);
    bool showsServer() const { return m_server; }
    const ServerResultRow &serverRow(int row) const { return m_serverRows[size_t(row)]; }

    const ResultRow &resultRow(int row) const { return m_rows[size_t(row)]; }

    /// Every lesson of the records, upper-cased as the game matches them, in alphabetical order.
    QList<QByteArray> lessons() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const QStringList &fields(int row) const;
    QString text(int row, int column) const;
    QString stateText(const ResultRow &row) const;
    QString toolTip(const ResultRow &row, int column) const;

    std::vector<ResultsSource> m_sources;
    std::vector<ResultRow> m_rows;
    bool m_server = false;                      ///< the rows are the server's, not the files'
    std::vector<ServerResultRow> m_serverRows;  ///< by row, when they are
    /// The displayed fields of the rows painted so far. Decoding is slow next to painting:
    /// each row is decoded once, when it is first seen.
    mutable std::vector<QStringList> m_fields;
};
