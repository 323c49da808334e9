#include "outbox.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
// AUTOINCREMENT: a seq is never handed out again, even after the last row is sent and deleted,
// so the sender's "everything up to the last seq I sent" never takes a row it has not sent.
const char *const kOutbox = R"(CREATE TABLE IF NOT EXISTS outbox (
    seq     INTEGER PRIMARY KEY AUTOINCREMENT,
    tbl     TEXT NOT NULL,
    payload TEXT NOT NULL
))";

} // namespace

QSqlError CreateOutbox(QSqlDatabase &db)
{
    QSqlQuery q(db);
    return q.exec(QString::fromLatin1(kOutbox)) ? QSqlError() : q.lastError();
}

JournalStatement OutboxRow(const QString &table, const TableRow &row)
{
    return {QStringLiteral("INSERT INTO outbox (tbl, payload) VALUES (?, ?)"), {table, row.toJson()}};
}

std::optional<TableRow> OutboxPayloadRow(const QString &payload, const QStringList &columns)
{
    return TableRow::fromJson(payload, columns);
}
