#pragma once
// A machine's journal made by the game's own writer (its tables and indexes, a first game), then
// opened under the connection name "fill" in a transaction, for a benchmark to pour rows into at
// once. The caller commits, drops its queries and removes the connection.

#include "benchcommon.h"
#include "gamejournal.h"
#include "journalfiles.h"

#include <QSqlDatabase>

namespace bench {

inline QSqlDatabase openJournalToFill(const QString &folder, const QString &machine,
                                      JournalSync sync = JournalSync::Full)
{
    {
        GameJournal journal(folder, machine, JournalClock::system(), sync);
        journal.gameStarted({"BENCH", "SEED", folder + QStringLiteral("bench.faq")});
        journal.gameEnded(GameEnding::Stop, 2);
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
    db.setDatabaseName(JournalFilePath(folder, machine));
    require(db.open() && db.transaction(), "cannot fill the journal");
    return db;
}

} // namespace bench
