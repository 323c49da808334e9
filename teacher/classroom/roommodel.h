#pragma once
// The students of a running room, one row each, as the server's teacher API reports them. A
// refresh changes rows in place and appends newcomers at the bottom, so the teacher's selection
// and the rows' order stay put while the table follows the room.

#include <QAbstractTableModel>
#include <QJsonArray>
#include <QList>

#include <optional>

struct RoomStudent {
    QString id; ///< the server's name of the game; the same for the game's whole life
    QString lesson;
    QString name;
    QString device;  ///< the address the student's requests come from
    bool desktop = false; ///< the desktop game on a lab machine; else a browser
    QString machine; ///< the lab machine's name, as the desktop game gives it
    int level = 0;
    int points = 0;
    QStringList lifelinesUsed; ///< the lifelines spent, in the desktop's order
    QString state;             ///< в игре, ушёл со страницы, нет связи, закончил
    std::optional<int> grade;
    QString gradeText;
    int leaves = 0; ///< how often the student left the page during a question
    bool moveAllowed = false;

    bool finished() const;
    /// The state as the table shows it: a finished game with its grade.
    QString stateText() const;
    /// Where the student plays: the lab machine's name for the desktop game, the address for a browser.
    QString deviceText() const;
};

/// One student of the teacher API's room.
RoomStudent RoomStudentFromJson(const QJsonObject &json);

class RoomModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Name, Lesson, Device, Level, Points, Lifelines, State, Leaves, ColumnCount };

    explicit RoomModel(QObject *parent = nullptr);

    /// Takes the room's students; a game the server no longer lists leaves the table.
    void update(const QJsonArray &students);
    void clear();

    const RoomStudent &student(int row) const { return m_students.at(row); }
    /// The games not finished yet.
    int playing() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVariant cell(const RoomStudent &s, int column) const;
    int rowOf(const QString &id) const;

    QList<RoomStudent> m_students;
};
