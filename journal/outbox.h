#pragma once
// The outbox: rows waiting in a machine's journal for the school's server. Each is written in
// the same transaction as the journal row it copies, so the journal and what the server will
// get never disagree; the sender deletes a row only once the server has committed it.
// Only a journal whose program folder names a server has the table.

#include "journalstore.h"
#include "tablerow.h"

#include <QString>
#include <QVariantList>

#include <optional>

/// The server's tables, as the outbox names them.
namespace outbox {
inline const QString kGames = QStringLiteral("games");
inline const QString kAnswers = QStringLiteral("answers");
inline const QString kGameEnds = QStringLiteral("game_ends");
inline const QString kResults = QStringLiteral("results");
inline const QString kUncheckedAttempts = QStringLiteral("unchecked_attempts");
inline const QString kPageLeaves = QStringLiteral("page_leaves");
/// Never queued in the journal: a machine's word that its journal could not be written.
inline const QString kJournalFailures = QStringLiteral("journal_failures");
} // namespace outbox

/// Creates the outbox where there is none. Returns the error, or an invalid error when done.
QSqlError CreateOutbox(QSqlDatabase &db);

/// The statement that queues one row for a server table, its values kept by column name as a
/// JSON object.
JournalStatement OutboxRow(const QString &table, const TableRow &row);

/// A queued row back from its payload: texts, whole numbers and nulls as they went in. columns:
/// the server table's, which name the values of a payload an earlier program queued as a JSON
/// array. Nothing when the payload is neither.
std::optional<TableRow> OutboxPayloadRow(const QString &payload, const QStringList &columns);
