#include "serverfeed.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

namespace {

const QString kChannel = QStringLiteral("tallory_results");

} // namespace

ServerConnectOptions ServerFeed::windowOptions()
{
    ServerConnectOptions options;
    options.connectTimeoutSeconds = 2;
    options.statementTimeoutMs = 2000;
    return options;
}

ServerFeed::ServerFeed(QObject *parent)
    : QObject(parent), m_burst(new QTimer(this))
{
    // A lesson's last minutes bring many records at once: one reading answers them all.
    m_burst->setSingleShot(true);
    m_burst->setInterval(0);
    connect(m_burst, &QTimer::timeout, this, &ServerFeed::arrived);
}

ServerFeed::~ServerFeed() = default;

QSqlDatabase ServerFeed::database() const
{
    return m_connection ? m_connection->database() : QSqlDatabase();
}

bool ServerFeed::open(const QString &service, const ServerConnectOptions &options)
{
    m_connection.reset();
    m_service = service;
    m_connection = OpenSchoolServer(service, options, &m_problem);
    if (!m_connection)
        return false;
    QSqlDriver *driver = m_connection->database().driver();
    if (!driver->subscribeToNotification(kChannel)) {
        m_problem = QStringLiteral("Сервер службы «%1» не даёт следить за новыми записями: %2")
                        .arg(service, DescribeServerError(driver->lastError()));
        m_connection.reset();
        return false;
    }
    connect(driver, &QSqlDriver::notification, this,
            [this](const QString &name, QSqlDriver::NotificationSource, const QVariant &payload) {
                if (name != kChannel)
                    return;
                m_burst->start();
                emit announced(payload.toString());
            });
    m_problem.clear();
    return true;
}

Result<std::vector<ServerResultRow>> ServerFeed::read(const ServerResultsQuery &query)
{
    if (!m_connection)
        return Result<std::vector<ServerResultRow>>::failure(m_problem);
    QSqlDatabase db = m_connection->database();
    auto rows = ReadServerResults(db, query);
    if (!rows.ok()) {
        m_problem = QStringLiteral("Сервер службы «%1» не отдал результаты: %2").arg(m_service, rows.error);
        m_connection.reset();
    }
    return rows;
}

bool ServerFeed::check()
{
    if (!m_connection)
        return false;
    QSqlQuery q(m_connection->database());
    if (q.exec(QStringLiteral("SELECT 1")))
        return true;
    m_problem = QStringLiteral("Сервер службы «%1» перестал отвечать: %2").arg(m_service, DescribeServerError(q.lastError()));
    q = QSqlQuery(); // the statement lets go of the connection before it is closed
    m_connection.reset();
    return false;
}
