#include "illustrationpane.h"

#include "module.h"

#include <QString>
#include <QWidget>

namespace {

using Browse = void (*)(QWidget *, const QString &);

// The browser engine is some 150 MB of libraries: linked into the program, loading them would
// double its start-up time and memory even in a game without a single picture. So the
// browser lives in a module next to the program, loaded the first time it is needed.
Browse loadBrowser()
{
    return reinterpret_cast<Browse>(
        ModuleEntry(ModulePath(QStringLiteral("tallory_browser")), "tallory_browse", "The illustration browser"));
}

} // namespace

void BrowseIllustration(QWidget *pane, const QString &address)
{
    static const Browse browse = loadBrowser();
    if (browse)
        browse(pane, address);
}
