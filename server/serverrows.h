#pragma once
// What the game's role may do on the server: add rows, and ask the attempt guard. Every value is
// bound to a prepared statement; names such as O'Neil are data, never SQL.

#include "result.h"
#include "tablerow.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

enum class ServerTable {
    Results,  ///< a graded game's record: id, lesson, name, levels, grade, machine, recorded
    Games,    ///< a game as it starts, as in the journal's games table
    GameEnds, ///< a game's end: game, ended, ending, levels_passed, grade
    Answers,  ///< the journal's answers table, column for column
    UncheckedAttempts, ///< a game let in by the machine's own file, the server out of reach
    JournalFailures,   ///< a machine's journal could not be written: id, machine, noted, reason
    PageLeaves,        ///< a class server's student left the page during a question
};

/// The table's columns (answerrow.h, tablerow.h).
const RowTable &ServerRowTable(ServerTable table);
/// The columns sent to a table, in the order of its CREATE TABLE.
const QStringList &ServerColumns(ServerTable table);

/// Stores one row unless a row with its key is there already (a resend after a lost reply):
/// true when stored now, false when it was stored before. Times go as ISO 8601 text. The row
/// must name every column the table is sent, and no other: a failure names the one that is not.
/// refused, when given, is set when the server refused this row itself (a value out of range, a
/// key it references missing), so that sending it again can never succeed.
/// sqlState, when given, gets the server's SQLSTATE of a failure.
Result<bool> SendRow(QSqlDatabase &db, ServerTable table, const TableRow &row, bool *refused = nullptr,
                     QString *sqlState = nullptr);

enum class AttemptVerdict {
    Allowed,
    Graded,     ///< a record or a graded game of this name and lesson exists, on any machine
    Unfinished, ///< a game of this name and lesson was started and never ended
};

/// The server's attempt guard for a name and a lesson, as the game upper-cased them.
Result<AttemptVerdict> AskAttempt(QSqlDatabase &db, const QString &lesson, const QString &name,
                                  bool countUnfinished = true);
