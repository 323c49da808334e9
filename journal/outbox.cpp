#include "outbox.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>

#include <cmath>

namespace {
// AUTOINCREMENT: a seq is never handed out again, even after the last row is sent and deleted,
// so the sender's "everything up to the last seq I sent" never takes a row it has not sent.
const char *const kOutbox = R"(CREATE TABLE IF NOT EXISTS outbox (
    seq     INTEGER PRIMARY KEY AUTOINCREMENT,
    tbl     TEXT NOT NULL,
    payload TEXT NOT NULL
))";

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

QSqlError CreateOutbox(QSqlDatabase &db)
{
    QSqlQuery q(db);
    return q.exec(QString::fromLatin1(kOutbox)) ? QSqlError() : q.lastError();
}

JournalStatement OutboxRow(const QString &table, const QVariantList &values)
{
    QJsonArray array;
    for (const QVariant &v : values)
        array.append(jsonOf(v));
    const QString payload = QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
    return {QStringLiteral("INSERT INTO outbox (tbl, payload) VALUES (?, ?)"), {table, payload}};
}

std::optional<QVariantList> OutboxValues(const QString &payload)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(payload.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return std::nullopt;
    QVariantList values;
    for (const QJsonValue &v : doc.array())
        values << variantOf(v);
    return values;
}
