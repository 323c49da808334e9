#include "roommodel.h"

#include <QBrush>
#include <QColor>
#include <QJsonObject>

#include <algorithm>

namespace {

const QString kFinished = QStringLiteral("закончил");

// The lifelines under the names the desktop's menu gives them, shortened for a column.
struct Lifeline {
    const char *key;
    const char *shown;
};
constexpr Lifeline kLifelines[] = {{"fifty", "50 х 50"}, {"audience", "зал"}, {"friend", "друг"}};

} // namespace

bool RoomStudent::finished() const
{
    return state == kFinished;
}

QString RoomStudent::stateText() const
{
    if (!finished() || !grade)
        return state;
    return QStringLiteral("%1: %2 (%3)").arg(state).arg(*grade).arg(gradeText);
}

QString RoomStudent::deviceText() const
{
    if (!desktop)
        return QStringLiteral("%1 (браузер)").arg(device);
    // A desktop game that did not name its machine is still told apart from a browser.
    return QStringLiteral("%1 (программа)").arg(machine.isEmpty() ? device : machine);
}

RoomStudent RoomStudentFromJson(const QJsonObject &json)
{
    RoomStudent s;
    s.id = json.value(QStringLiteral("id")).toString();
    s.lesson = json.value(QStringLiteral("lesson")).toString();
    s.name = json.value(QStringLiteral("name")).toString();
    s.device = json.value(QStringLiteral("device")).toString();
    s.desktop = json.value(QStringLiteral("face")).toString() == QStringLiteral("desktop");
    s.machine = json.value(QStringLiteral("machine")).toString();
    s.level = json.value(QStringLiteral("level")).toInt();
    s.points = json.value(QStringLiteral("points")).toInt();
    const QJsonObject lifelines = json.value(QStringLiteral("lifelines")).toObject();
    for (const Lifeline &l : kLifelines) {
        if (lifelines.value(QLatin1String(l.key)).toBool())
            s.lifelinesUsed.append(QString::fromUtf8(l.shown));
    }
    s.state = json.value(QStringLiteral("state")).toString();
    const QJsonValue grade = json.value(QStringLiteral("grade"));
    if (grade.isDouble())
        s.grade = grade.toInt();
    s.gradeText = json.value(QStringLiteral("gradeText")).toString();
    s.leaves = json.value(QStringLiteral("leaves")).toInt();
    s.moveAllowed = json.value(QStringLiteral("moveAllowed")).toBool();
    return s;
}

RoomModel::RoomModel(QObject *parent) : QAbstractTableModel(parent) {}

int RoomModel::rowOf(const QString &id) const
{
    for (qsizetype row = 0; row < m_students.size(); ++row) {
        if (m_students[row].id == id)
            return int(row);
    }
    return -1;
}

void RoomModel::update(const QJsonArray &students)
{
    QList<RoomStudent> fresh;
    for (const QJsonValue &v : students)
        fresh.append(RoomStudentFromJson(v.toObject()));
    // Gone from the room first, from the bottom, then the rows still there in place.
    for (int row = int(m_students.size()) - 1; row >= 0; --row) {
        const QString &id = m_students[row].id;
        if (std::none_of(fresh.cbegin(), fresh.cend(), [&id](const RoomStudent &s) { return s.id == id; })) {
            beginRemoveRows({}, row, row);
            m_students.removeAt(row);
            endRemoveRows();
        }
    }
    for (const RoomStudent &s : fresh) {
        const int row = rowOf(s.id);
        if (row >= 0) {
            m_students[row] = s;
            emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
            continue;
        }
        beginInsertRows({}, int(m_students.size()), int(m_students.size()));
        m_students.append(s);
        endInsertRows();
    }
}

void RoomModel::clear()
{
    beginResetModel();
    m_students.clear();
    endResetModel();
}

int RoomModel::playing() const
{
    return int(std::count_if(m_students.cbegin(), m_students.cend(), [](const RoomStudent &s) { return !s.finished(); }));
}

int RoomModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_students.size());
}

int RoomModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RoomModel::cell(const RoomStudent &s, int column) const
{
    switch (column) {
    case Name:
        return s.moveAllowed ? QStringLiteral("%1 (может перейти на другое устройство)").arg(s.name) : s.name;
    case Lesson:
        return s.lesson;
    case Device:
        return s.deviceText();
    case Level:
        return s.level;
    case Points:
        return s.points;
    case Lifelines:
        return s.lifelinesUsed.isEmpty() ? QStringLiteral("—") : s.lifelinesUsed.join(QStringLiteral(", "));
    case State:
        return s.stateText();
    case Leaves:
        return s.leaves;
    default:
        return {};
    }
}

QVariant RoomModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_students.size())
        return {};
    const RoomStudent &s = m_students[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return cell(s, index.column());
    case Qt::TextAlignmentRole:
        return index.column() == Level || index.column() == Points || index.column() == Leaves
                   ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    case Qt::BackgroundRole:
        // The games to look at: a student off the page or out of reach, the amber the results
        // table marks doubtful records with.
        if (index.column() == State && !s.finished() && s.state != QStringLiteral("в игре"))
            return QBrush(QColor(0xff, 0xe0, 0x90));
        if (index.column() == Leaves && s.leaves > 0)
            return QBrush(QColor(0xff, 0xe0, 0x90));
        return {};
    default:
        return {};
    }
}

QVariant RoomModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList titles{QStringLiteral("Ученик"),  QStringLiteral("Занятие"),
                                    QStringLiteral("Устройство"), QStringLiteral("Уровень"),
                                    QStringLiteral("Очки"),    QStringLiteral("Подсказки"),
                                    QStringLiteral("Состояние"), QStringLiteral("Уходы со страницы")};
    return titles.value(section);
}
