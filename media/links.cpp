#include "links.h"

#include "stringres.h"

#include <QDesktopServices>

namespace {

LinkOpener &currentOpener()
{
    static LinkOpener opener;
    return opener;
}

} // namespace

void OpenLink(const QString &target)
{
    const QUrl url(target);
    if (const LinkOpener &opener = currentOpener())
        opener(url);
    else
        QDesktopServices::openUrl(url);
}

void OpenHomePage()
{
    OpenLink(LoadStr(StringId::HomePageLink));
}

void WriteToAuthor()
{
    OpenLink(LoadStr(StringId::MailLink));
}

LinkOpener SetLinkOpener(LinkOpener opener)
{
    LinkOpener previous = std::move(currentOpener());
    currentOpener() = std::move(opener);
    return previous;
}
