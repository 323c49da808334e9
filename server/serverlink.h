#pragma once
// The game's sender to the school's server: a thread of its own, with its own connections to the
// machine's journal and to the server, that sends the journal's outbox in order and deletes a
// row only once the server has committed it. The window only pokes it and never waits.

#include "serverconnection.h"
#include "tablerow.h"

#include <QString>
#include <QVariantList>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

struct ServerLinkOptions {
    /// Connecting and every statement bounded, so that a silent server holds the sender up
    /// for seconds, never for good.
    ServerConnectOptions connect{2, 5000};
    /// Rows sent in one server transaction when a backlog has built up.
    int batchRows = 200;
};

class ServerLink
{
public:
    /// Sends the outbox of the journal at journalPath to the libpq service.
    ServerLink(const QString &service, const QString &journalPath, ServerLinkOptions options = {});
    /// Ends the thread once the round it is in is over.
    ~ServerLink();
    ServerLink(const ServerLink &) = delete;
    ServerLink &operator=(const ServerLink &) = delete;

    /// Asks for a round of sending: after an answer, a new game, and at start. Never waits.
    void poke();
    /// Queues a row the journal could not take (see GameJournal::sendUnjournaled) and pokes.
    /// Such rows live in memory only: they go after the outbox of each round, each on its own,
    /// until the server has them; a program closed before that loses them.
    void sendDirect(const QString &table, const TableRow &row);
    /// Pokes and waits until a round begun after this call is over, at most timeoutMs: true
    /// when that round left the outbox empty. For tests and the test driver.
    bool flush(int timeoutMs);
    /// Why the last round stopped short; empty when it sent everything.
    QString lastProblem() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};
