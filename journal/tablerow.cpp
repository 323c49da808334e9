#include "tablerow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// The journal's games row. Its start goes to the server's games table and its end, under the
// game's id, to game_ends, where an end always has a time and a way.
const RowColumn kGames[] = {
    {"id", "TEXT PRIMARY KEY", "uuid NOT NULL"},
    {"lesson", "TEXT NOT NULL", "text NOT NULL"},
    {"student", "TEXT NOT NULL", "text NOT NULL"},
    {"machine", "TEXT NOT NULL", "text NOT NULL"},
    {"bank_file", "TEXT NOT NULL", "text NOT NULL"},
    {"bank_sha256", "TEXT NOT NULL", "text NOT NULL"},
    {"started", "TEXT NOT NULL", "timestamp with time zone NOT NULL"},
    {"ended", "TEXT", nullptr},
    {"ending", "TEXT", nullptr},
    {"levels_passed", "INTEGER", nullptr},
    {"grade", "TEXT", nullptr},
};

const RowColumn kGameEnds[] = {
    {"game", nullptr, "uuid NOT NULL"},
    {"ended", nullptr, "timestamp with time zone NOT NULL"},
    {"ending", nullptr, "text NOT NULL"},
    {"levels_passed", nullptr, "smallint"},
    {"grade", nullptr, "text"},
};

const RowColumn kResults[] = {
    {"id", nullptr, "uuid NOT NULL"},
    {"lesson", nullptr, "text NOT NULL"},
    {"name", nullptr, "text NOT NULL"},
    {"levels", nullptr, "smallint NOT NULL"},
    {"grade", nullptr, "text NOT NULL"},
    {"machine", nullptr, "text NOT NULL"},
    {"recorded", nullptr, "timestamp with time zone NOT NULL"},
};

const RowColumn kUnchecked[] = {
    {"game", nullptr, "uuid NOT NULL"},
    {"lesson", nullptr, "text NOT NULL"},
    {"student", nullptr, "text NOT NULL"},
    {"machine", nullptr, "text NOT NULL"},
    {"noted", nullptr, "timestamp with time zone NOT NULL"},
    {"reason", nullptr, "text NOT NULL"},
};

const RowColumn kFailures[] = {
    {"id", nullptr, "uuid NOT NULL"},
    {"machine", nullptr, "text NOT NULL"},
    {"noted", nullptr, "timestamp with time zone NOT NULL"},
    {"reason", nullptr, "text NOT NULL"},
};

// A student who left the page (another tab, another app, a locked screen) while a question of
// a game on the class server was open: the game, the leave's number in it, the level, and when.
const RowColumn kPageLeaves[] = {
    {"game", "TEXT NOT NULL", "uuid NOT NULL"},
    {"seq", "INTEGER NOT NULL", "smallint NOT NULL"},
    {"level", "INTEGER NOT NULL", "smallint NOT NULL"},
    {"left_at", "TEXT NOT NULL", "timestamp with time zone NOT NULL"},
};

QStringList namesWhere(const RowTable &table, const char *RowColumn::*type)
{
    QStringList names;
    for (const RowColumn &c : table.columns) {
        if (c.*type)
            names << QString::fromLatin1(c.name);
    }
    return names;
}

QJsonValue jsonOf(const QVariant &v)
{
    if (v.isNull())
        return QJsonValue(QJsonValue::Null);
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: return QJsonValue(v.toLongLong());
    default: return QJsonValue(v.toString());
    }
}

QVariant variantOf(const QJsonValue &v)
{
    if (v.isNull() || v.isUndefined())
        return QVariant();
    if (v.isDouble()) {
        const double d = v.toDouble();
        return std::trunc(d) == d ? QVariant(static_cast<qint64>(d)) : QVariant(d);
    }
    return QVariant(v.toString());
}

} // namespace

QStringList RowTable::journalColumns() const
{
    return namesWhere(*this, &RowColumn::sqlite);
}

QStringList RowTable::serverColumns() const
{
    return namesWhere(*this, &RowColumn::postgres);
}

const RowTable &GamesTable()
{
    static const RowTable table{"games", "tallory.games", kGames};
    return table;
}

const RowTable &GameEndsTable()
{
    static const RowTable table{nullptr, "tallory.game_ends", kGameEnds};
    return table;
}

const RowTable &ResultsTable()
{
    static const RowTable table{nullptr, "tallory.results", kResults};
    return table;
}

const RowTable &UncheckedAttemptsTable()
{
    static const RowTable table{nullptr, "tallory.unchecked_attempts", kUnchecked};
    return table;
}

const RowTable &JournalFailuresTable()
{
    static const RowTable table{nullptr, "tallory.journal_failures", kFailures};
    return table;
}

const RowTable &PageLeavesTable()
{
    static const RowTable table{"page_leaves", "tallory.page_leaves", kPageLeaves};
    return table;
}

TableRow::TableRow(std::initializer_list<std::pair<const char *, QVariant>> values)
{
    for (const auto &[name, value] : values)
        set(name, value);
}

qsizetype TableRow::indexOf(QStringView name) const
{
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (m_names[i] == name)
            return i;
    }
    return -1;
}

TableRow &TableRow::set(const QString &name, const QVariant &value)
{
    const qsizetype at = indexOf(name);
    if (at >= 0) {
        m_values[at] = value;
    } else {
        m_names << name;
        m_values << value;
    }
    return *this;
}

QVariant TableRow::value(QStringView name) const
{
    const qsizetype at = indexOf(name);
    return at >= 0 ? m_values[at] : QVariant();
}

QVariantList TableRow::valuesOf(const QStringList &names) const
{
    QVariantList values;
    values.reserve(names.size());
    for (const QString &name : names)
        values << value(name);
    return values;
}

QString TableRow::mismatch(const QStringList &columns) const
{
    for (const QString &name : columns) {
        if (!has(name))
            return QStringLiteral("нет столбца «%1»").arg(name);
    }
    for (const QString &name : m_names) {
        if (!columns.contains(name))
            return QStringLiteral("лишний столбец «%1»").arg(name);
    }
    return QString();
}

QString TableRow::toJson() const
{
    QJsonObject object;
    for (qsizetype i = 0; i < m_names.size(); ++i)
        object.insert(m_names[i], jsonOf(m_values[i]));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

std::optional<TableRow> TableRow::fromJson(const QString &payload, const QStringList &columns)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(payload.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    TableRow row;
    if (doc.isObject()) {
        const QJsonObject object = doc.object();
        for (auto it = object.begin(); it != object.end(); ++it)
            row.set(it.key(), variantOf(it.value()));
        return row;
    }
    if (!doc.isArray())
        return std::nullopt;
    // A queue of an earlier program: its values in the order of the server's columns then,
    // which are these. A count that differs names no column: it is left to the check by name.
    const QJsonArray array = doc.array();
    for (qsizetype i = 0; i < array.size(); ++i)
        row.set(i < columns.size() ? columns[i] : QStringLiteral("#%1").arg(i + 1), variantOf(array[i]));
    return row;
}

RowPlaces::RowPlaces(const QSqlRecord &record)
{
    for (int i = 0; i < record.count(); ++i)
        m_places.insert(record.fieldName(i), i);
}

TableRow TableRow::fromQuery(const QSqlQuery &q, const RowPlaces &places, const QStringList &columns)
{
    TableRow row;
    for (const QString &name : columns)
        row.set(name, places.value(q, name));
    return row;
}

QString InsertSql(const QString &table, const TableRow &row)
{
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, row.names().join(QStringLiteral(", ")),
             QStringList(row.names().size(), QStringLiteral("?")).join(QStringLiteral(", ")));
}

QString SqliteCreateTable(const RowTable &table, const QStringList &constraints, bool withoutRowid)
{
    QStringList lines;
    for (const RowColumn &c : table.columns) {
        if (c.sqlite)
            lines << QStringLiteral("    %1 %2").arg(QLatin1String(c.name), QLatin1String(c.sqlite));
    }
    for (const QString &constraint : constraints)
        lines << QStringLiteral("    ") + constraint;
    return QStringLiteral("CREATE TABLE %1 (\n%2\n)%3")
        .arg(QLatin1String(table.journal), lines.join(QStringLiteral(",\n")),
             withoutRowid ? QStringLiteral(" WITHOUT ROWID") : QString());
}

QString ServerIsoTime(const QString &expression)
{
    return QStringLiteral("to_char(%1 AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"')").arg(expression);
}

QString ServerSelectList(const RowTable &table, const QString &alias, const QStringList &except)
{
    QStringList select;
    for (const RowColumn &c : table.columns) {
        const QString name = QLatin1String(c.name);
        if (!c.postgres || except.contains(name))
            continue;
        const QString column = alias.isEmpty() ? name : alias + QLatin1Char('.') + name;
        const QLatin1String type(c.postgres);
        if (type.startsWith(QLatin1String("uuid")))
            select << QStringLiteral("%1::text AS %2").arg(column, name);
        else if (type.startsWith(QLatin1String("timestamp")))
            select << QStringLiteral("%1 AS %2").arg(ServerIsoTime(column), name);
        else
            select << column;
    }
    return select.join(QStringLiteral(", "));
}
