#include "serverfeed.h"

#include "serverconnection.h"
#include "serverschema.h"

#include <QSqlDriver>
#include <QSqlError>

namespace {

const QString kChannel = QStringLiteral("tallory_results");

} // namespace

ServerFeed::ServerFeed(QObject *parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &ServerFeed::gamesEnded);
}

ServerFeed::~ServerFeed()
{
    // The source reads through the connection: it goes first.
    m_answers.reset();
}

QString ServerFeed::service() const
{
    return m_connection ? m_connection->service() : QString();
}

QString ServerFeed::follow(const QString &service)
{
    m_answers.reset();
    m_connection.reset();
    ServerProblem problem;
    // A server that lets the connection in and then hangs must not hold the window for ever;
    // a lesson of a whole district's answers still fits well within the bound.
    ServerConnectOptions options;
    options.statementTimeoutMs = 30000;
    auto connection = ServerConnection::open(service, options, &problem);
    if (!connection)
        return problem.message;
    QSqlDatabase db = connection->database();
    const auto schema = ReadServerSchema(db, service);
    if (!schema.ok())
        return schema.error;
    const QString wrong = SchemaProblem(service, schema.value, ServerSchemaVersion());
    if (!wrong.isEmpty())
        return wrong;
    m_connection = std::move(connection);
    const QString refused = listen();
    if (!refused.isEmpty()) {
        m_connection.reset();
        return refused;
    }
    m_answers = std::make_unique<ServerAnswers>(db, service);
    return QString();
}

QString ServerFeed::listen()
{
    QSqlDriver *driver = m_connection->database().driver();
    if (!driver->subscribeToNotification(kChannel))
        return QStringLiteral("Сервер «%1» не сообщает об окончании игр (LISTEN %2 не принят): %3")
            .arg(m_connection->service(), kChannel, DescribeServerError(driver->lastError()));
    connect(driver, &QSqlDriver::notification, this,
            [this](const QString &channel, QSqlDriver::NotificationSource, const QVariant &payload) {
                notified(channel, payload);
            });
    return QString();
}

void ServerFeed::notified(const QString &channel, const QVariant &payload)
{
    // A record comes with its game's end: the end alone says a game's answers are all there.
    if (channel == kChannel && payload.toString().startsWith(QLatin1String("game_ends "))
        && !m_settle.isActive())
        m_settle.start(); // not restarted: a lab that never pauses is still followed
}
