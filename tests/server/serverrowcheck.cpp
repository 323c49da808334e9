#include "serverrowcheck.h"

#include <QSqlQuery>
#include <QSqlError>
#include <QSqlRecord>
#include <QUuid>

namespace rowcheck {

namespace {

const QStringList kTimes = {QStringLiteral("started"), QStringLiteral("shown"), QStringLiteral("ended"),
                            QStringLiteral("recorded"), QStringLiteral("noted")};

QString tableName(ServerTable table)
{
    switch (table) {
    case ServerTable::Results: return QStringLiteral("results");
    case ServerTable::Games: return QStringLiteral("games");
    case ServerTable::GameEnds: return QStringLiteral("game_ends");
    case ServerTable::Answers: return QStringLiteral("answers");
    case ServerTable::UncheckedAttempts: return QStringLiteral("unchecked_attempts");
    case ServerTable::JournalFailures: return QStringLiteral("journal_failures");
    case ServerTable::PageLeaves: return QStringLiteral("page_leaves");
    }
    return QString();
}

QStringList rows(QSqlQuery &q)
{
    QStringList out;
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < q.record().count(); ++i)
            values << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
        out << values.join(QStringLiteral(" | "));
    }
    out.sort();
    return out;
}

} // namespace

QStringList serverRows(QSqlDatabase &db, ServerTable table)
{
    QStringList select;
    for (const QString &column : ServerColumns(table)) {
        if (kTimes.contains(column))
            select << QStringLiteral("to_char(%1 AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"')").arg(column);
        else
            select << column + QStringLiteral("::text");
    }
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT %1 FROM tallory.%2").arg(select.join(QStringLiteral(", ")), tableName(table))))
        return {q.lastError().text()};
    return rows(q);
}

QStringList journalRows(const QString &journalPath, ServerTable table)
{
    QStringList out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("rowcheck"));
        db.setDatabaseName(journalPath);
        db.open();
        QSqlQuery q(db);
        const QString columns = ServerColumns(table).join(QStringLiteral(", "));
        if (table == ServerTable::GameEnds)
            q.exec(QStringLiteral("SELECT id, ended, ending, levels_passed, grade FROM games WHERE ended IS NOT NULL"));
        else
            q.exec(QStringLiteral("SELECT %1 FROM %2").arg(columns, tableName(table)));
        out = q.lastError().isValid() ? QStringList{q.lastError().text()} : rows(q);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("rowcheck"));
    return out;
}

int outboxRows(const QString &journalPath)
{
    int n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("outboxcheck"));
        db.setDatabaseName(journalPath);
        db.open();
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("SELECT count(*) FROM outbox")) && q.next())
            n = q.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("outboxcheck"));
    return n;
}

int count(QSqlDatabase &db, ServerTable table)
{
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("SELECT count(*) FROM tallory.") + tableName(table)) && q.next())
        return q.value(0).toInt();
    return -1;
}

} // namespace rowcheck
