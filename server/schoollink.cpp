#include "schoollink.h"

ServerLinkOptions SchoolLink::linkOptions(const QString &serviceFile)
{
    ServerLinkOptions options;
    options.connect.serviceFile = serviceFile;
    return options;
}

SchoolLink::SchoolLink(const QString &service, const QString &journalPath, int guardWaitMs, const QString &serviceFile)
    : m_link(service, journalPath, linkOptions(serviceFile))
    , m_guard(service, guardWaitMs, serviceFile)
{
    m_link.poke();
}
