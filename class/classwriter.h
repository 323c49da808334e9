#pragma once
// The room's writes brought to the disk on a thread of its own. The room decides each request
// on its thread, writes the batch's journal rows into the journal's log and keeps its graded
// games' records; what must then reach the disk (the records into tallory.rez, the log synced)
// is done here, while the room goes on deciding; the answers that tell of them wait for it. A
// round asked for while one runs is made once that one is over, with everything asked for
// meanwhile: one rewrite of tallory.rez and one sync of the log for all the batches that came
// while the disk was busy, as a batch is one commit for the requests that came together.

#include "classwrites.h"

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

    explicit ClassWriter(Records records = {}, Sync sync = {}, QObject *parent = nullptr);
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

    Records m_records;
    Sync m_sync;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<ClassWrites> m_asked;
    QList<ClassWritten> m_untold; ///< rounds made and not yet told on the owner's thread
    bool m_stop = false;
    std::thread m_thread;
};
