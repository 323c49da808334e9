#include "journalstore.h"

#include "journalfiles.h"
#include "journalschema.h"
#include "outbox.h"
#include "lockedfile.h"
#include "recordgroup.h"
#include "results.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>


namespace {
// A second copy of the program on the same machine writes the same file: it is waited for
// briefly, as the student waits anyway while the host speaks.
const QString kOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=500");
// What one write of the journal may add to its log at most: a game's start, an answer and its
// copy in the outbox are a few pages each.
constexpr qint64 kJournalWriteRoom = 64 * 1024;
// What opening may add: a new journal's tables and indexes in the log, and the log's index.
constexpr qint64 kJournalOpenRoom = 256 * 1024;

QString connectionName()
{
    static QAtomicInt next;
    return QStringLiteral("tallory-journal-%1").arg(next.fetchAndAddRelaxed(1));
}
} // namespace

JournalStore::JournalStore(QString programFolder, QString machine, std::function<qint64()> nowMs, JournalSync sync)
    : m_folder(std::move(programFolder))
    , m_machine(std::move(machine))
    , m_now(std::move(nowMs))
    , m_sync(sync)
{
}

JournalStore::~JournalStore()
{
    // Rows taken into a batch are written, not dropped with the store.
    commitBatch();
    close();
}

QString JournalStore::path() const
{
    return JournalFilePath(m_folder, m_machine);
}

bool JournalStore::open()
{
    if (m_open)
        return true;
    // The journal's file, its log and its index are opened here and kept: later writes need
    // the records' group no more.
    const RecordGroupScope records;
    if (!roomForRecord(QStringLiteral("открытие"), kJournalOpenRoom))
        return false;
    if (!QDir().mkpath(JournalFolder(m_folder))) {
        fail(QStringLiteral("открытие"), QStringLiteral("папка journal не создаётся"));
        return false;
    }
    Opened opened = openFile();
    if (opened == Opened::Damaged) {
        if (!setAside())
            return false;
        opened = openFile();
    }
    m_open = opened == Opened::Ready && prepare();
    return m_open;
}

namespace {
// The first value a statement gives, or the error why it gives none. The query is gone when
// this returns, so the connection may be closed at once.
std::optional<QVariant> firstValue(QSqlDatabase &db, const QString &sql, QSqlError &error)
{
    QSqlQuery q(db);
    if (q.exec(sql) && q.next())
        return q.value(0);
    error = q.lastError();
    return std::nullopt;
}
} // namespace

bool JournalStore::connect(bool readOnly)
{
    close();
    m_connection = connectionName();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(path());
    m_db.setConnectOptions(readOnly ? kOptions + QStringLiteral(";QSQLITE_OPEN_READONLY") : kOptions);
    if (m_db.open())
        return true;
    fail(QStringLiteral("открытие"), DescribeSqlError(m_db.lastError()));
    return false;
}

// An existing file is looked at through a read-only connection first: a journal of a newer
// program is then left exactly as it was, and a damaged one is not touched before it is set aside.
JournalStore::Opened JournalStore::openFile()
{
    // SQLite follows links; the program never makes one here, so one found here was planted
    // and would have the game write wherever it leads.
    for (const QString &tail : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFileInfo(path() + tail).isSymLink()) {
            fail(QStringLiteral("открытие"),
                 QStringLiteral("«%1» — ссылка, а не файл журнала; через ссылку журнал не пишется")
                     .arg(QFileInfo(path() + tail).fileName()));
            return Opened::Failed;
        }
    }
    if (QFileInfo::exists(path())) {
        if (!connect(true))
            return Opened::Failed;
        QSqlError error;
        const auto version = firstValue(m_db, QStringLiteral("PRAGMA user_version"), error);
        // A damaged page is found here rather than by a later write, which could spread the damage.
        const auto check = version ? firstValue(m_db, QStringLiteral("PRAGMA quick_check"), error) : std::nullopt;
        if (IsDamage(error) || (check && check->toString() != QStringLiteral("ok")))
            return Opened::Damaged;
        if (!check) {
            fail(QStringLiteral("открытие"), DescribeSqlError(error));
            return Opened::Failed;
        }
        if (version->toInt() > kJournalSchemaVersion) {
            fail(QStringLiteral("открытие"),
                 QStringLiteral("журнал записан более новой версией программы (версия %1, эта программа знает %2), "
                                "он оставлен как есть")
                     .arg(version->toInt())
                     .arg(kJournalSchemaVersion));
            return Opened::Failed;
        }
    }
    if (!QFileInfo::exists(path()) && !makeOpenToAll())
        return Opened::Failed;
    return connect(false) ? Opened::Ready : Opened::Failed;
}

// The students of a lab machine log in as different users, and every game there writes the
// machine's one file: it is made writable to whoever may write the folder (the records' group of
// an installed game, or every user of a shared folder), as the results file is. SQLite gives its
// log the file's permissions.
bool JournalStore::makeOpenToAll()
{
    QFile file(path());
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        file.close();
        OpenLikeFolder(path());
        return true;
    }
    fail(QStringLiteral("открытие"), QStringLiteral("файл не создаётся: %1").arg(file.errorString()));
    return false;
}

bool JournalStore::prepare()
{
    QSqlQuery q(m_db);
    // The write-ahead log: an answer is one append and one sync, and a reader never holds
    // the writer up.
    const QString sync = m_sync == JournalSync::Full ? QStringLiteral("FULL") : QStringLiteral("NORMAL");
    bool ok = q.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && q.next()
              && q.value(0).toString().compare(QStringLiteral("wal"), Qt::CaseInsensitive) == 0;
    ok = ok && q.exec(QStringLiteral("PRAGMA synchronous = ") + sync);
    // The log is copied into the file as a game starts (see checkpoint), never inside an answer.
    ok = ok && q.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
    ok = ok && q.exec(QStringLiteral("PRAGMA user_version")) && q.next();
    const bool empty = ok && q.value(0).toInt() == 0;
    q.finish();
    QSqlError error = ok ? QSqlError() : q.lastError();
    if (ok && empty)
        error = CreateJournalSchema(m_db);
    // Not having it only makes the audience's lookup slower, and that lookup is time-boxed: a
    // journal that cannot take it now is written on as it is.
    if (ok && !error.isValid())
        AddLookupIndexes(m_db);
    if (ok && !error.isValid())
        error = AddLaterTables(m_db);
    if (ok && !error.isValid() && m_outbox)
        error = CreateOutbox(m_db);
    if (!ok || error.isValid()) {
        fail(QStringLiteral("открытие"), error.isValid() ? DescribeSqlError(error)
                                                         : QStringLiteral("режим журнала WAL не включается"));
        return false;
    }
    return true;
}

bool JournalStore::setAside()
{
    close();
    const QString damaged = path();
    const QString aside = SetAsideName(damaged);
    // The log and its index go with the file: a new journal must never replay the old log.
    for (const QString &tail : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFileInfo::exists(damaged + tail) && !QFile::rename(damaged + tail, aside + tail)) {
            fail(QStringLiteral("открытие"), QStringLiteral("файл повреждён и не откладывается в сторону"));
            return false;
        }
    }
    if (!QFile::rename(damaged, aside)) {
        fail(QStringLiteral("открытие"), QStringLiteral("файл повреждён и не откладывается в сторону"));
        return false;
    }
    note(QStringLiteral("журнал «%1» повреждён: он сохранён как «%2», начат новый журнал")
             .arg(QFileInfo(damaged).fileName(), QFileInfo(aside).fileName()));
    return true;
}

void JournalStore::checkpoint()
{
    // Inside an open transaction the log cannot be copied; the next quiet moment does it.
    if (m_inTransaction)
        return;
    if (!m_open || !roomForRecord(QStringLiteral("перенос записей в файл"), kJournalWriteRoom))
        return;
    QSqlQuery q(m_db);
    // A failure here loses nothing: the rows stay in the log, and the next start tries again.
    // The log starts again from its beginning but keeps its size: the next game's answers
    // overwrite it in place, and syncing them need not wait for the file system to record a
    // longer file.
    q.exec(QStringLiteral("PRAGMA wal_checkpoint(RESTART)"));
}

bool JournalStore::execute(QSqlQuery &q, const QString &sql, const QVariantList &values, const QString &what)
{
    bool ok = q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    ok = ok && q.exec();
    if (!ok) {
        const QString why = DescribeSqlError(q.lastError());
        q = QSqlQuery(); // the statement lets go of the file before the store closes it
        fail(what, why);
    }
    return ok;
}

bool JournalStore::run(const QString &sql, const QVariantList &values, const QString &what)
{
    return runAll({{sql, values}}, what);
}

bool JournalStore::runUnsynced(const QString &sql, const QVariantList &values, const QString &what)
{
    return runAll({{sql, values}}, what, false);
}

bool JournalStore::runAll(const QList<JournalStatement> &statements, const QString &what, bool synced, Lost lost)
{
    if (!m_open || !roomForRecord(what, kJournalWriteRoom))
        return false;
    if (m_batching)
        return batched(statements, what, std::move(lost));
    const bool relax = !synced && m_sync == JournalSync::Full;
    QSqlQuery pragma(m_db);
    if (relax)
        pragma.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    const bool ok = transaction(statements, what);
    if (ok && relax)
        pragma.exec(QStringLiteral("PRAGMA synchronous = FULL"));
    return ok;
}

// One statement is a transaction of its own already; several are wrapped in one, so that a
// journal row and its copy in the outbox reach the disk together, with one sync.
bool JournalStore::transaction(const QList<JournalStatement> &statements, const QString &what)
{
    const bool wrap = statements.size() > 1;
    if (wrap && !m_db.transaction()) {
        fail(what, DescribeSqlError(m_db.lastError()));
        return false;
    }
    for (const JournalStatement &s : statements) {
        QSqlQuery q(m_db);
        if (!execute(q, s.sql, s.values, what))
            return false; // closing the connection has rolled the transaction back
    }
    if (wrap && !m_db.commit()) {
        fail(what, DescribeSqlError(m_db.lastError()));
        return false;
    }
    return true;
}

void JournalStore::keepOutbox()
{
    m_outbox = true;
    if (!m_open)
        return;
    const QSqlError error = CreateOutbox(m_db);
    if (error.isValid())
        fail(QStringLiteral("очередь для сервера"), DescribeSqlError(error));
}

std::optional<bool> JournalStore::anyRow(const QString &sql, const QVariantList &values, const QString &what)
{
    if (!m_open)
        return std::nullopt;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!execute(q, sql, values, what))
        return std::nullopt;
    return q.next();
}

// The grade comes first: on a nearly full disk the journal stops before it takes the room the
// results file needs for the game's record.
bool JournalStore::roomForRecord(const QString &what, qint64 write)
{
    const QString problem = RecordRoomProblem(ResultsFilePath(m_folder), write);
    if (problem.isEmpty())
        return true;
    fail(what, problem);
    return false;
}

void JournalStore::note(const QString &what)
{
    WriteProblemNote(m_folder, m_machine, QDateTime::fromMSecsSinceEpoch(m_now()), what);
}

void JournalStore::fail(const QString &what, const QString &why)
{
    m_problem = QStringLiteral("журнал «%1» не записан (%2): %3").arg(QFileInfo(path()).fileName(), what, why);
    const QList<Lost> lost = close();
    note(m_problem + QStringLiteral("; игра и tallory.rez записываются как обычно"));
    for (const Lost &l : lost)
        l(m_problem);
}

QList<JournalStore::Lost> JournalStore::close()
{
    m_open = false;
    // A transaction still open is rolled back as the connection closes: its rows are lost.
    QList<Lost> lost = m_inTransaction ? std::exchange(m_lost, {}) : QList<Lost>();
    m_inTransaction = false;
    m_lost.clear();
    if (m_connection.isEmpty())
        return lost;
    // The last connection to close removes the log and its index, in the records' folder.
    const RecordGroupScope records;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
    return lost;
}
