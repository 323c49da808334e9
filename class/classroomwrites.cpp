#include "classroom.h"
#include "classroomimpl.h"

#include "cp1251.h"
#include "results.h"

#include <algorithm>

// The journal: every game of the room writes its own rows (GameJournal, the desktop's recorder)
// into one shared JournalStore, one connection to journal/<machine>.sqlite, on the room's thread.
// A verdict may go out only once its answer is on the disk. The HTTP layer opens a batch
// (beginBatch) for the requests that come together: each is decided at once, its rows go into
// the batch's one transaction and its graded end's record is kept; commitBatch writes the rows
// into the log without waiting for the disk and hands over the records and the log, which the
// HTTP layer has written and synced off this thread (ClassWriter), one round for every batch
// that came while the last round ran. The replies that tell of those rows wait for the round.
// Synced one by one on this thread, 200 students' requests each queued behind all the others'
// syncs (p99 196 ms on the 2-core machine the class runs on, where a sync takes 1 to 20 ms as
// other programs use the disk); with the syncs batched but still on this thread, a busy disk
// held every request, a heartbeat too, while it synced (p99 40-100 ms).

GameSession::RecordWritten ClassRoom::Impl::takeRecord(ClassGame &g, const QString &results, QByteArrayView lesson,
                                                       QByteArrayView name, int level, GameEnding how)
{
    if (!batchOpen)
        return {WriteResult(results, lesson, name, level)};
    // What the write would refuse is refused now, in its words: the game then ends as after a
    // record that could not be written. What fails only as the file is written (the disk, the
    // lock) is noted for the teacher and written again later (see written); the game's end
    // goes into the journal (and to the school's server) once its record is written.
    const Status check = ResultWriteCheck(results, lesson, name, level);
    if (!check.ok())
        return {check};
    records.append({{lesson.toByteArray(), name.toByteArray(), level}, &g, how, 0});
    g.endHeld = true;
    ++recordsTaken;
    return {Status::success(), true};
}

void ClassRoom::Impl::noteRecords(const QString &what, const QList<RecordToWrite> &which) const
{
    QStringList names;
    for (const RecordToWrite &r : which)
        names << QStringLiteral("%1 (%2)").arg(cp1251::decode(r.name), cp1251::decode(r.lessonCode));
    const QString note = what + QStringLiteral(": ") + names.join(QStringLiteral(", ")) + QLatin1Char('.');
    report(note);
    if (store)
        store->note(note);
}

bool ClassRoom::Impl::recordKept(const ClassGame &g) const
{
    return std::any_of(records.begin(), records.end(), [&g](const KeptRecord &r) {
        return r.entry.name == g.nameBytes && g.lessonCodes.contains(r.entry.lessonCode);
    });
}

// The program's end: every record not yet told written is written now, on this thread (writing
// one twice changes nothing), and each game's end goes into the journal as its record's fate
// says, as the desktop's would.
void ClassRoom::Impl::writeKeptRecords()
{
    const QList<KeptRecord> waiting = std::exchange(records, {});
    QList<RecordToWrite> entries;
    for (const KeptRecord &r : waiting)
        entries.append(r.entry);
    const Status written = WriteResults(ResultsFilePath(options.folder), entries);
    for (const KeptRecord &r : waiting)
        r.game->endRecorded(written.ok(), r.how, r.entry.currentLevel);
    if (!written.ok())
        noteRecords(written.error + QStringLiteral(" Не записаны"), entries);
    inFlight.clear();
}

void ClassRoom::beginBatch()
{
    if (!d->store || d->closed)
        return;
    d->batchOpen = true;
    d->rowsAtBegin = d->store->rowsTaken();
    d->store->beginBatch(++d->ticket);
}

ClassWrites ClassRoom::commitBatch()
{
    if (!d->store || !std::exchange(d->batchOpen, false))
        return {};
    const bool rows = d->store->rowsTaken() != d->rowsAtBegin;
    const bool committed = d->store->commitBatch();
    // The sender was poked as each row was taken, when the rows could not yet be read: once
    // more now that they can.
    if (d->school)
        d->school->link().poke();
    ClassWrites writes{d->ticket, ResultsFilePath(d->options.folder), {}, {}};
    // Records that could not be written earlier go again with this batch's.
    for (Impl::KeptRecord &r : d->records) {
        if (r.handedIn == 0) {
            r.handedIn = d->ticket;
            writes.records.append(r.entry);
        }
    }
    if (rows && committed && d->store->unsynced())
        writes.log = d->store->logPath();
    if (writes.records.isEmpty() && writes.log.isEmpty())
        return {};
    d->inFlight.append(d->ticket);
    return writes;
}

void ClassRoom::written(const ClassWritten &outcome)
{
    d->inFlight.removeIf([&outcome](quint64 t) { return t <= outcome.ticket; });
    if (d->store)
        d->store->logSynced(outcome.ticket, outcome.logProblem);
    QList<RecordToWrite> waiting;
    for (auto r = d->records.begin(); r != d->records.end();) {
        if (r->handedIn == 0 || r->handedIn > outcome.ticket) {
            ++r;
        } else if (outcome.recordsProblem.isEmpty()) {
            r->game->endRecorded(true, r->how, r->entry.currentLevel);
            r = d->records.erase(r);
        } else {
            r->handedIn = 0;
            waiting << r->entry;
            ++r;
        }
    }
    if (waiting.isEmpty())
        return;
    // The games are over and their grades shown; the records are kept and written again with
    // the next batch, and the teacher learns which wait.
    d->noteRecords(outcome.recordsProblem + QStringLiteral(" Записи ждут и будут записаны снова"), waiting);
}

bool ClassRoom::onDisk(quint64 ticket) const
{
    if (d->batchOpen && ticket == d->ticket)
        return false;
    return !d->inFlight.contains(ticket);
}

quint64 ClassRoom::waitsFor(const QJsonObject &request, const ClassReply &reply) const
{
    if (!d->store)
        return 0;
    const QString token = reply.body.value(QStringLiteral("token")).toString();
    const ClassGame *g = !token.isEmpty() ? d->byToken.value(token, nullptr) : d->findGame(request);
    if (!g)
        g = d->findId(request);
    return g && g->logTicket && !onDisk(g->logTicket) ? g->logTicket : 0;
}
