// The browser of the illustration pane, built as a module of its own: the program loads it,
// and with it the browser engine's libraries, only when the first page is shown.

#include <QBoxLayout>
#include <QFileInfo>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

using Failed = void (*)(QWidget *pane, const QString &address);

// The view never takes the keyboard: the game window's keys (F1 to F6, Alt+X, 1 to 4) must
// reach it whatever page is shown. The engine gives its page the focus itself when a page
// loads, and its inner widget is made anew with some pages, so the focus is checked every
// time it moves.
void keepFromFocus(QWebEngineView *view)
{
    view->setFocusPolicy(Qt::NoFocus);
    if (QWidget *inner = view->focusProxy())
        inner->setFocusPolicy(Qt::NoFocus);
}

// The engine's sandbox cannot run as root, and the engine then ends the whole process, the
// game with it ("Running as root without --no-sandbox is not supported"). A machine where the
// game is played as root (a kiosk, a live system) gets its pages without the sandbox; the
// engine reads this as it starts, which is with the first view.
void runWithoutSandboxAsRoot()
{
#ifdef Q_OS_UNIX
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

QWebEngineView *makeView(QWidget *pane, Failed failed)
{
    auto *layout = qobject_cast<QBoxLayout *>(pane->layout());
    if (!layout) {
        layout = new QVBoxLayout(pane);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    auto *view = new QWebEngineView(pane);
    layout->addWidget(view);
    // The engine's own error pages are English and have buttons; the pane says it in Russian.
    view->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    // Its menu (back, reload, view source...) is no business of a student's.
    view->setContextMenuPolicy(Qt::NoContextMenu);
    keepFromFocus(view);
    QObject::connect(view->page(), &QWebEnginePage::loadingChanged, view, [view, pane, failed](const QWebEngineLoadingInfo &info) {
        // A page cut short for the next one is stopped, not failed; one left for a blank page
        // is hidden. Only the page on show is said to have failed (its address as the engine
        // writes it may differ from the one asked for: "http://www.site.ru" is ".../").
        if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && !view->isHidden())
            failed(pane, view->property("tallory_address").toString());
    });
    // A page whose renderer died shows nothing: said as a page that cannot be shown.
    QObject::connect(view->page(), &QWebEnginePage::renderProcessTerminated, view,
                     [view, pane, failed](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                         if (status != QWebEnginePage::NormalTerminationStatus && !view->isHidden())
                             failed(pane, view->property("tallory_address").toString());
                     });
    return view;
}

} // namespace

/// Sends the pane to a local path or a web address, creating its browser on first use. The
/// browser joins the pane's layout, where the pane has one, beside the pane's other views. A
/// page that cannot be loaded is handed to failed, with the address as given.
extern "C" Q_DECL_EXPORT void tallory_browse(QWidget *pane, const QString &address, Failed failed)
{
    auto *view = pane->findChild<QWebEngineView *>(QString(), Qt::FindDirectChildrenOnly);
    if (!view) {
        runWithoutSandboxAsRoot();
        view = makeView(pane, failed);
    }
    // The address is a web address with its scheme, or the absolute path of a file.
    const QUrl url = QFileInfo(address).isAbsolute() ? QUrl::fromLocalFile(address) : QUrl(address);
    view->setProperty("tallory_address", address);
    view->setUrl(url);
    view->show();
    keepFromFocus(view);
}
