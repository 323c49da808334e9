#pragma once
// A machine's answer journal loaded into the school's server once: a school that starts using a
// server keeps the history its journals hold. Every row goes with the journal's own id (a game's
// uuid; an answer is its game and level) through SendRow, which stores a row the server holds
// already no second time, so a journal loaded twice, or loaded after its game sent the same rows
// itself, leaves every row once. The workbench's «Загрузить файлы на сервер» and
// `tallory-results server load` call this.

#include "result.h"

#include <QSqlDatabase>
#include <QString>

/// How many rows of each table a load stored, and how many the server held already.
struct JournalLoadCounts {
    int games = 0;     ///< games rows stored now
    int gameEnds = 0;  ///< ends of games stored now (a game still unfinished in the journal has none)
    int answers = 0;   ///< answers rows stored now
    int alreadyThere = 0; ///< rows of any table the server held before
};

/// Loads every game, every ended game's end and every answer of the journal file into the
/// server db is connected to, with a role that may insert them (the teacher's, or the owner).
/// The journal is opened read-only (a game may be writing it meanwhile: what it has committed
/// is loaded, as one consistent snapshot). The server stores the whole journal or, on any
/// failure, nothing of it: the failure says why in Russian, naming the journal.
Result<JournalLoadCounts> LoadJournalToServer(QSqlDatabase &db, const QString &journalFile);

/// The counts of a load in one Russian sentence, for the command line and the workbench.
QString DescribeJournalCounts(const JournalLoadCounts &counts);
