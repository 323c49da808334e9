#include "journalload.h"

#include "journalreader.h"
#include "journalschema.h"
#include "serverconnection.h"
#include "serverrows.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// What each server table gets from the journal: the journal and the server name the columns
// alike, and a game's end is the tail of the journal's games row, under the game's id.
struct Part {
    ServerTable table;
    const char *from;
    int JournalLoadCounts::*stored;
};

const Part kParts[] = {
    {ServerTable::Games, "FROM games ORDER BY started, id", &JournalLoadCounts::games},
    {ServerTable::Answers, "FROM answers ORDER BY game, level", &JournalLoadCounts::answers},
    {ServerTable::GameEnds, "FROM games WHERE ended IS NOT NULL AND ending IS NOT NULL ORDER BY started, id",
     &JournalLoadCounts::gameEnds},
};

QString selectOf(const Part &part)
{
    QStringList columns = ServerColumns(part.table);
    if (part.table == ServerTable::GameEnds)
        columns.replace(columns.indexOf(QStringLiteral("game")), QStringLiteral("id AS game"));
    return QStringLiteral("SELECT %1 %2").arg(columns.join(QStringLiteral(", ")), QLatin1String(part.from));
}

// Sends every row of one part; the failure, empty when done.
QString sendPart(QSqlDatabase &server, const QSqlDatabase &journal, const Part &part, JournalLoadCounts &counts)
{
    QSqlQuery q(journal);
    q.setForwardOnly(true);
    if (!q.exec(selectOf(part)))
        return QStringLiteral("журнал не читается: %1").arg(DescribeSqlError(q.lastError()));
    const RowPlaces places(q.record());
    while (q.next()) {
        const Result<bool> sent = SendRow(server, part.table, TableRow::fromQuery(q, places, ServerColumns(part.table)));
        if (!sent.ok())
            return sent.error;
        ++(sent.value ? counts.*part.stored : counts.alreadyThere);
    }
    return q.lastError().isValid() ? QStringLiteral("журнал не читается: %1").arg(DescribeSqlError(q.lastError()))
                                   : QString();
}

} // namespace

Result<JournalLoadCounts> LoadJournalToServer(QSqlDatabase &db, const QString &journalFile)
{
    using R = Result<JournalLoadCounts>;
    const QString name = QFileInfo(journalFile).fileName();
    const auto reader = JournalReader::open(journalFile);
    if (!reader.ok())
        return R::failure(reader.error);
    // One read transaction: the answers read are those of the games read, even while a game
    // goes on writing the journal.
    QSqlDatabase journal = reader.value->database();
    if (!journal.transaction())
        return R::failure(QStringLiteral("Журнал «%1» не читается: %2.").arg(name, DescribeSqlError(journal.lastError())));
    if (!db.transaction()) {
        journal.rollback();
        return R::failure(QStringLiteral("Журнал «%1» не загружен: %2.").arg(name, DescribeServerError(db.lastError())));
    }
    JournalLoadCounts counts;
    QString problem;
    for (const Part &part : kParts) {
        if ((problem = sendPart(db, journal, part, counts)).isEmpty())
            continue;
        break;
    }
    journal.rollback();
    if (problem.isEmpty() && !db.commit())
        problem = DescribeServerError(db.lastError());
    if (!problem.isEmpty()) {
        db.rollback();
        return R::failure(QStringLiteral("Журнал «%1» не загружен, на сервер из него не записано ничего: %2.")
                              .arg(name, problem));
    }
    return R::success(counts);
}

QString DescribeJournalCounts(const JournalLoadCounts &counts)
{
    return QStringLiteral("Загружено игр: %1, концов игр: %2, ответов: %3; уже были на сервере строк: %4.")
        .arg(counts.games).arg(counts.gameEnds).arg(counts.answers).arg(counts.alreadyThere);
}
