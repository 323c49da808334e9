#pragma once
// Where a machine's journal lives and where its problems are noted. One file per machine,
// journal/<machine>.sqlite in the program folder, so that lab machines sharing one folder never
// write the same SQLite file across the network.

#include <QDateTime>
#include <QString>
#include <QStringList>

/// The journal's folder in a program folder (which ends in "/"): "journal/".
QString JournalFolder(const QString &programFolder);

/// name made safe as a file name on every system: letters, digits, "-", "_" and "." kept, any
/// other character a "_", no leading dot, at most 64 characters, "машина" when nothing is left.
QString SafeMachineName(const QString &name);

/// This machine's name as the journal files are named: the host name, made safe.
QString ThisMachineName();

/// The journal file of a machine: journal/<machine>.sqlite.
QString JournalFilePath(const QString &programFolder, const QString &machine);

/// The journals of a program folder, one per machine, sorted; copies set aside as damaged are
/// not among them.
QStringList JournalFiles(const QString &programFolder);
/// The same for a journal folder itself (ending in "/"), as a teacher may copy one.
QStringList JournalFilesIn(const QString &journalFolder);

/// Where the first free name beside path is for a damaged journal set aside:
/// "<machine> (повреждённый).sqlite", then "<machine> (повреждённый 2).sqlite" and so on.
QString SetAsideName(const QString &path);

/// The note of a machine's journal problem: journal/<machine>.problem, or, when that folder
/// cannot be written, journal-<machine>.problem in the program folder.
QString ProblemNotePath(const QString &programFolder, const QString &machine);
QString FallbackProblemNotePath(const QString &programFolder, const QString &machine);

/// Leaves a one-line note (UTF-8): when, which journal and what failed. Replaces an earlier
/// note of the machine. Best effort: where nothing can be written, nothing is left.
void WriteProblemNote(const QString &programFolder, const QString &machine, const QDateTime &when,
                      const QString &what);

/// The problem noted last for a machine's journal, or an empty text.
QString ReadProblemNote(const QString &programFolder, const QString &machine);
