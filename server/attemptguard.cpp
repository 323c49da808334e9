#include "attemptguard.h"

#include "serverconnection.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

struct ServerAttemptGuard::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool stop = false;
    bool exited = false;
    quint64 asked = 0;    ///< questions so far; the last one is the one waited for
    quint64 answered = 0; ///< the question the reply belongs to
    QString lesson, name;
    bool countUnfinished = true;
    SchoolAttempt reply;
};

namespace {

struct Question {
    QString lesson, name;
    bool countUnfinished = true;
};

// Asks over the connection kept open, made anew when there is none. A connection that served
// an earlier game may have been cut since (the server restarted): it is given one more try.
SchoolAttempt askServer(std::unique_ptr<ServerConnection> &server, const QString &service,
                        const ServerConnectOptions &options, const Question &q)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool fresh = !server;
        ServerProblem problem;
        if (fresh && !(server = ServerConnection::open(service, options, &problem)))
            return {std::nullopt, problem.message};
        QSqlDatabase db = server->database();
        const auto verdict = AskAttempt(db, q.lesson, q.name, q.countUnfinished);
        if (verdict.ok())
            return {verdict.value, QString()};
        db = QSqlDatabase();
        server.reset();
        if (fresh)
            return {std::nullopt, QStringLiteral("сервер «%1»: %2").arg(service, verdict.error)};
    }
    return {};
}

void serve(const std::shared_ptr<ServerAttemptGuard::State> &state, const QString &service, int waitMs,
           const QString &serviceFile)
{
    {
        const ServerConnectOptions options{2, waitMs, serviceFile};
        ServerProblem ignored;
        // Connected as the program starts, so that the first student waits for one question only.
        auto server = ServerConnection::open(service, options, &ignored);
        quint64 done = 0;
        for (;;) {
            Question q;
            {
                std::unique_lock lock(state->mutex);
                state->changed.wait(lock, [&] { return state->stop || state->asked > done; });
                if (state->stop)
                    break;
                done = state->asked;
                q = {state->lesson, state->name, state->countUnfinished};
            }
            SchoolAttempt reply = askServer(server, service, options, q);
            std::lock_guard lock(state->mutex);
            state->answered = done;
            state->reply = std::move(reply);
            state->changed.notify_all();
        }
    }
    std::lock_guard lock(state->mutex);
    state->exited = true;
    state->changed.notify_all();
}

} // namespace

ServerAttemptGuard::ServerAttemptGuard(const QString &service, int waitMs, const QString &serviceFile)
    : m_service(service)
    , m_waitMs(waitMs)
    , m_state(std::make_shared<State>())
    , m_thread(serve, m_state, service, waitMs, serviceFile)
{
}

ServerAttemptGuard::~ServerAttemptGuard()
{
    std::unique_lock lock(m_state->mutex);
    m_state->stop = true;
    m_state->changed.notify_all();
    const bool exited = m_state->changed.wait_for(lock, std::chrono::seconds(3), [&] { return m_state->exited; });
    lock.unlock();
    if (exited)
        m_thread.join();
    else
        m_thread.detach();
}

SchoolAttempt ServerAttemptGuard::ask(const QString &lesson, const QString &name, bool countUnfinished)
{
    std::unique_lock lock(m_state->mutex);
    const quint64 question = ++m_state->asked;
    m_state->lesson = lesson;
    m_state->name = name;
    m_state->countUnfinished = countUnfinished;
    m_state->changed.notify_all();
    if (m_state->changed.wait_for(lock, std::chrono::milliseconds(m_waitMs),
                                  [&] { return m_state->answered == question; }))
        return m_state->reply;
    // The thread answers later, to nobody; the student is not kept waiting for it.
    return {std::nullopt, QStringLiteral("сервер «%1» не ответил за %2 мс").arg(m_service).arg(m_waitMs)};
}
