#include "journalstore.h"

#include "journalschema.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

// A batch: the rows of many games that came together, in one transaction, with one sync; or,
// given a ticket, committed into the log at once and synced later by the caller, on a thread of
// its own (the class server).

void JournalStore::beginBatch(quint64 syncLaterTicket)
{
    m_batching = true;
    m_ticket = syncLaterTicket;
}

// The rows join the batch's transaction, opened by the first of them. A failure of any row
// takes the whole transaction with it (SQLite may roll it all back on an I/O error or a full
// disk), so the rows taken before are reported lost as the store closes; the caller handles
// this one's, as after any write that failed.
bool JournalStore::batched(const QList<JournalStatement> &statements, const QString &what, Lost lost)
{
    if (!m_inTransaction) {
        // The commit of a batch synced later leaves the log unsynced; the setting is changed
        // between transactions only.
        m_relaxed = m_ticket != 0 && m_sync == JournalSync::Full;
        if (m_relaxed)
            QSqlQuery(m_db).exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
        if (!m_db.transaction()) {
            fail(what, DescribeSqlError(m_db.lastError()));
            return false;
        }
        m_inTransaction = true;
    }
    for (const JournalStatement &s : statements) {
        QSqlQuery q(m_db);
        if (!execute(q, s.sql, s.values, what))
            return false;
    }
    if (lost)
        m_lost.append(std::move(lost));
    ++m_rowsTaken;
    return true;
}

bool JournalStore::commitBatch()
{
    m_batching = false;
    if (!m_inTransaction)
        return true;
    m_inTransaction = false;
    if (!m_db.commit()) {
        // Closing the connection rolls back whatever the failed commit left, and tells the rows.
        m_inTransaction = true;
        fail(QStringLiteral("запись ответов"), DescribeSqlError(m_db.lastError()));
        return false;
    }
    if (std::exchange(m_relaxed, false))
        QSqlQuery(m_db).exec(QStringLiteral("PRAGMA synchronous = FULL"));
    if (m_ticket != 0)
        m_unsynced.append({m_ticket, std::exchange(m_lost, {})});
    m_lost.clear();
    return true;
}

QString JournalStore::logPath() const
{
    return path() + QStringLiteral("-wal");
}

void JournalStore::logSynced(quint64 ticket, const QString &problem)
{
    QList<Lost> lost;
    bool covered = false;
    while (!m_unsynced.isEmpty() && m_unsynced.first().ticket <= ticket) {
        lost += m_unsynced.takeFirst().lost;
        covered = true;
    }
    if (problem.isEmpty() || !covered)
        return;
    // The rows are in the log, but the log may not be on the disk: as after a commit that
    // failed, they go where a failed write sends them, and the store opens afresh for the next.
    fail(QStringLiteral("запись ответов"), problem);
    for (const Lost &l : lost)
        l(m_problem);
}

QString JournalStore::SyncLog(const QString &logPath)
{
    QFile log(logPath);
    if (!log.exists())
        return {};
    if (!log.open(QIODevice::ReadWrite))
        return QStringLiteral("журнал не открывается для записи на диск: %1").arg(log.errorString());
#ifdef Q_OS_WIN
    const bool done = ::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(log.handle())));
#else
    const bool done = ::fdatasync(log.handle()) == 0;
#endif
    if (!done)
        return QStringLiteral("журнал не записывается на диск: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    return {};
}
