#pragma once
// The school-wide attempt guard as the game asks it: the server's word on a name and a lesson,
// waited for at most a bounded time. A thread of its own keeps a connection open between
// games, so that asking costs one round trip, not a login.

#include "serverrows.h"

#include <QString>

#include <memory>
#include <optional>
#include <thread>

/// The server's word, or why there is none (the machine's own file then decides alone).
struct SchoolAttempt {
    std::optional<AttemptVerdict> verdict; ///< nothing when the server could not be asked in time
    QString problem;                       ///< why not, in Russian
};

class ServerAttemptGuard
{
public:
    /// Asks the libpq service (described in serviceFile, or wherever libpq looks when empty);
    /// ask waits at most waitMs for its answer.
    explicit ServerAttemptGuard(const QString &service, int waitMs = 2000, const QString &serviceFile = {});
    /// Ends the thread once the question it is on is answered (left to it after a few seconds).
    ~ServerAttemptGuard();
    ServerAttemptGuard(const ServerAttemptGuard &) = delete;
    ServerAttemptGuard &operator=(const ServerAttemptGuard &) = delete;

    /// The server's attempt guard for a lesson and a name as the game upper-cased them.
    SchoolAttempt ask(const QString &lesson, const QString &name, bool countUnfinished);

    struct State;

private:
    QString m_service;
    int m_waitMs;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};
