#include "schoolserver.h"

#include "formservices.h"

namespace {
ServerLinkOptions linkOptions(const QString &serviceFile)
{
    ServerLinkOptions options;
    options.connect.serviceFile = serviceFile;
    return options;
}
} // namespace

SchoolServer::SchoolServer(const QString &service, JournalThread &journal, int guardWaitMs, const QString &serviceFile)
    : m_link(std::make_unique<ServerLink>(service, journal.path(), linkOptions(serviceFile)))
    , m_guard(std::make_unique<ServerAttemptGuard>(service, guardWaitMs, serviceFile))
{
    // Every answer, every new game: the window only pokes, the sender's thread does the rest.
    journal.keepOutbox([link = m_link.get()] { link->poke(); });
    // A journal that cannot be written (damaged, read-only, locked by another program, a full
    // disk) must not keep the game from the server: its rows go straight from memory.
    journal.sendUnjournaled([link = m_link.get()](const QString &table, const TableRow &row) {
        link->sendDirect(table, row);
    });
    m_link->poke();
}

void SchoolServer::serve(FormServices &services)
{
    services.askSchool = [guard = m_guard.get()](const QString &lesson, const QString &name, bool countUnfinished) {
        return guard->ask(lesson, name, countUnfinished);
    };
}
