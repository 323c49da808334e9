#include "illustrationpane.h"

#include <QFileInfo>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

void BrowseIllustration(QWidget *pane, const QString &address)
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
