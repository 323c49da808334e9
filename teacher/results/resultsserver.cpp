#include "resultsserver.h"

#include "journalload.h"
#include "serverfeed.h"
#include "serverload.h"

#include <QFileInfo>

ResultsServer::ResultsServer() : m_feed(new ServerFeed(this)), m_retry(this)
{
    qRegisterMetaType<ServerRows>();
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &ResultsServer::retry);
    connect(m_feed, &ServerFeed::arrived, this, &ResultsServer::arrived);
}

ResultsServer::~ResultsServer() = default;

void ResultsServer::setRetryMs(int ms)
{
    m_retry.setInterval(ms);
}

bool ResultsServer::connectServer()
{
    return m_feed->open(m_service);
}

void ResultsServer::open(const QString &service)
{
    m_service = service;
    m_retry.start();
    if (connectServer())
        emit opened();
    else
        emit unreachable(m_feed->problem());
}

void ResultsServer::retry()
{
    if (m_feed->isOpen()) {
        if (!m_feed->check())
            lost();
        return;
    }
    const QString before = m_feed->problem();
    if (connectServer())
        emit opened();
    else if (m_feed->problem() != before)
        emit unreachable(m_feed->problem()); // out of reach for another reason now
}

void ResultsServer::lost()
{
    // Most often the server was restarted: a new connection reads at once. Otherwise what the
    // connection says (not answering, with what to check) follows what failed.
    const QString failed = m_feed->problem();
    if (connectServer())
        emit opened();
    else
        emit unreachable(failed + QStringLiteral(". ") + m_feed->problem());
}

void ResultsServer::read(const ServerResultsQuery &query)
{
    if (!m_feed->isOpen()) {
        emit unreachable(m_feed->problem());
        return;
    }
    auto rows = m_feed->read(query);
    if (rows.ok())
        emit rowsRead(rows.value);
    else
        lost();
}
void ResultsServer::load(const QStringList &paths, const QStringList &journals)
{
    QString problem;
    // Off the window's thread, a journal of a whole term may take its time statement by statement.
    ServerConnectOptions options = ServerFeed::windowOptions();
    options.statementTimeoutMs = 30000;
    const auto connection = OpenSchoolServer(m_service, options, &problem);
    if (!connection) {
        emit loaded(false, problem);
        return;
    }
    QSqlDatabase db = connection->database();
    RezLoadCounts total;
    for (const QString &path : paths) {
        if (!QFileInfo::exists(path))
            continue;
        const auto counts = LoadResultsFile(db, path);
        if (!counts.ok()) {
            emit loaded(false, counts.error);
            return;
        }
        total += counts.value;
    }
    QStringList account{DescribeLoadCounts(total)};
    for (const QString &journal : journals) {
        const auto counts = LoadJournalToServer(db, journal);
        account << (counts.ok() ? QStringLiteral("%1: %2").arg(QFileInfo(journal).fileName(),
                                                               DescribeJournalCounts(counts.value))
                                : counts.error);
    }
    emit loaded(true, account.join(QLatin1Char(' ')));
    // A server out of reach until now is read at once; a connected one announces the new rows.
    if (!m_feed->isOpen() && connectServer())
        emit opened();
}
