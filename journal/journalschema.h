#pragma once
// The journal's tables, their version, and what a database error means to a teacher.
// README's section on the journal documents every column; keep the two together.

#include <QByteArrayView>
#include <QString>

class QSqlDatabase;
class QSqlError;

/// The schema this program writes and reads, kept in PRAGMA user_version. A journal with a
/// higher version comes from a newer program: it is read by nothing here and never written.
inline constexpr int kJournalSchemaVersion = 1;

/// Creates the tables in an empty database and sets its version, in one transaction.
/// Returns the error, or an invalid error when done.
QSqlError CreateJournalSchema(QSqlDatabase &db);

/// The indexes that count the class's answers to one question, made where the writer opens a
/// journal (older ones gain them then). Tables and columns stay as they are, so the schema
/// version stays too. Returns the error, or an invalid error when done.
QSqlError AddLookupIndexes(QSqlDatabase &db);

/// The tables added after the journal's first version (page_leaves), made where they are
/// missing; the version stays, as a program that does not know them reads the rest as ever.
/// Returns the error, or an invalid error when done.
QSqlError AddLaterTables(QSqlDatabase &db);

/// A question's identity in the journal: the SHA-256 of its unscrambled bank line, in lower-case
/// hex. An edited question is a new question; a moved one keeps its figures.
QString QuestionSha256(QByteArrayView line);

/// Why a database operation failed, in Russian, with the driver's own words after it.
QString DescribeSqlError(const QSqlError &error);

/// Whether the error says the file is not a database, or a damaged one.
bool IsDamage(const QSqlError &error);

/// The time as the journal stores it: UTC, ISO 8601 with milliseconds, e.g.
/// "2026-12-09T07:30:00.123Z" (SQLite's date functions read it as it is).
QString JournalTime(qint64 msecsSinceEpoch);
