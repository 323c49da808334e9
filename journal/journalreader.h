#pragma once
// Reading a journal for the teacher: the games and the answers of a lesson, from any machine's
// file. The file is opened read-only: it is never created, changed or locked for writing, so a
// game writing it meanwhile goes on undisturbed.

#include "gamerecorder.h"
#include "result.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

/// A row of the games table.
struct JournalGame {
    QString id;
    QString lesson;
    QString student;
    QString machine;
    QString bankFile;
    QString bankSha256;
    QDateTime started; ///< UTC
    QDateTime ended;   ///< UTC; invalid while the game is unfinished
    std::optional<GameEnding> ending; ///< nothing: unfinished
    int levelsPassed = -1;            ///< 0..15; -1 unfinished or ended without a grade
    QString grade;                    ///< the grade word; empty when there is none
};

/// A row of the answers table.
struct JournalAnswer {
    QString game;
    int level = 0;
    int bankIndex = 0;
    QString questionSha256;
    QDateTime shown; ///< UTC
    QString question;
    std::array<QString, 5> answers{}; ///< [1..4] as shown on A..D
    int rightButton = 0;   ///< 1..4 = A..D
    int clickedButton = 0; ///< 1..4; 0 when the game stopped on the question
    int chosen = 0;        ///< the bank answer clicked: 1 right, 2..4 wrong 1..3; 0 none
    qint64 ms = -1;        ///< from the question shown to the click; -1 none
    std::array<int, 2> fiftyBlanked{}; ///< the two buttons blanked, or 0, 0
    std::optional<std::array<int, 5>> votes; ///< the audience's votes per button [1..4]
    QString friendReply; ///< empty when no friend was called
    QString tease;       ///< empty when the host did not tease
};

class QSqlDatabase;

class JournalReader
{
public:
    /// Opens a journal file read-only. Fails with a message for the teacher when the file is
    /// missing, is not a journal, or was written by a newer program.
    /// waitMs: how long a moment's lock by a writer is waited for.
    static Result<std::shared_ptr<JournalReader>> open(const QString &file, int waitMs = 2000);
    ~JournalReader();
    JournalReader(const JournalReader &) = delete;
    JournalReader &operator=(const JournalReader &) = delete;

    /// The lesson codes that have games, sorted.
    Result<QStringList> lessons() const;
    /// The games of a lesson (every game for an empty code), by start time.
    Result<QList<JournalGame>> games(const QString &lesson = QString()) const;
    /// The answers of a lesson's games (of every game for an empty code), by game start and level.
    Result<QList<JournalAnswer>> answers(const QString &lesson = QString()) const;
    /// The answers of one game, by level.
    Result<QList<JournalAnswer>> answersOf(const QString &gameId) const;

    /// The read-only connection, for the analysis's own queries; on this thread only.
    QSqlDatabase database() const;

    /// The clicks of a lesson's games on each bank answer of a question (by its hash):
    /// [1] right, [2..4] wrong 1..3; row 0 unused.
    Result<std::array<int, 5>> chosenCounts(const QString &lesson, const QString &questionSha256) const;

private:
    explicit JournalReader(QString connection);
    QString m_connection;
};
