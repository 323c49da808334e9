// The teacher's calls on the room: the view of every game, a game ended as a stop ends it, and
// a game let go on from another device.

#include "classroomimpl.h"

#include "illustration.h"

#include <QJsonArray>

namespace {
/// A game whose page has sent nothing for this long shows «нет связи».
constexpr qint64 kSilentMs = 15000;
} // namespace

QJsonObject ClassRoom::room() const
{
    const qint64 now = d->now();
    QJsonArray students;
    for (const auto &g : d->games)
        students.append(g->student(now, kSilentMs));
    QJsonArray lessons;
    for (const QString &l : d->open)
        lessons.append(l);
    return {{QStringLiteral("lessons"), lessons}, {QStringLiteral("students"), students}};
}

ClassReply ClassRoom::endGame(const QJsonObject &request)
{
    ClassGame *g = d->findId(request);
    if (!g)
        return {404, RoomError(QStringLiteral("Игра не найдена."))};
    d->requested();
    const quint64 rowsBefore = d->rows();
    const bool ended = g->endByTeacher(d->now());
    d->wrote(*g, rowsBefore);
    if (!ended)
        return {409, RoomError(QStringLiteral("Игра уже окончена."))};
    // The student's page learns of the end from its next request; an old one is not replayed.
    g->lastAction.reset();
    return {200, {{QStringLiteral("ended"), true}}};
}

ClassReply ClassRoom::allowMove(const QJsonObject &request)
{
    ClassGame *g = d->findId(request);
    if (!g)
        return {404, RoomError(QStringLiteral("Игра не найдена."))};
    if (!g->inProgress())
        return {409, RoomError(QStringLiteral("Игра уже окончена."))};
    g->moveAllowed = true;
    return {200, {{QStringLiteral("allowed"), true}}};
}

QString ClassRoom::picture(const QString &token, int step) const
{
    const ClassGame *g = d->byToken.value(token, nullptr);
    if (!g || g->step != step || g->illustration().isEmpty())
        return {};
    return IllustrationLocation(g->illustration(), d->options.folder);
}
