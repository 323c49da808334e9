#pragma once
// The rows the journal and the school's server both hold, each table's columns said once: their
// names and their types in SQLite and in PostgreSQL. A row is written and read by its columns'
// names, never by a place in a list, so a statement, an outbox payload and a table that name
// their columns in another order still agree; a name that is not the table's is an error.

#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <span>
#include <utility>

/// One column of a table.
struct RowColumn {
    const char *name;
    /// Its type in the journal, NOT NULL included; nullptr: the journal's table has no such column.
    const char *sqlite;
    /// Its type on the school's server as format_type() names it, NOT NULL included; nullptr:
    /// the server's table has no such column.
    const char *postgres;
};

/// A table by its columns, in the order its CREATE TABLE gives them.
struct RowTable {
    const char *journal; ///< the journal's table; nullptr: the journal keeps none
    const char *server;  ///< the server's table, schema included; nullptr: the server keeps none
    std::span<const RowColumn> columns;

    /// The names of the columns the journal's table has, in order.
    QStringList journalColumns() const;
    /// The names of the columns the server's table has (those a row sends), in order.
    QStringList serverColumns() const;
};

/// The journal's games table: a game as it starts, completed as it ends. The server keeps the
/// start in tallory.games and the end in tallory.game_ends.
const RowTable &GamesTable();
/// The server's tallory.game_ends: the end of a journal's games row, under the game's id.
const RowTable &GameEndsTable();
/// The server's tallory.results: a graded game's record as tallory.rez gets it.
const RowTable &ResultsTable();
/// The server's tallory.unchecked_attempts: a game let in by the machine's own file.
const RowTable &UncheckedAttemptsTable();
/// The server's tallory.journal_failures: a machine's word that its journal could not be written.
const RowTable &JournalFailuresTable();

/// The journal's page_leaves and the server's tallory.page_leaves: a student who left the page
/// of a class server's game while a question was open.
const RowTable &PageLeavesTable();

/// The places of a query's columns by name, looked up once for all its rows.
class RowPlaces
{
public:
    explicit RowPlaces(const QSqlRecord &record);
    /// The value of the named column in the query's current row; invalid when it has none.
    QVariant value(const QSqlQuery &q, const QString &name) const { return q.value(m_places.value(name, -1)); }

private:
    QHash<QString, int> m_places;
};

/// One row's values by column name, in the order they were set.
class TableRow
{
public:
    TableRow() = default;
    /// The row from name and value pairs.
    TableRow(std::initializer_list<std::pair<const char *, QVariant>> values);

    /// Sets a column's value, adding the column when the row has none of that name yet.
    TableRow &set(const QString &name, const QVariant &value);
    TableRow &set(const char *name, const QVariant &value) { return set(QString::fromLatin1(name), value); }
    /// A column's value; an invalid QVariant when the row has no such column.
    QVariant value(QStringView name) const;
    bool has(QStringView name) const { return indexOf(name) >= 0; }

    const QStringList &names() const { return m_names; }
    const QVariantList &values() const { return m_values; }
    /// The values of these columns, in their order (null where the row lacks one).
    QVariantList valuesOf(const QStringList &names) const;

    /// Why the row is not a row of exactly these columns, in Russian; empty when it is.
    QString mismatch(const QStringList &columns) const;

    /// The row as a JSON object, for a queue that keeps it as text.
    QString toJson() const;
    /// The row back from toJson(), or from a JSON array of values in the order of columns (as
    /// queues written before rows carried names keep them). Texts, whole numbers and nulls come
    /// back as they went in; nothing when the payload is neither.
    static std::optional<TableRow> fromJson(const QString &payload, const QStringList &columns);

    /// The row of a query's current result, the named columns read by name.
    static TableRow fromQuery(const QSqlQuery &q, const RowPlaces &places, const QStringList &columns);

    bool operator==(const TableRow &other) const = default;

private:
    qsizetype indexOf(QStringView name) const;

    QStringList m_names;
    QVariantList m_values;
};

/// "INSERT INTO table (names...) VALUES (?, ...)" for a row's columns, bound in the row's order.
QString InsertSql(const QString &table, const TableRow &row);

/// The CREATE TABLE of a journal's table: its columns as the table gives them, then the
/// table's own constraints (its key, checks, references), each a line of its own.
QString SqliteCreateTable(const RowTable &table, const QStringList &constraints, bool withoutRowid);

/// A select list of a table's server columns that reads them back as the journal has them:
/// uuids as text and times as the journal's ISO 8601 text (JournalTime), each under its own name.
/// alias: the table's alias in the statement, or empty; except: columns left out.
QString ServerSelectList(const RowTable &table, const QString &alias = QString(), const QStringList &except = {});
/// The ISO 8601 text of a timestamptz expression, as the journal writes its times.
QString ServerIsoTime(const QString &expression);
