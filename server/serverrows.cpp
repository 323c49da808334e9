#include "serverrows.h"

#include "answerrow.h"
#include "serverconnection.h"

#include <QSqlError>
#include <QSqlQuery>

const RowTable &ServerRowTable(ServerTable table)
{
    switch (table) {
    case ServerTable::Results: return ResultsTable();
    case ServerTable::Games: return GamesTable();
    case ServerTable::GameEnds: return GameEndsTable();
    case ServerTable::Answers: return AnswersTable();
    case ServerTable::UncheckedAttempts: return UncheckedAttemptsTable();
    case ServerTable::JournalFailures: return JournalFailuresTable();
    case ServerTable::PageLeaves: return PageLeavesTable();
    }
    return ResultsTable();
}

const QStringList &ServerColumns(ServerTable table)
{
    static const std::array<QStringList, 7> columns = [] {
        std::array<QStringList, 7> all;
        for (ServerTable t : {ServerTable::Results, ServerTable::Games, ServerTable::GameEnds, ServerTable::Answers,
                              ServerTable::UncheckedAttempts, ServerTable::JournalFailures, ServerTable::PageLeaves})
            all[static_cast<size_t>(t)] = ServerRowTable(t).serverColumns();
        return all;
    }();
    return columns[static_cast<size_t>(table)];
}

Result<bool> SendRow(QSqlDatabase &db, ServerTable table, const TableRow &row, bool *refused,
                     QString *sqlState)
{
    if (refused)
        *refused = false;
    const QStringList &names = ServerColumns(table);
    const QString mismatch = row.mismatch(names);
    if (!mismatch.isEmpty()) {
        // A row that names its columns otherwise is not this table's, however often it is sent.
        if (refused)
            *refused = true;
        return Result<bool>::failure(QStringLiteral("В строке для %1 %2.")
                                         .arg(QLatin1String(ServerRowTable(table).server), mismatch));
    }
    // No conflict target: naming one would need the right to read the key, which the game's
    // role has not. Every table's only unique key is its primary key.
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT DO NOTHING")
                            .arg(QLatin1String(ServerRowTable(table).server), names.join(QStringLiteral(", ")),
                                 QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    QSqlQuery q(db);
    if (!q.prepare(sql))
        return Result<bool>::failure(DescribeServerError(q.lastError()));
    for (const QVariant &v : row.valuesOf(names))
        q.addBindValue(v);
    if (!q.exec()) {
        // SQLSTATE classes 22 (data exception) and 23 (integrity constraint violation): the row's
        // own values; anything else (rights, a lost connection, a timeout) may pass later.
        const QString state = q.lastError().nativeErrorCode();
        if (sqlState)
            *sqlState = state;
        if (refused)
            *refused = state.startsWith(QLatin1String("22")) || state.startsWith(QLatin1String("23"));
        return Result<bool>::failure(DescribeServerError(q.lastError()));
    }
    return Result<bool>::success(q.numRowsAffected() == 1);
}

Result<AttemptVerdict> AskAttempt(QSqlDatabase &db, const QString &lesson, const QString &name, bool countUnfinished)
{
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("SELECT tallory.attempt_refusal(?, ?, ?)")))
        return Result<AttemptVerdict>::failure(DescribeServerError(q.lastError()));
    q.addBindValue(lesson);
    q.addBindValue(name);
    q.addBindValue(countUnfinished);
    if (!q.exec() || !q.next())
        return Result<AttemptVerdict>::failure(DescribeServerError(q.lastError()));
    const QString why = q.value(0).toString();
    if (why == QLatin1String("graded"))
        return Result<AttemptVerdict>::success(AttemptVerdict::Graded);
    if (why == QLatin1String("unfinished"))
        return Result<AttemptVerdict>::success(AttemptVerdict::Unfinished);
    return Result<AttemptVerdict>::success(AttemptVerdict::Allowed);
}
