#pragma once
// The answers row, the games row and the results row as every reader and writer has them: the
// game's journal writes them, the outbox and the loader send them, the journal's and the
// server's readers read them back, all through these, by the columns' names.

#include "journalreader.h"
#include "tablerow.h"

/// The journal's and the server's answers table: one question of a game as it was answered, or
/// left when the student stopped on it or walked away.
const RowTable &AnswersTable();

/// The letter a row keeps for button 1..4: "A".."D".
QString AnswerLetter(int button);
/// The button a row's letter names: 1..4 for "A".."D", 0 for anything else (NULL included).
int AnswerButton(const QVariant &letter);

/// The answers row of an answer: a button not clicked (0) leaves the click, the answer chosen
/// and the time NULL; no 50:50 (0, 0), no votes and a null reply or tease leave theirs NULL.
TableRow AnswerRow(const JournalAnswer &answer);
/// An answer from a query that selected the answers table's columns under their own names.
JournalAnswer ReadAnswerRow(const QSqlQuery &q, const RowPlaces &places);

/// The start of a game: the games row's columns the server's games table has.
TableRow GameStartRow(const JournalGame &game);
/// The end of a game, as the server's game_ends has it (levels passed and grade NULL where
/// there are none).
TableRow GameEndRow(const JournalGame &game);
/// A game from a query that selected the games row's columns under their own names.
JournalGame ReadGameRow(const QSqlQuery &q, const RowPlaces &places);
/// A way a game ended as rows keep it ("wrong", "stop", "won", "noquestion").
QString EndingName(GameEnding how);

/// A graded game's record for the server, as tallory.rez gets it.
struct GradedRecord {
    QString id;
    QString lesson;
    QString name;
    int levels = 0;
    QString grade;
    QString machine;
    QString recorded; ///< ISO 8601 text
};
TableRow ResultRow(const GradedRecord &record);
