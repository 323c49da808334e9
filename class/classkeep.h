#pragma once
// The games of a room kept across a clean stop of the program (SIGINT, SIGTERM, the workbench's
// «Остановить»): written at the stop into the server's own file beside its journal,
// journal/<machine>.class-games (mode 0600: it holds every student's token), and taken back by
// the next room on the folder, which removes the file as it reads it.
//
// Only a clean stop keeps games. A crash keeps nothing: the games of that run are unfinished in
// the journal, as the desktop's are after a crash. Keeping them as they go would be no better: a
// copy written before the crash is stale the moment another answer is given, and a game taken
// back from it would ask that question again and let the answer be given twice.

#include <QJsonArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ClassGame;

/// What a clean stop kept: when (on the wall clock), and the games as ClassGame::kept gives them.
struct KeptGames {
    qint64 keptMs = 0;
    QJsonArray games;
};

/// Games kept longer than this are not taken back: the lesson is over. Those still in progress
/// are left as the desktop leaves a game on quit.
inline constexpr qint64 kKeptGamesLastMs = 12 * 60 * 60 * 1000;

class ClassKeep
{
public:
    /// The file of the room on programFolder's journal of machine; report says what went wrong
    /// (in Russian), as the program says it on stderr.
    ClassKeep(const QString &programFolder, const QString &machine, std::function<void(const QString &)> report);

    const QString &path() const { return m_path; }

    /// What the last clean stop kept, the file removed. Nothing when there is none or it is
    /// damaged: a damaged file is reported and kept beside as a copy; one that cannot be read at
    /// all is reported and left where it is, and put() never writes over it.
    std::optional<KeptGames> take();
    /// Writes games (nothing when there are none). False, and reported, when they could not
    /// be kept: the file of another run is in the way, or it could not be written.
    bool put(const KeptGames &kept);

private:
    void report(const QString &what) const { m_report(what); }

    QString m_path;
    std::function<void(const QString &)> m_report;
    bool m_blocked = false; ///< a file we could not read is there: it is not written over
};

/// The games of a room as a clean stop keeps them, at wallMs.
KeptGames KeepGames(const std::vector<std::unique_ptr<ClassGame>> &games, qint64 wallMs);

/// The games kept, each going on in a game newGame makes, at steadyMs on this run's clock. A game
/// in progress kept longer than kKeptGamesLastMs, or one that cannot go on (its bank unread),
/// is left as the desktop leaves a game on quit and not returned; report says so.
std::vector<std::unique_ptr<ClassGame>> RestoreGames(const KeptGames &kept, qint64 wallMs, qint64 steadyMs,
                                                     const std::function<std::unique_ptr<ClassGame>()> &newGame,
                                                     const std::function<void(const QString &)> &report);
