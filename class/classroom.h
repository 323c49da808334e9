#pragma once
// The lesson served on the room's network, without the network: every student's game kept on
// the server, each behind a random token and a step number. The HTTP layer (classhttp) turns
// requests into these calls and their replies into answers; everything here runs on one thread,
// decides at once and never waits for a student. The rules of a game are GameSession's: this
// class only keeps many of them apart, holds the clocks the server owns and says what a face
// may see.

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class RandomSource;

/// What the room answers a request: an HTTP status and a JSON object. On a refusal the object
/// holds "error", a short Russian line, and nothing was changed or written.
struct ClassReply {
    int status = 200;
    QJsonObject body;
};

/// What a room is built on. Tests hand in their own clock and chance.
struct ClassRoomOptions {
    QString folder;       ///< the program folder served, ending in "/"
    QStringList lessons;  ///< the lesson codes opened, as tallory.ini names them; empty: every lesson
    QString machine;      ///< the journal's machine name (journal/<machine>.sqlite)
    /// A steady clock in ms (the friend's 30 seconds, "нет связи"); the computer's when empty.
    std::function<qint64()> steadyMs = {};
    /// Chance for each new game (answer orders, the poll, ...); the system's when empty.
    std::function<std::unique_ptr<RandomSource>()> newRandom = {};
    /// Tokens for new games (32 hex digits, 128 bits); the system's secure source when empty.
    std::function<QString()> newToken = {};
    /// The libpq service file that describes the school's server named in tallory.ini; when
    /// empty, the one PGSERVICEFILE names, else the system's.
    QString serviceFile = {};
    /// The wall clock in ms since the epoch (the journal's times, how old kept games are); the
    /// computer's when empty.
    std::function<qint64()> wallMs = {};
    /// Where the room says what went wrong outside any request (kept games it could not take
    /// back or keep), in Russian; stderr when empty.
    std::function<void(const QString &)> report = {};
};

class ClassRoom
{
public:
    explicit ClassRoom(ClassRoomOptions options);
    ~ClassRoom();
    ClassRoom(const ClassRoom &) = delete;
    ClassRoom &operator=(const ClassRoom &) = delete;

    /// Why the room cannot open (no tallory.ini, a lesson it lacks, a folder it cannot write),
    /// in Russian; empty when it can. Asked once before serving.
    QString problem() const;
    /// The lesson codes open, upper case.
    QStringList openLessons() const;

    /// {"lesson", "name"} from device (the client's address): a new game, the game the teacher
    /// allowed to move, or a refusal. "machine" names the lab machine a desktop game joins
    /// from, "face": "desktop" says it is one (a browser otherwise).
    ClassReply join(const QJsonObject &request, const QString &device);
    /// {"lesson"}: whether a join with that lesson could go on to ask the name; the code as
    /// stored, or the refusal a join would give for the lesson alone. Writes nothing.
    ClassReply lesson(const QJsonObject &request) const;
    /// {"token"}: the game as it stands (a reload; also the page's heartbeat).
    ClassReply game(const QJsonObject &request);
    /// {"token", "step", "do", ...}: one action of the student.
    ClassReply act(const QJsonObject &request);

    /// The teacher's view of the room (see the teacher API).
    QJsonObject room() const;
    /// {"id"}: ends that game as a stop ends it.
    ClassReply endGame(const QJsonObject &request);
    /// {"id"}: the next join with that lesson and name takes the game over.
    ClassReply allowMove(const QJsonObject &request);

    /// The file (or web address) of the illustration of the question the game with token shows
    /// at step; empty when there is none, or the game has moved on.
    QString picture(const QString &token, int step) const;

    /// Requests that came together are decided one after another as they come, and their
    /// journal rows go into one open transaction: the answers to them are held until
    /// commitBatch has written the rows (one sync for them all), then sent. Nothing of a
    /// verdict goes out before its answer's row is on the disk; a graded end's tallory.rez
    /// record is written as the end is decided, before that.
    void beginBatch();
    /// Writes the batch's rows. False when they could not be written: the journal's failure is
    /// noted and the games' rows go to the school's server as after any failed write, and the
    /// games go on (the journal never costs a student a game).
    bool commitBatch();

    /// Lets the room's clocks act (a call whose time is out is hung up); the HTTP layer calls it
    /// once a second and before every request.
    void tick();
    /// The program stops cleanly: every game is kept for the next room on the folder (see
    /// classkeep.h), or, where it cannot be, left as the desktop leaves it; the journal and the
    /// outbox settle.
    void shutdown();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
