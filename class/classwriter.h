#pragma once
// The room's writes brought to the disk on a thread of its own. The room decides each request
// on its thread, writes the batch's journal rows into the journal's log and keeps its graded
// games' records; what must then reach the disk (the records into tallory.rez, the log synced)
// is done here, while the room goes on deciding; the answers that tell of them wait for it. A
// round asked for while one runs is made once that one is over, with everything asked for
// meanwhile: one rewrite of tallory.rez and one sync of the log for all the batches that came
// while the disk was busy, as a batch is one commit for the requests that came together.

#include "classwrites.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

class ClassWriter : public QObject
{
    Q_OBJECT
public:
    /// Writes records together (WriteResults when empty).
    using Records = std::function<Status(const QString &results, const QList<RecordToWrite> &records)>;
    /// Brings a file to the disk; what went wrong, in Russian, or empty (JournalStore::SyncLog
    /// when empty).
    using Sync = std::function<QString(const QString &path)>;

    /// At most every checkpointMs, after a round, the log is copied into the journal's file (see
    /// checkpoint); 0: after every round.
    explicit ClassWriter(Records records = {}, Sync sync = {}, int checkpointMs = 1000, QObject *parent = nullptr);
    /// As finish, the outcome told to nobody.
    ~ClassWriter() override;
    ClassWriter(const ClassWriter &) = delete;
    ClassWriter &operator=(const ClassWriter &) = delete;

    /// Has writes made in a round: the one that runs takes them when it is over.
    void write(const ClassWrites &writes);
    /// The program's end: the round that runs and the one asked for are made, on this thread's
    /// time, and their outcome returned rather than told; nothing more is written after.
    QList<ClassWritten> finish();

signals:
    /// On this object's thread, a round's outcome.
    void written(const ClassWritten &outcome);

private:
    void run();
    ClassWritten round(const ClassWrites &writes) const;
    /// Tells the rounds made since the last time.
    void tell();
    /// Copies what the log holds into the journal's file, through a connection of this thread's
    /// own that waits for nobody (a passive checkpoint): once all of it is copied, the room's
    /// next write starts the log again from its beginning. Without it the log grows by every
    /// batch (a few pages each) until the room falls quiet, megabytes a second in a busy room,
    /// and the checkpoint that finally copies it holds the room's thread for as long.
    void checkpoint(const QString &log);

    Records m_records;
    Sync m_sync;
    int m_checkpointMs;
    QElapsedTimer m_sinceCheckpoint; ///< on the writer's thread
    qint64 m_logFrames = 0;          ///< the log's length at the last copy, in pages
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<ClassWrites> m_asked;
    QList<ClassWritten> m_untold; ///< rounds made and not yet told on the owner's thread
    bool m_stop = false;
    std::thread m_thread;
};
