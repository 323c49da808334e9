#pragma once
// The fifteen levels of the bank with their question counts; a level that cannot be played as
// it is (no question, or fewer than the teacher's minimum) is coloured and says why.

#include <QAbstractListModel>

class BankDocument;

class LevelModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit LevelModel(BankDocument *doc, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    /// The level of a row and back: row 0 is level 1.
    static int levelOf(const QModelIndex &index) { return index.row() + 1; }
    QModelIndex indexOf(int level) const { return index(level - 1); }

private:
    BankDocument *m_doc;
};
