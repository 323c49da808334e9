#pragma once
// The columns of a table share the width of its view: the table never scrolls sideways, and
// every column keeps room for its whole title. A small screen (1024 pixels) shows every column
// at once; a cell too narrow for its text shows the start of it, the rest in its tooltip.

#include <QList>
#include <QObject>

class QTableView;

class TableFit : public QObject
{
    Q_OBJECT

public:
    /// weights: one per column. Room left over is shared by weight; room missing is taken from
    /// the columns of weight above 0, by weight, down to the width of their titles. A column
    /// of weight 0 keeps the width it prefers. The columns are fitted again whenever the view
    /// changes its width.
    TableFit(QTableView *table, QList<int> weights);

    /// The widths the columns would take on a wide screen, such as their contents' widths.
    void setPreferred(QList<int> widths);
    /// Sizes the columns to the view now.
    void fit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<int> leastWidths() const;

    QTableView *m_table;
    QList<int> m_weights;
    QList<int> m_preferred;
};

