#include "serverresults.h"

#include "cp1251.h"
#include "results.h"
#include "resultstable.h"
#include "serverschema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Both tables under one set of names, so that one filter serves both. "received" orders them
// as they arrived: a row sent later comes later, as a file's new record does.
const char *kRowsSql =
    "SELECT kind, id, lesson, name, levels, grade, machine, recorded, reason FROM ("
    " SELECT 'record' AS kind, id::text AS id, lesson, name, levels, grade, machine, recorded,"
    "        NULL::text AS reason, received FROM tallory.results"
    " UNION ALL"
    " SELECT 'unchecked', game::text, lesson, student, NULL::smallint, NULL::text, machine, noted, reason, received"
    " FROM tallory.unchecked_attempts) AS r";

// The conditions of the query's filters, each with its values; the SQL is fixed text, the
// values are bound.
QString conditions(const ServerResultsQuery &query, QVariantList &values)
{
    QStringList where;
    if (!query.lesson.isEmpty()) {
        where << QStringLiteral("upper(lesson) = upper(?)");
        values << query.lesson;
    }
    if (!query.name.isEmpty()) {
        where << QStringLiteral("strpos(upper(name), upper(?)) > 0");
        values << query.name;
    }
    if (!query.machine.isEmpty()) {
        where << QStringLiteral("strpos(upper(machine), upper(?)) > 0");
        values << query.machine;
    }
    if (query.from.isValid()) {
        where << QStringLiteral("recorded >= ?::timestamptz");
        values << query.from.startOfDay().toUTC().toString(Qt::ISODateWithMs);
    }
    if (query.to.isValid()) {
        where << QStringLiteral("recorded < ?::timestamptz");
        values << query.to.addDays(1).startOfDay().toUTC().toString(Qt::ISODateWithMs);
    }
    return where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
}

ServerResultRow rowOf(const QSqlQuery &q)
{
    ServerResultRow row;
    row.kind = q.value(0).toString() == QLatin1String("unchecked") ? ServerResultRow::Kind::Unchecked
                                                                   : ServerResultRow::Kind::Record;
    row.id = q.value(1).toString();
    row.lesson = q.value(2).toString();
    row.name = q.value(3).toString();
    row.levels = q.value(4).isNull() ? -1 : q.value(4).toInt();
    row.grade = q.value(5).toString();
    row.machine = q.value(6).toString();
    row.recorded = q.value(7).toDateTime().toLocalTime();
    row.reason = q.value(8).toString();
    return row;
}

// Text the server holds in Unicode, in the code page the game's records use; a character the
// code page lacks shows as "?", never cutting the text.
QByteArray stored(const QString &text)
{
    if (const auto bytes = cp1251::encode(text))
        return *bytes;
    QString plain = text;
    for (QChar &c : plain) {
        if (!cp1251::byteOf(c.unicode()))
            c = QLatin1Char('?');
    }
    return cp1251::encode(plain).value_or(QByteArray());
}

} // namespace

std::unique_ptr<ServerConnection> OpenSchoolServer(const QString &service, const ServerConnectOptions &options,
                                                   QString *problem)
{
    ServerProblem failed;
    auto connection = ServerConnection::open(service, options, &failed);
    if (!connection) {
        *problem = failed.message;
        return nullptr;
    }
    QSqlDatabase db = connection->database();
    const auto state = ReadServerSchema(db, service);
    *problem = state.ok() ? SchemaProblem(service, state.value, ServerSchemaVersion()) : state.error;
    if (!problem->isEmpty())
        return nullptr;
    return connection;
}

Result<std::vector<ServerResultRow>> ReadServerResults(QSqlDatabase &db, const ServerResultsQuery &query)
{
    using Rows = Result<std::vector<ServerResultRow>>;
    QVariantList values;
    const QString sql = QLatin1String(kRowsSql) + conditions(query, values)
                        + QStringLiteral(" ORDER BY received, recorded, id");
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        return Rows::failure(DescribeServerError(q.lastError()));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        return Rows::failure(DescribeServerError(q.lastError()));
    std::vector<ServerResultRow> rows;
    while (q.next())
        rows.push_back(rowOf(q));
    return Rows::success(std::move(rows));
}

ResultEntry ServerResultEntry(const ServerResultRow &row)
{
    ResultEntry e;
    e.lesson = stored(row.lesson);
    e.name = stored(row.name);
    e.key = checks(e.name);
    e.levels = row.levels;
    e.grade = stored(row.grade);
    if (row.kind == ServerResultRow::Kind::Record && e.grade != GradeWord(row.levels + 1)) {
        e.state = ResultEntry::State::Mismatch;
        e.reason = QStringLiteral("оценка не соответствует числу пройденных уровней");
    }
    return e;
}

QString ServerStateText(const ServerResultRow &row)
{
    if (row.kind == ServerResultRow::Kind::Unchecked)
        return QStringLiteral("попытка без проверки сервером: ") + row.reason;
    return StateText(ServerResultEntry(row));
}

QString ServerTimeText(const QDateTime &time)
{
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

QStringList ServerResultColumnTitles()
{
    return ResultColumnTitles() << QStringLiteral("Компьютер") << QStringLiteral("Записано");
}

QStringList ServerResultFields(const ServerResultRow &row)
{
    QStringList fields = ResultFields(ServerResultEntry(row));
    fields.last() = ServerStateText(row);
    // Machine names come from the machines: a control character would break the table's line.
    QString machine = row.machine;
    for (QChar &c : machine) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QChar::ReplacementCharacter;
    }
    return fields << machine << ServerTimeText(row.recorded);
}
