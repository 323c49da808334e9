#pragma once
// The questions of one level as a table: question, right answer, three wrong answers and the
// illustration; a cell the bank cannot hold is coloured and says why in its tooltip.

#include <QAbstractTableModel>
#include <QColor>

class BankDocument;

class QuestionModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit QuestionModel(BankDocument *doc, QObject *parent = nullptr);

    /// The colour of a cell with a problem.
    static QColor problemColor() { return QColor(0xFF, 0xC8, 0xC8); }

    int level() const { return m_level; }
    void setLevel(int level);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    bool shown(int level) const { return level == m_level; }

    BankDocument *m_doc;
    int m_level = 1;
};
