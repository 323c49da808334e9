#pragma once
// The lesson served on the room's network, without the network: every student's game kept on
// the server, each behind a random token and a step number. The HTTP layer (classhttp) turns
// requests into these calls and their replies into answers; everything here runs on one thread,
// decides at once and never waits for a student. The rules of a game are GameSession's: this
// class only keeps many of them apart, holds the clocks the server owns and says what a face
// may see.

#include "classwrites.h"

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

    /// Requests that came together are decided one after another as they come, in a batch:
    /// their journal rows go into one open transaction, and a graded end's record is checked as
    /// the write will check it and kept. commitBatch writes the rows into the journal's log
    /// without waiting for the disk and hands over what must then reach the disk: the records
    /// kept, to be written into tallory.rez together, then the log synced. The HTTP layer has
    /// that done off the room's thread (ClassWriter), so that the room decides the next
    /// requests meanwhile, and tells the room how it went (written). A reply that tells of a
    /// game's rows or record waits until they are on the disk (waitsFor): nothing of a verdict
    /// goes out before its answer's row and its game's record are written. Outside a batch
    /// every row and record is written and synced at once, as the desktop writes them.
    void beginBatch();
    /// Writes the batch's rows into the log. Rows that could not be written are the journal's
    /// failure: noted, the games' rows sent to the school's server as after any failed write,
    /// the games going on (the journal never costs a student a game). What is to be written and
    /// synced; ticket 0 when nothing is.
    ClassWrites commitBatch();
    /// A round of writes handed over by commitBatch is over. Records that could not be written
    /// are noted for the teacher and kept, to be written with the next batch's (or at the
    /// program's end); a log that could not be synced is the journal's failure.
    void written(const ClassWritten &outcome);
    /// Whether batch ticket has nothing left to wait for: its rows and records are on the
    /// disk, or were lost and handled as lost, or it wrote none.
    bool onDisk(quint64 ticket) const;
    /// The batch whose rows or record the reply to request tells of (the game it names, or the
    /// game a join made), while they are not on the disk yet; 0 when the reply may go at once.
    quint64 waitsFor(const QJsonObject &request, const ClassReply &reply) const;

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
