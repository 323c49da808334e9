#include "serverresults.h"

#include "cp1251.h"
#include "results.h"
#include "resultstable.h"
#include "serverschema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Every kind of row under one set of names, so that one filter serves all. "received" orders
// them as they arrived: a row sent later comes later, as a file's new record does. A machine
// whose last game never ended and sent nothing for a while is one row, timed by its last row.
const char *kRowsSql =
    "SELECT kind, id, lesson, name, levels, grade, machine, recorded, reason, standing, received, sender,"
    "       host(sender_address) FROM ("
    " SELECT 'record' AS kind, id::text AS id, lesson, name, levels, grade, machine, recorded,"
    "        NULL::text AS reason, standing, received, sender, sender_address FROM tallory.results"
    " UNION ALL"
    " SELECT 'unchecked', game::text, lesson, student, NULL::smallint, NULL::text, machine, noted, reason, NULL,"
    "        received, sender, sender_address FROM tallory.unchecked_attempts"
    " UNION ALL"
    " SELECT 'journal', id::text, '', '', NULL, NULL, machine, noted, reason, NULL, received, sender, sender_address"
    " FROM tallory.journal_failures"
    " UNION ALL"
    " SELECT 'silent', g.id::text, g.lesson, g.student, NULL, NULL, g.machine, g.started, NULL, NULL, s.last,"
    "        g.sender, g.sender_address"
    " FROM tallory.games g"
    " CROSS JOIN LATERAL (SELECT greatest(g.received, (SELECT max(a.received) FROM tallory.answers a"
    "                                                 WHERE a.game = g.id)) AS last) s"
    " WHERE NOT EXISTS (SELECT FROM tallory.game_ends e WHERE e.game = g.id)"
    "   AND NOT EXISTS (SELECT FROM tallory.games later WHERE later.machine = g.machine"
    "                   AND (later.started, later.id) > (g.started, g.id))"
    "   AND s.last < pg_catalog.now() - make_interval(mins => %1)) AS r";

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

ServerResultRow::Kind kindOf(const QString &kind)
{
    if (kind == QLatin1String("unchecked"))
        return ServerResultRow::Kind::Unchecked;
    if (kind == QLatin1String("journal"))
        return ServerResultRow::Kind::JournalFailed;
    if (kind == QLatin1String("silent"))
        return ServerResultRow::Kind::Silent;
    return ServerResultRow::Kind::Record;
}

ServerResultRow rowOf(const QSqlQuery &q)
{
    ServerResultRow row;
    row.kind = kindOf(q.value(0).toString());
    row.id = q.value(1).toString();
    row.lesson = q.value(2).toString();
    row.name = q.value(3).toString();
    row.levels = q.value(4).isNull() ? -1 : q.value(4).toInt();
    row.grade = q.value(5).toString();
    row.machine = q.value(6).toString();
    row.recorded = q.value(7).toDateTime().toLocalTime();
    row.reason = q.value(8).toString();
    row.standing = q.value(9).toString();
    row.received = q.value(10).toDateTime().toLocalTime();
    row.sender = q.value(11).toString();
    row.senderAddress = q.value(12).toString();
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
    const QString sql = QString::fromLatin1(kRowsSql).arg(kSilentMachineMinutes) + conditions(query, values)
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
    if (row.kind != ServerResultRow::Kind::Record)
        return e;
    // The class's password lets anybody insert a record: only one its game's own rows stand
    // behind is in order.
    if (row.standing == QLatin1String("no_game")) {
        e.state = ResultEntry::State::Mismatch;
        e.reason = QStringLiteral("за записью нет игры (ни начала, ни ответов, ни конца): журнал компьютера не "
                                  "записывался, или запись вставлена в обход игры");
    } else if (row.standing == QLatin1String("disagrees")) {
        e.state = ResultEntry::State::Mismatch;
        e.reason = QStringLiteral("запись расходится с ответами своей игры или игра не окончена");
    } else if (e.grade != GradeWord(row.levels + 1)) {
        e.state = ResultEntry::State::Mismatch;
        e.reason = QStringLiteral("оценка не соответствует числу пройденных уровней");
    }
    return e;
}

QString ServerStateText(const ServerResultRow &row)
{
    switch (row.kind) {
    case ServerResultRow::Kind::Unchecked:
        return QStringLiteral("попытка без проверки сервером: ") + row.reason;
    case ServerResultRow::Kind::JournalFailed:
        return QStringLiteral("журнал компьютера не записывается: ") + row.reason;
    case ServerResultRow::Kind::Silent:
        return QStringLiteral("строки с компьютера перестали приходить: игра «%1» не окончена, последняя строка "
                              "получена %2").arg(row.name, ServerTimeText(row.received));
    case ServerResultRow::Kind::Record:
        break;
    }
    const ResultEntry entry = ServerResultEntry(row);
    if (entry.state == ResultEntry::State::Intact && row.standing == QLatin1String("loaded"))
        return QStringLiteral("загружена учителем из файла");
    return StateText(entry);
}

QString ServerReceivedText(const ServerResultRow &row)
{
    QStringList parts{ServerTimeText(row.received)};
    if (!row.sender.isEmpty())
        parts << (row.senderAddress.isEmpty() ? QStringLiteral("на сервере") : row.senderAddress) << row.sender;
    return parts.join(QStringLiteral(", "));
}

QString ServerTimeText(const QDateTime &time)
{
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

QStringList ServerResultColumnTitles()
{
    return ResultColumnTitles() << QStringLiteral("Компьютер") << QStringLiteral("Записано")
                                << QStringLiteral("Получено");
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
    return fields << machine << ServerTimeText(row.recorded) << ServerReceivedText(row);
}
