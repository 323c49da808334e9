#include "serverrows.h"

#include "serverconnection.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

const char *tableName(ServerTable table)
{
    switch (table) {
    case ServerTable::Results: return "tallory.results";
    case ServerTable::Games: return "tallory.games";
    case ServerTable::GameEnds: return "tallory.game_ends";
    case ServerTable::Answers: return "tallory.answers";
    case ServerTable::UncheckedAttempts: return "tallory.unchecked_attempts";
    case ServerTable::JournalFailures: return "tallory.journal_failures";
    }
    return "";
}

QStringList columns(const char *list)
{
    return QString::fromLatin1(list).split(QLatin1Char(' '));
}

} // namespace

const QStringList &ServerColumns(ServerTable table)
{
    static const QStringList results = columns("id lesson name levels grade machine recorded");
    static const QStringList games = columns("id lesson student machine bank_file bank_sha256 started");
    static const QStringList ends = columns("game ended ending levels_passed grade");
    static const QStringList answers = columns(
        "game level bank_index question_sha256 shown question answer_a answer_b answer_c answer_d right_button "
        "clicked_button chosen ms fifty_blanked votes_a votes_b votes_c votes_d friend_reply tease");
    static const QStringList unchecked = columns("game lesson student machine noted reason");
    static const QStringList failures = columns("id machine noted reason");
    switch (table) {
    case ServerTable::Results: return results;
    case ServerTable::Games: return games;
    case ServerTable::GameEnds: return ends;
    case ServerTable::Answers: return answers;
    case ServerTable::UncheckedAttempts: return unchecked;
    case ServerTable::JournalFailures: return failures;
    }
    return results;
}

Result<bool> SendRow(QSqlDatabase &db, ServerTable table, const QVariantList &values, bool *refused,
                     QString *sqlState)
{
    if (refused)
        *refused = false;
    const QStringList &names = ServerColumns(table);
    if (values.size() != names.size())
        return Result<bool>::failure(QStringLiteral("В строке для %1 %2 значений вместо %3.")
                                         .arg(QLatin1String(tableName(table))).arg(values.size()).arg(names.size()));
    // No conflict target: naming one would need the right to read the key, which the game's
    // role has not. Every table's only unique key is its primary key.
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT DO NOTHING")
                            .arg(QLatin1String(tableName(table)), names.join(QStringLiteral(", ")),
                                 QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    QSqlQuery q(db);
    if (!q.prepare(sql))
        return Result<bool>::failure(DescribeServerError(q.lastError()));
    for (const QVariant &v : values)
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
