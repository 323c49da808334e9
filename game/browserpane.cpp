// The browser of the illustration pane, built as a module of its own: the program loads it,
// and with it the browser engine's libraries, only when the first illustration is shown.

#include <QFileInfo>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

/// Sends the pane to a local path or a web address, creating its browser on first use.
extern "C" Q_DECL_EXPORT void tallory_browse(QWidget *pane, const QString &address)
{
    auto *view = pane->findChild<QWebEngineView *>();
    if (!view) {
        auto *layout = new QVBoxLayout(pane);
        layout->setContentsMargins(0, 0, 0, 0);
        view = new QWebEngineView(pane);
        layout->addWidget(view);
    }
    // A web address has a scheme of its own; anything else is a file on this machine.
    const QUrl url = QUrl(address);
    const bool web = url.scheme().size() > 1 && !QFileInfo(address).isAbsolute();
    view->setUrl(web ? url : QUrl::fromLocalFile(address));
}
