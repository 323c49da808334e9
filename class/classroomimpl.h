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
