#include "answersfeed.h"

#include "serverfeed.h"

AnswersFeed::AnswersFeed(QObject *parent) : QObject(parent), m_feed(new ServerFeed(this)), m_settle(this)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &AnswersFeed::gamesEnded);
    connect(m_feed, &ServerFeed::announced, this, &AnswersFeed::announced);
}

AnswersFeed::~AnswersFeed()
{
    // The source reads through the feed's connection: it goes first.
    m_answers.reset();
}

QString AnswersFeed::service() const
{
    return m_feed->isOpen() ? m_feed->service() : QString();
}

QString AnswersFeed::follow(const QString &service)
{
    m_answers.reset();
    // A server that lets the connection in and then hangs must not hold the window for ever;
    // a lesson of a whole district's answers still fits well within the bound.
    ServerConnectOptions options = ServerFeed::windowOptions();
    options.statementTimeoutMs = 30000;
    if (!m_feed->open(service, options))
        return m_feed->problem();
    m_answers = std::make_unique<ServerAnswers>(m_feed->database(), service);
    return QString();
}

bool AnswersFeed::check()
{
    if (m_feed->check())
        return true;
    m_answers.reset();
    return false;
}

QString AnswersFeed::problem() const
{
    return m_feed->problem();
}

void AnswersFeed::announced(const QString &payload)
{
    // A record comes with its game's end: the end alone says a game's answers are all there.
    if (payload.startsWith(QLatin1String("game_ends ")) && !m_settle.isActive())
        m_settle.start(); // not restarted: a lab that never pauses is still followed
}
