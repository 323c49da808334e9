#pragma once
// The room's own state, shared by the files that implement ClassRoom (the students' calls in
// classroom.cpp, the teacher's in classteacher.cpp). Nothing outside the room includes it.

#include "classgame.h"
#include "classkeep.h"
#include "classroom.h"
#include "classupkeep.h"
#include "gamesession.h"
#include "journalstore.h"
#include "schoollink.h"

#include <QHash>
#include <QJsonObject>

#include <cstdio>
#include <memory>
#include <vector>

/// A refusal's body: the short Russian line.
inline QJsonObject RoomError(const QString &why)
{
    return {{QStringLiteral("error"), why}};
}

struct ClassRoom::Impl {
    ClassRoomOptions options;
    QString problem;
    QStringList open;
    QList<QByteArray> openBytes;
    std::function<qint64()> steady;
    std::function<qint64()> wall;
    std::shared_ptr<JournalStore> store;
    std::unique_ptr<ClassUpkeep> upkeep;
    std::unique_ptr<ClassKeep> keep;
    /// A request came: the journal may have moved, and the room is not quiet.
    void requested()
    {
        if (upkeep)
            upkeep->requested(now());
    }
    void report(const QString &what) const
    {
        if (options.report)
            return options.report(what);
        std::fputs(qPrintable(QStringLiteral("tallory-class: %1\n").arg(what)), stderr);
        std::fflush(stderr);
    }
    void restoreKept();
    /// The batches are numbered: the open one's, or the last one's.
    quint64 ticket = 0;
    bool batchOpen = false;
    quint64 rowsAtBegin = 0;
    /// Batches handed over to be written and not yet told written, oldest first.
    QList<quint64> inFlight;
    /// A graded game's record kept to be written, handed over with batch handedIn (0: not yet);
    /// its game's end goes into the journal once the record is written.
    struct KeptRecord {
        RecordToWrite entry;
        ClassGame *game = nullptr;
        GameEnding how = GameEnding::Wrong;
        quint64 handedIn = 0;
    };
    QList<KeptRecord> records;
    quint64 recordsTaken = 0;
    /// g's record (its session's record writer): in a batch, checked and kept to be written
    /// with it; outside one, written at once.
    GameSession::RecordWritten takeRecord(ClassGame &g, const QString &results, QByteArrayView lesson,
                                          QByteArrayView name, int level, GameEnding how);
    /// Tells the teacher (beside the journal) and the administrator (stderr) of records not
    /// written: what, then the students and their lessons.
    void noteRecords(const QString &what, const QList<RecordToWrite> &which) const;
    /// The program's end: the records kept are written at once, and their games' ends follow.
    void writeKeptRecords();
    /// Whether g's record waits to be written: a second attempt is refused meanwhile, as the
    /// record will refuse it.
    bool recordKept(const ClassGame &g) const;
    /// Rows and records taken so far: whether a step wrote anything.
    quint64 rows() const { return (store ? store->rowsTaken() : 0) + recordsTaken; }
    /// What g wrote since rows() was rowsBefore reaches the disk with the open batch: the
    /// replies that tell of g wait for it.
    void wrote(ClassGame &g, quint64 rowsBefore) const
    {
        if (batchOpen && rows() != rowsBefore)
            g.logTicket = ticket;
    }
    std::unique_ptr<SchoolLink> school; ///< where tallory.ini names the school's server
    std::vector<std::unique_ptr<ClassGame>> games; ///< in the order they joined
    QHash<QString, ClassGame *> byToken;
    QHash<QString, ClassGame *> byId;
    quint64 nextId = 0;
    bool closed = false;
    /// Until when the school's server is not asked again, after it gave no word, and why.
    qint64 guardQuietUntil = 0;
    QString guardProblem;

    qint64 now() const { return steady(); }
    ClassGame *findGame(const QJsonObject &request) const
    {
        return byToken.value(request.value(QStringLiteral("token")).toString(), nullptr);
    }
    ClassGame *findId(const QJsonObject &request) const
    {
        return byId.value(request.value(QStringLiteral("id")).toString(), nullptr);
    }
    std::unique_ptr<ClassGame> newGame();
    QString newToken() const;
    SchoolGuard schoolGuard();
};
