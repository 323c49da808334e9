#pragma once
// Loading the results files a school kept before it had a server, once: each intact record goes
// in as the teacher's role, under an id made from the record itself, so that a file loaded twice,
// the same record in two copies of a file, or a record a game already sent, is stored once.

#include "result.h"

#include <QSqlDatabase>
#include <QString>
#include <QUuid>

struct RezLoadCounts {
    int loaded = 0;       ///< stored now
    int alreadyThere = 0; ///< on the server before: loaded earlier, or sent by a game
    int skipped = 0;      ///< damaged, hidden or doubtful records, left in the file and not sent
    RezLoadCounts &operator+=(const RezLoadCounts &other);
};

/// The id a record of a file is stored under: a name-based UUID of its lesson, name, levels
/// and grade.
QUuid ResultRecordId(const QString &lesson, const QString &name, int levels, const QString &grade);

/// Loads the intact records of a results file (tallory.rez) into tallory.results in one
/// transaction. The machine is the file's absolute path, the time its last modification.
Result<RezLoadCounts> LoadResultsFile(QSqlDatabase &db, const QString &rezPath);

/// The counts in one Russian sentence, for the command line and the workbench.
QString DescribeLoadCounts(const RezLoadCounts &counts);
