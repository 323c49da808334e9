#pragma once
// A machine's journal opened for writing. It never costs the student the game: whatever cannot
// be opened or written is noted beside the journal for the teacher, and the store closes until
// the next game tries again. A damaged file is set aside under a name of its own, never
// overwritten; a journal from a newer program is left as it is.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <functional>
#include <optional>

/// When a written row counts as on the disk. The journal runs in write-ahead-log mode; with
/// Full every answer is synced before the next question shows, and survives a power cut too.
enum class JournalSync { Full, Normal };

/// One statement and the values bound to it.
struct JournalStatement {
    QString sql;
    QVariantList values;
};

class JournalStore
{
public:
    /// Told, with the store's problem, when rows it took into a batch never reached the disk.
    using Lost = std::function<void(const QString &why)>;

    /// programFolder ends in "/"; nowMs gives the wall clock in ms since the epoch.
    JournalStore(QString programFolder, QString machine, std::function<qint64()> nowMs,
                 JournalSync sync = JournalSync::Full);
    ~JournalStore();
    JournalStore(const JournalStore &) = delete;
    JournalStore &operator=(const JournalStore &) = delete;

    /// Opens the journal if it is not open: creates it, or sets a damaged one aside and begins
    /// anew. False, with the problem noted, when it cannot be written now.
    bool open();
    bool isOpen() const { return m_open; }
    QString path() const;
    const QString &machine() const { return m_machine; }

    /// Keeps an outbox for the school's server in the journal (see outbox.h): made as the
    /// journal opens, or at once when it is open.
    void keepOutbox();
    bool keepsOutbox() const { return m_outbox; }

    /// Leaves a note for the teacher beside the journal (see WriteProblemNote).
    void note(const QString &what);
    /// Why the last step that failed failed, as its note says; empty while none has.
    const QString &lastProblem() const { return m_problem; }

    /// Copies the log into the journal file and starts it anew. Done as a game starts, where it
    /// costs the student nothing, rather than when the log happens to grow inside an answer;
    /// the log then holds one game at most, and a reader elsewhere finds the rest in the file.
    void checkpoint();
    /// Runs one statement with its values bound, as its own transaction. On failure the problem
    /// is noted (what names the step, e.g. "ответ") and the store closes.
    bool run(const QString &sql, const QVariantList &values, const QString &what);
    /// The same, without waiting for the disk: the row reaches it with the next synced write.
    /// A crash of the program loses nothing; a power cut a moment later may lose this row.
    bool runUnsynced(const QString &sql, const QVariantList &values, const QString &what);
    /// Runs the statements as one transaction: all of them are written, or none. synced false
    /// is runUnsynced's promise. In a batch the rows wait for commitBatch, and lost is called
    /// should they not be written after all.
    bool runAll(const QList<JournalStatement> &statements, const QString &what, bool synced = true,
                Lost lost = {});

    /// From now on the rows of every runAll go into one open transaction, until commitBatch
    /// writes them all with one sync: many games' rows that came together cost the disk one
    /// sync, where a sync each would have every request wait for all the others' syncs.
    /// A batch given a ticket (its number, growing) is committed without waiting for the disk:
    /// the rows are in the log, and the caller has the log synced (SyncLog, on any thread)
    /// before it tells anyone they are written, then says so (logSynced). Meanwhile the next
    /// batch may be written.
    void beginBatch(quint64 syncLaterTicket = 0);
    /// Commits the batch. False when its rows could not be written: then every lost given with
    /// them has been called and the store is closed, as after any write that failed.
    bool commitBatch();
    bool inBatch() const { return m_batching; }
    /// Rows taken so far (a count that only grows): whether a step wrote anything.
    quint64 rowsTaken() const { return m_rowsTaken; }
    /// Whether a batch committed without waiting for the disk has rows not yet known to be there.
    bool unsynced() const { return !m_unsynced.isEmpty(); }
    /// The log the batches' rows are written to, which SyncLog takes.
    QString logPath() const;
    /// A sync of the log that began after the commit of batch ticket is over: problem is empty
    /// when it reached the disk. A sync that failed is the failure of the rows it was to keep,
    /// handled as a commit that failed (their lost called, noted, the store closed).
    void logSynced(quint64 ticket, const QString &problem);
    /// Waits until the file at logPath is on the disk; what went wrong, in Russian, or empty.
    /// A log that is not there has nothing to sync (the last connection to close copies it into
    /// the journal first). Safe on any thread.
    static QString SyncLog(const QString &logPath);
    /// Whether the query finds a row; nothing when it fails (noted, and the store closes).
    std::optional<bool> anyRow(const QString &sql, const QVariantList &values, const QString &what);

private:
    enum class Opened { Ready, Damaged, Failed };
    Opened openFile();
    bool connect(bool readOnly);
    bool makeOpenToAll();
    bool prepare();
    /// Runs sql with values bound on q; on failure notes it and closes the store.
    bool execute(QSqlQuery &q, const QString &sql, const QVariantList &values, const QString &what);
    bool setAside();
    /// Whether write bytes more leave the results file its room for the game's record; when not,
    /// noted as the failure of what, and the store closes.
    bool roomForRecord(const QString &what, qint64 write);
    bool transaction(const QList<JournalStatement> &statements, const QString &what);
    bool batched(const QList<JournalStatement> &statements, const QString &what, Lost lost);
    void fail(const QString &what, const QString &why);
    /// Closes the connection; what rows of an open batch it loses.
    QList<Lost> close();

    QString m_folder;
    QString m_machine;
    std::function<qint64()> m_now;
    JournalSync m_sync;
    QString m_connection;
    QSqlDatabase m_db;
    bool m_open = false;
    bool m_outbox = false;
    QString m_problem;
    bool m_batching = false;
    quint64 m_ticket = 0;         ///< of the open batch committed without waiting for the disk
    bool m_relaxed = false;       ///< its transaction runs with synchronous = NORMAL
    bool m_inTransaction = false; ///< the batch's transaction is open
    QList<Lost> m_lost;           ///< of the rows in the open transaction
    quint64 m_rowsTaken = 0;
    /// The batches committed and not yet synced, oldest first, with the lost of their rows.
    struct Unsynced {
        quint64 ticket;
        QList<Lost> lost;
    };
    QList<Unsynced> m_unsynced;
};
