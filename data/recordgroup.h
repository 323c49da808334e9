#pragma once
// The game installed on a lab machine runs with the group of the machine's records (the binary
// is setgid to it): only the game's own writes may change the results file and the answer
// journals, never a student's shell. The group is held only around those writes; everything else,
// and every process the game starts (the browser engine above all), runs as the student alone.

#include <QByteArray>
#include <QList>
#include <QString>

/// Called first thing in main(), before Qt reads anything: when the program was started with a
/// group not its user's (setgid), clears what lets a user load code or plugins into it from the
/// environment, then lets go of the group until a write needs it. Does nothing otherwise.
void EnterRecordKeeping();

/// Keeps the group only for a folder of data the administrator set up (owned by root, as the
/// machine's folder is): started on a folder of his own, a student would have the group write
/// wherever his folder's links lead, so the group is let go of for good.
void KeepRecordsOnlyFor(const QString &folder);

/// Whether the program holds a group of the records to raise for its writes.
bool KeepsRecords();

/// Variables that would let a user load code into the program, or hand its helper processes
/// arguments, from the environment.
bool IsUnsafeForRecordKeeper(const QByteArray &variable);

/// Holds the group of the records (as both the real and the effective group, so that access
/// checks agree with the write) for its lifetime; nothing where the program keeps no records.
/// Scopes nest and may be held on any thread.
class RecordGroupScope
{
public:
    RecordGroupScope();
    ~RecordGroupScope();
    RecordGroupScope(const RecordGroupScope &) = delete;
    RecordGroupScope &operator=(const RecordGroupScope &) = delete;
};
