#include "schoolserver.h"

#include "formservices.h"

SchoolServer::SchoolServer(const QString &service, GameJournal &journal, int guardWaitMs)
    : m_link(std::make_unique<ServerLink>(service, journal.path()))
    , m_guard(std::make_unique<ServerAttemptGuard>(service, guardWaitMs))
{
    // Every answer, every new game: the window only pokes, the sender's thread does the rest.
    journal.keepOutbox([link = m_link.get()] { link->poke(); });
    m_link->poke();
}

void SchoolServer::serve(FormServices &services)
{
    services.askSchool = [guard = m_guard.get()](const QString &lesson, const QString &name, bool countUnfinished) {
        return guard->ask(lesson, name, countUnfinished);
    };
}
