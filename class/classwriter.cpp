#include "classwriter.h"

#include "journalstore.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>

namespace {
/// A log this long (about 4 MB) is copied after every round until it starts again.
constexpr qint64 kLongLogFrames = 1000;
} // namespace

ClassWriter::ClassWriter(Records records, Sync sync, int checkpointMs, QObject *parent)
    : QObject(parent)
    , m_records(records ? std::move(records) : Records(&WriteResults))
    , m_sync(sync ? std::move(sync) : Sync(&JournalStore::SyncLog))
    , m_checkpointMs(checkpointMs)
{
    m_thread = std::thread([this] { run(); });
}

ClassWriter::~ClassWriter()
{
    finish();
}

void ClassWriter::write(const ClassWrites &writes)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_stop)
            return;
        if (!m_asked) {
            m_asked = writes;
        } else {
            // The rounds asked for while one runs are made as one, in the order they came.
            m_asked->ticket = std::max(m_asked->ticket, writes.ticket);
            m_asked->records += writes.records;
            if (!writes.results.isEmpty())
                m_asked->results = writes.results;
            if (!writes.log.isEmpty())
                m_asked->log = writes.log;
        }
    }
    m_wake.notify_one();
}

QList<ClassWritten> ClassWriter::finish()
{
    std::optional<ClassWrites> left;
    {
        const std::lock_guard lock(m_mutex);
        if (m_stop)
            return {};
        m_stop = true;
        left = std::exchange(m_asked, std::nullopt);
    }
    m_wake.notify_one();
    m_thread.join();
    // The event loop may not turn again to tell the last round: it is returned instead.
    QList<ClassWritten> outcomes = std::exchange(m_untold, {});
    if (left)
        outcomes.append(round(*left));
    return outcomes;
}

void ClassWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_asked; });
        if (m_stop)
            return;
        const ClassWrites writes = std::move(*m_asked);
        m_asked.reset();
        lock.unlock();
        const ClassWritten outcome = round(writes);
        lock.lock();
        m_untold.append(outcome);
        // Told on the owner's thread; a writer gone by then tells nobody.
        QMetaObject::invokeMethod(this, &ClassWriter::tell, Qt::QueuedConnection);
        // The answers of this round are on their way; the next round waits for the copy. A log
        // grown long is copied after every round until a copy catches up with the room's writes
        // and the log starts again; until then, at most once in checkpointMs.
        const bool due = !m_sinceCheckpoint.isValid() || m_sinceCheckpoint.elapsed() >= m_checkpointMs
                         || m_logFrames >= kLongLogFrames;
        if (!writes.log.isEmpty() && due) {
            lock.unlock();
            checkpoint(writes.log);
            m_sinceCheckpoint.start();
            lock.lock();
        }
    }
}

void ClassWriter::checkpoint(const QString &log)
{
    const QString journal = log.chopped(4); // "<journal>-wal"
    // A journal set aside or planted as a link meanwhile is not opened (nor made) here.
    const QFileInfo file(journal);
    if (!log.endsWith(QLatin1String("-wal")) || !file.isFile() || file.isSymLink())
        return;
    const QString name = QStringLiteral("tallory-class-writer-%1").arg(reinterpret_cast<quintptr>(this));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(journal);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        // A copy that fails or finds the room writing leaves the log as it was: the next tries again.
        QSqlQuery q(db);
        if (db.open() && q.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)")) && q.next())
            m_logFrames = q.value(1).toLongLong();
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void ClassWriter::tell()
{
    QList<ClassWritten> told;
    {
        const std::lock_guard lock(m_mutex);
        told = std::exchange(m_untold, {});
    }
    for (const ClassWritten &outcome : told)
        emit written(outcome);
}

// The records first: a graded game's record reaches tallory.rez before the journal's row of
// its end is known to be on the disk, as the desktop writes them.
ClassWritten ClassWriter::round(const ClassWrites &writes) const
{
    ClassWritten outcome{writes.ticket, writes.records, {}, {}};
    if (!writes.records.isEmpty()) {
        const Status written = m_records(writes.results, writes.records);
        if (!written.ok())
            outcome.recordsProblem = written.error;
    }
    if (!writes.log.isEmpty())
        outcome.logProblem = m_sync(writes.log);
    return outcome;
}
