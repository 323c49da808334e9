#include "schoolserver.h"

#include "formservices.h"

SchoolServer::SchoolServer(const QString &service, JournalThread &journal, int guardWaitMs, const QString &serviceFile)
    : m_school(service, journal.path(), guardWaitMs, serviceFile)
{
    // Every answer, every new game: the window only pokes, the sender's thread does the rest.
    m_school.serve(journal);
}

void SchoolServer::serve(FormServices &services)
{
    services.askSchool = [guard = &m_school.guard()](const QString &lesson, const QString &name, bool countUnfinished) {
        return guard->ask(lesson, name, countUnfinished);
    };
}
