// The browser of the illustration pane, built as a module of its own: the program loads it,
// and with it the browser engine's libraries, only when the first page is shown.

#include <QBoxLayout>
#include <QFileInfo>
#include <QUrl>
#include <QWebEngineView>

/// Sends the pane to a local path or a web address, creating its browser on first use. The
/// browser joins the pane's layout, where the pane has one, beside the pane's other views.
extern "C" Q_DECL_EXPORT void tallory_browse(QWidget *pane, const QString &address)
{
    auto *view = pane->findChild<QWebEngineView *>(QString(), Qt::FindDirectChildrenOnly);
    if (!view) {
        auto *layout = qobject_cast<QBoxLayout *>(pane->layout());
        if (!layout) {
            layout = new QVBoxLayout(pane);
            layout->setContentsMargins(0, 0, 0, 0);
        }
        view = new QWebEngineView(pane);
        layout->addWidget(view);
    }
    // A web address has a scheme of its own; anything else is a file on this machine.
    const QUrl url = QUrl(address);
    const bool web = url.scheme().size() > 1 && !QFileInfo(address).isAbsolute();
    view->setUrl(web ? url : QUrl::fromLocalFile(address));
    view->show();
}
