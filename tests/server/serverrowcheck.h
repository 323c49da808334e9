#pragma once
// The rows of one table as the server holds them and as a machine's journal holds them, as
// comparable text: the server's columns in their order, times in the journal's own form.

#include "serverrows.h"

#include <QSqlDatabase>
#include <QStringList>

namespace rowcheck {

/// Every row of a server table, sorted; read as the database's owner.
QStringList serverRows(QSqlDatabase &db, ServerTable table);

/// The same rows from a machine's journal (games, game_ends from the ended games, answers).
QStringList journalRows(const QString &journalPath, ServerTable table);

/// How many rows wait in a journal's outbox; -1 when it has none.
int outboxRows(const QString &journalPath);

/// How many rows a server table holds.
int count(QSqlDatabase &db, ServerTable table);

} // namespace rowcheck
