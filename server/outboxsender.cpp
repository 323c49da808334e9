#include "outboxsender.h"

#include "journalfiles.h"
#include "outbox.h"
#include "recordgroup.h"
#include "serverrows.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace {

QString connectionName()
{
    static QAtomicInt next;
    return QStringLiteral("tallory-outbox-%1").arg(next.fetchAndAddRelaxed(1));
}

std::optional<ServerTable> serverTable(const QString &name)
{
    if (name == outbox::kGames)
        return ServerTable::Games;
    if (name == outbox::kAnswers)
        return ServerTable::Answers;
    if (name == outbox::kGameEnds)
        return ServerTable::GameEnds;
    if (name == outbox::kResults)
        return ServerTable::Results;
    if (name == outbox::kUncheckedAttempts)
        return ServerTable::UncheckedAttempts;
    if (name == outbox::kPageLeaves)
        return ServerTable::PageLeaves;
    if (name == outbox::kJournalFailures)
        return ServerTable::JournalFailures;
    return std::nullopt;
}

QString journalProblem(const QSqlError &error)
{
    return QStringLiteral("очередь в журнале не читается: %1").arg(error.text());
}

} // namespace

struct OutboxSender::Row {
    qint64 seq = 0;
    ServerTable table = ServerTable::Games;
    TableRow row;
};

OutboxSender::OutboxSender(QString service, QString journalPath, ServerConnectOptions options, int batchRows)
    : m_service(std::move(service))
    , m_journalPath(std::move(journalPath))
    , m_options(options)
    , m_batchRows(std::max(batchRows, 1))
{
}

OutboxSender::~OutboxSender()
{
    closeJournal();
}

bool OutboxSender::sendAll(QString *problem)
{
    problem->clear();
    // Nothing was written yet, or the journal was written before a server was named.
    if (!QFileInfo::exists(m_journalPath))
        return true;
    if (!openJournal(problem))
        return false;
    int sent = 0;
    do
        sent = sendBatch(problem);
    while (sent == m_batchRows);
    // Not held open between rounds: a journal set aside as damaged is replaced by a new file,
    // which the next round then reads.
    closeJournal();
    return sent >= 0;
}

bool OutboxSender::sendDirect(QList<DirectRow> &rows, QString *problem)
{
    problem->clear();
    if (!openServer(problem))
        return false;
    QList<DirectRow> waiting;
    for (const DirectRow &row : rows) {
        const auto table = serverTable(row.table);
        if (!table)
            continue;
        // Once the connection broke, the rest wait for the next round, in order.
        if (!m_server) {
            waiting.append(row);
            continue;
        }
        QSqlDatabase db = m_server->database();
        bool refused = false;
        QString state;
        const Result<bool> sent = SendRow(db, *table, row.row, &refused, &state);
        if (sent.ok())
            continue;
        *problem = QStringLiteral("сервер «%1»: %2").arg(m_service, sent.error);
        // 23503: the game this row belongs to is still in the journal's outbox.
        if (refused && state != QLatin1String("23503")) {
            const QFileInfo file(m_journalPath);
            WriteProblemNote(file.dir().absolutePath() + QStringLiteral("/../"), file.completeBaseName(),
                             QDateTime::currentDateTimeUtc(),
                             QStringLiteral("сервер не принял строку, которую журнал не записал (%1): %2")
                                 .arg(row.table, sent.error));
            continue;
        }
        waiting.append(row);
        if (!refused) {
            db = QSqlDatabase();
            m_server.reset();
        }
    }
    rows = waiting;
    return rows.isEmpty();
}

bool OutboxSender::openJournal(QString *problem)
{
    if (!m_journalConnection.isEmpty())
        return true;
    m_journalConnection = connectionName();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_journalConnection);
    db.setDatabaseName(m_journalPath);
    // The window's writes come first: this connection waits for them, never they for it.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    QSqlQuery q(db);
    // The file, its log and its index are opened here, by the game's own write access to them.
    const RecordGroupScope records;
    // The window copies the log into the file as a game starts; a row deleted here and lost to
    // a power cut is only sent again, and stored once.
    const bool ok = db.open() && q.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0"))
                    && q.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    if (!ok) {
        *problem = journalProblem(db.isOpen() ? q.lastError() : db.lastError());
        q = QSqlQuery();
        closeJournal();
    }
    return ok;
}

void OutboxSender::closeJournal()
{
    if (m_journalConnection.isEmpty())
        return;
    QSqlDatabase::database(m_journalConnection, false).close();
    QSqlDatabase::removeDatabase(m_journalConnection);
    m_journalConnection.clear();
}

bool OutboxSender::openServer(QString *problem)
{
    if (m_server)
        return true;
    ServerProblem why;
    m_server = ServerConnection::open(m_service, m_options, &why);
    if (!m_server)
        *problem = why.message;
    return m_server != nullptr;
}

int OutboxSender::sendBatch(QString *problem)
{
    QList<Row> rows;
    {
        QSqlQuery q(QSqlDatabase::database(m_journalConnection, false));
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT seq, tbl, payload FROM outbox ORDER BY seq LIMIT ?"));
        q.addBindValue(m_batchRows);
        if (!q.exec()) {
            // A journal kept before the server was named has no outbox: nothing waits.
            const bool none = q.lastError().text().contains(QLatin1String("no such table"));
            if (!none)
                *problem = journalProblem(q.lastError());
            q = QSqlQuery();
            closeJournal();
            return none ? 0 : -1;
        }
        while (q.next()) {
            const auto table = serverTable(q.value(1).toString());
            const auto row = table ? OutboxPayloadRow(q.value(2).toString(), ServerColumns(*table)) : std::nullopt;
            if (!row) {
                *problem = QStringLiteral("строка %1 очереди в журнале повреждена").arg(q.value(0).toLongLong());
                return -1;
            }
            rows.append({q.value(0).toLongLong(), *table, *row});
        }
    }
    if (rows.isEmpty())
        return 0;
    if (!openServer(problem) || !sendRows(rows, problem) || !forget(rows.last().seq, problem))
        return -1;
    return static_cast<int>(rows.size());
}

// One transaction per batch: either the server keeps the whole batch or none of it, and only a
// COMMIT that said so lets the batch leave the outbox. A reply lost after the COMMIT leaves the
// rows here; they go again and the server keeps them once. A row the server refuses for its own
// values would stop every row behind it for good: it is set aside and the batch goes again
// without it.
bool OutboxSender::sendRows(QList<Row> rows, QString *problem)
{
    for (;;) {
        QSqlDatabase db = m_server->database();
        bool ok = db.transaction();
        QString why = ok ? QString() : DescribeServerError(db.lastError());
        bool refused = false;
        qsizetype i = 0;
        for (; ok && i < rows.size(); ++i) {
            const Result<bool> sent = SendRow(db, rows[i].table, rows[i].row, &refused);
            ok = sent.ok();
            why = sent.error;
        }
        if (ok && !db.commit()) {
            ok = false;
            why = DescribeServerError(db.lastError());
        }
        if (ok)
            return true;
        if (refused) {
            db.rollback();
            if (!setAside(rows[i - 1], why, problem))
                return false;
            rows.removeAt(i - 1);
            if (!rows.isEmpty())
                continue;
            return true;
        }
        *problem = QStringLiteral("сервер «%1»: %2").arg(m_service, why);
        db = QSqlDatabase();
        m_server.reset(); // a broken connection is made anew at the next poke
        return false;
    }
}

// Kept in the journal with the server's reason, for the teacher, and noted beside it.
bool OutboxSender::setAside(const Row &row, const QString &reason, QString *problem)
{
    QSqlDatabase journal = QSqlDatabase::database(m_journalConnection, false);
    QSqlQuery q(journal);
    const bool ok = journal.transaction()
                    && q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS outbox_refused (seq INTEGER PRIMARY KEY, "
                                             "tbl TEXT NOT NULL, payload TEXT NOT NULL, reason TEXT NOT NULL)"))
                    && q.prepare(QStringLiteral("INSERT OR REPLACE INTO outbox_refused SELECT seq, tbl, payload, ? "
                                                "FROM outbox WHERE seq = ?"))
                    && (q.addBindValue(reason), q.addBindValue(row.seq), q.exec())
                    && q.prepare(QStringLiteral("DELETE FROM outbox WHERE seq = ?"))
                    && (q.addBindValue(row.seq), q.exec()) && journal.commit();
    if (!ok) {
        *problem = journalProblem(q.lastError().isValid() ? q.lastError() : journal.lastError());
        journal.rollback();
        return false;
    }
    const QFileInfo file(m_journalPath);
    WriteProblemNote(file.dir().absolutePath() + QStringLiteral("/../"), file.completeBaseName(),
                     QDateTime::currentDateTimeUtc(),
                     QStringLiteral("сервер не принял строку %1 очереди (%2), она отложена в журнале "
                                    "(outbox_refused): %3").arg(row.seq).arg(row.table == ServerTable::Answers
                                                                                 ? QStringLiteral("ответ")
                                                                                 : QStringLiteral("игра или запись"),
                                                                             reason));
    return true;
}

bool OutboxSender::forget(qint64 lastSeq, QString *problem)
{
    QSqlQuery q(QSqlDatabase::database(m_journalConnection, false));
    q.prepare(QStringLiteral("DELETE FROM outbox WHERE seq <= ?"));
    q.addBindValue(lastSeq);
    if (q.exec())
        return true;
    // The server has the rows; they stay here too and will go once more, harmlessly.
    *problem = journalProblem(q.lastError());
    q = QSqlQuery();
    closeJournal();
    return false;
}
