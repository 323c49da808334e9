#pragma once
// The results file "tallory.rez": one scrambled record per graded game, under the lesson code
// and the checksum of the player's name; the same file guards against a second attempt.

#include "result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

/// The decimal text of the sum of the byte codes of name (upper-cased by the caller).
QByteArray checks(QByteArrayView name);

/// The grade word for CurrentLevel at the end of a game.
QByteArray GradeWord(int currentLevel);

/// name + "|" + levels passed + "|" + grade word, before scrambling.
QByteArray ResultRecord(QByteArrayView name, int currentLevel);

/// The results file of a program folder.
QString ResultsFilePath(const QString &programFolder);

/// Why name cannot be stored intact in a record, or an empty text when it can: a character
/// that scrambles to a NUL or a line break would cut or split the stored line.
QString RecordProblem(QByteArrayView name);

/// Whether a record exists for the player in the lesson. Fails when the file exists but cannot be
/// read, so that an unreadable file never lets anyone sit a lesson twice.
Result<bool> AttemptRecorded(const QString &resultsPath, QByteArrayView lessonCode, QByteArrayView name);

/// Why a record could not be written to the results file later, or an empty text when it can.
/// Asked before a game starts, so that no student plays a whole game that cannot be recorded: it
/// tries what the write will do (the file itself opened for writing, the lock beside it, the room
/// for a new copy of the file on its disk) and refuses a link the write would not follow.
QString ResultsWriteProblem(const QString &resultsPath);

/// Why the disk of the results file has no room left for the next record (a whole new copy of the
/// file is written beside it), or an empty text. extra is room something else wants to take first:
/// the journal asks with the size of its write before it grows, so the grade always comes first.
QString RecordRoomProblem(const QString &resultsPath, qint64 extra = 0);

/// Writes the scrambled record of a graded game, replacing the file atomically under a lock.
/// The file is reached only through a link TrustedWriteTarget allows. Fails with a message for
/// the student in Russian that says why.
Status WriteResult(const QString &resultsPath, QByteArrayView lessonCode, QByteArrayView name, int currentLevel);

/// Why WriteResult would fail now, in its words, without writing anything: what the write checks
/// before it touches the file (the name, the link, the file and its lock, the room on the disk).
Status ResultWriteCheck(const QString &resultsPath, QByteArrayView lessonCode, QByteArrayView name, int currentLevel);

/// A graded game's record, for WriteResults.
struct RecordToWrite {
    QByteArray lessonCode;
    QByteArray name;
    int currentLevel = 0;
};

/// Writes the records of several graded games in one replacement of the file under its lock
/// (one read, one sync): all of them, or none. As WriteResult otherwise; a failure names the
/// file and the cause.
Status WriteResults(const QString &resultsPath, const QList<RecordToWrite> &entries);
