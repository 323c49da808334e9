#pragma once
// The school's server as the game uses it, made only where tallory.ini names one: the journal
// keeps an outbox that a sender empties off the window's thread, and every start asks the
// server's attempt guard.

#include "journalthread.h"
#include "schoollink.h"

struct FormServices;

class SchoolServer
{
public:
    /// How long a student waits at most for the server's word as a game starts.
    static constexpr int kGuardWaitMs = 2000;

    /// Connects journal to the libpq service, described in serviceFile only (the system's:
    /// never a student's own); the sender is poked at once, for what an earlier run left in
    /// the outbox. guardWaitMs bounds the student's wait at a start. The journal calls the
    /// sender from its writer's thread until it is gone: it goes before this.
    SchoolServer(const QString &service, JournalThread &journal, int guardWaitMs = kGuardWaitMs,
                 const QString &serviceFile = SystemServiceFile());

    /// Hands the attempt guard to the window.
    void serve(FormServices &services);

    ServerLink &link() { return m_school.link(); }

private:
    SchoolLink m_school;
};
