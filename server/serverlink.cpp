#include "serverlink.h"

#include "outboxsender.h"

#include <chrono>

struct ServerLink::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool stop = false;
    bool exited = false;
    quint64 pokes = 0;       ///< pokes so far
    quint64 roundAfter = 0;  ///< the pokes the last finished round had seen as it began
    bool emptied = false;    ///< whether that round left the outbox empty
    QString problem;
    QList<OutboxSender::DirectRow> direct; ///< rows the journal could not take, oldest first
};

namespace {

// The sender's thread: a round per poke (pokes that come meanwhile make one more round), until
// the link ends. The connections are made and closed on this thread, as Qt SQL requires.
void serve(const std::shared_ptr<ServerLink::State> &state, const QString &service, const QString &journal,
           ServerLinkOptions options)
{
    {
        OutboxSender sender(service, journal, options.connect, options.batchRows);
        quint64 done = 0;
        for (;;) {
            quint64 round = 0;
            {
                std::unique_lock lock(state->mutex);
                state->changed.wait(lock, [&] { return state->stop || state->pokes > done; });
                if (state->stop)
                    break;
                round = state->pokes;
            }
            QString problem;
            bool emptied = sender.sendAll(&problem);
            // Taken whole and put back in front of what came meanwhile: the order holds.
            QList<OutboxSender::DirectRow> direct;
            {
                std::lock_guard lock(state->mutex);
                direct.swap(state->direct);
            }
            QString directProblem;
            if (!direct.isEmpty() && !sender.sendDirect(direct, &directProblem)) {
                emptied = false;
                if (problem.isEmpty())
                    problem = directProblem;
            }
            std::lock_guard lock(state->mutex);
            state->direct = direct + state->direct;
            done = state->roundAfter = round;
            state->emptied = emptied;
            state->problem = problem;
            state->changed.notify_all();
        }
    }
    std::lock_guard lock(state->mutex);
    state->exited = true;
    state->changed.notify_all();
}

// How long the end of the program waits for a round under way; a server gone silent mid-round
// is then left to the thread, which ends with the process.
constexpr auto kEndWait = std::chrono::seconds(3);

} // namespace

ServerLink::ServerLink(const QString &service, const QString &journalPath, ServerLinkOptions options)
    : m_state(std::make_shared<State>())
    , m_thread(serve, m_state, service, journalPath, options)
{
}

ServerLink::~ServerLink()
{
    std::unique_lock lock(m_state->mutex);
    m_state->stop = true;
    m_state->changed.notify_all();
    const bool exited = m_state->changed.wait_for(lock, kEndWait, [&] { return m_state->exited; });
    lock.unlock();
    if (exited)
        m_thread.join();
    else
        m_thread.detach();
}

void ServerLink::poke()
{
    std::lock_guard lock(m_state->mutex);
    ++m_state->pokes;
    m_state->changed.notify_all();
}

void ServerLink::sendDirect(const QString &table, const TableRow &row)
{
    std::lock_guard lock(m_state->mutex);
    m_state->direct.append({table, row});
    ++m_state->pokes;
    m_state->changed.notify_all();
}

bool ServerLink::flush(int timeoutMs)
{
    std::unique_lock lock(m_state->mutex);
    const quint64 target = ++m_state->pokes;
    m_state->changed.notify_all();
    const bool over = m_state->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                                [&] { return m_state->roundAfter >= target; });
    return over && m_state->emptied;
}

QString ServerLink::lastProblem() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->problem;
}
