#pragma once
// What the room hands over to be brought to the disk off its thread after a batch, and how that
// went (see ClassWriter and ClassRoom::commitBatch).

#include "results.h"

#include <QList>
#include <QString>

/// What a round writes: the records into the results file, then the journal's log synced.
struct ClassWrites {
    quint64 ticket = 0;         ///< the last batch whose writes these are
    QString results;            ///< the results file
    QList<RecordToWrite> records; ///< to write into it, all together
    QString log;                ///< the journal's log to sync; empty: none
};

/// How a round went.
struct ClassWritten {
    quint64 ticket = 0;
    QList<RecordToWrite> records;
    QString recordsProblem; ///< empty: the records are written
    QString logProblem;     ///< empty: the log is on the disk (or there was none to sync)
};
