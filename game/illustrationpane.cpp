#include "illustrationpane.h"

#include "illustration.h"
#include "illustrationpicture.h"
#include "module.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLoggingCategory>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

namespace {

QLoggingCategory::CategoryFilter g_categoryFilter = nullptr;
QtMessageHandler g_messageHandler = nullptr;

// Qt WebEngine 6.4 describes its GL set-up under this category, on by default, reading the
// shared GL context that this program leaves unmade (see app/main.cpp): it would crash. Kept
// off whatever the logging rules say.
void engineCategories(QLoggingCategory *category)
{
    if (g_categoryFilter)
        g_categoryFilter(category);
    if (qstrcmp(category->categoryName(), "qt.webenginecontext") == 0) {
        category->setEnabled(QtDebugMsg, false);
        category->setEnabled(QtInfoMsg, false);
    }
}

// The engine complains that it was loaded after the application without a shared GL context,
// and then draws its pages in software, as intended: those complaints alone are dropped.
void engineMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    static const char *const kExpected[] = {"Qt WebEngine seems to be initialized from a plugin",
                                            "WebEngineContext used before QtWebEngineCore::initialize()",
                                            "No suitable graphics backend found"};
    for (const char *expected : kExpected) {
        if (message.startsWith(QLatin1String(expected)))
            return;
    }
    if (g_messageHandler)
        g_messageHandler(type, context, message);
}

QLayout *paneLayout(QWidget *pane)
{
    if (QLayout *layout = pane->layout())
        return layout;
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

IllustrationPicture *pictureView(QWidget *pane)
{
    if (auto *view = pane->findChild<IllustrationPicture *>(QString(), Qt::FindDirectChildrenOnly))
        return view;
    auto *view = new IllustrationPicture(pane);
    paneLayout(pane)->addWidget(view);
    return view;
}

// A short line in the pane in place of an illustration that cannot be shown: the browser's own
// error pages are English, with buttons a student could press in the middle of an exam.
QLabel *messageView(QWidget *pane)
{
    auto *label = pane->findChild<QLabel *>(QStringLiteral("IllustrationMessage"), Qt::FindDirectChildrenOnly);
    if (label)
        return label;
    label = new QLabel(pane);
    label->setObjectName(QStringLiteral("IllustrationMessage"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, IllustrationPicture::kGround);
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    paneLayout(pane)->addWidget(label);
    return label;
}

// Hides the pane's other views; a page among them is left for a blank one, so that a video
// or a sound of the last question's page does not play on unseen.
void hideAllBut(QWidget *pane, const QWidget *shown)
{
    for (QWidget *other : pane->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other == shown || other->isHidden())
            continue;
        other->hide();
        if (other->metaObject()->indexOfProperty("url") >= 0)
            other->setProperty("url", QUrl(QStringLiteral("about:blank")));
    }
}

} // namespace

QString IllustrationFile(const QString &address)
{
    const QUrl url(address);
    if (url.isLocalFile())
        return url.toLocalFile();
    return IsWebIllustration(address) ? QString() : address;
}

QString LocalPicturePath(const QString &address)
{
    const QString path = IllustrationFile(address);
    static const QStringList kSuffixes = {QStringLiteral("bmp"), QStringLiteral("png"), QStringLiteral("jpg"),
                                          QStringLiteral("jpeg"), QStringLiteral("jpe"), QStringLiteral("jfif"),
                                          QStringLiteral("gif")};
    return kSuffixes.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive) ? path : QString();
}

QImage ReadLocalPicture(const QString &path, QSize bound)
{
    QImageReader reader(path);
    // Browsers turn a photograph as its camera recorded it.
    reader.setAutoTransform(true);
    // A picture that moves is left to the browser, which plays it.
    if (!reader.canRead() || (reader.supportsAnimation() && reader.imageCount() > 1))
        return {};
    // Decoding straight to the size shown is the quick way with a large photograph: its
    // decoder then reads a fraction of its pixels. The bound is in the picture's own
    // orientation, before it is turned.
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize fit = turned ? bound.transposed() : bound;
    const QSize size = reader.size();
    if (size.isValid() && fit.isValid() && (size.width() > fit.width() || size.height() > fit.height()))
        reader.setScaledSize(size.scaled(fit, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read();
}

void ShowIllustrationMessage(QWidget *pane, const QString &text)
{
    QLabel *label = messageView(pane);
    hideAllBut(pane, label);
    label->setText(text);
    label->show();
    pane->layout()->activate();
}

void HideIllustration(QWidget *pane)
{
    hideAllBut(pane, nullptr);
}

void ShowIllustration(QWidget *pane, const QString &address, const IllustrationBrowser &browser)
{
    // A file that is not there is said so at once, without starting the browser for its
    // English error page.
    const QString file = IllustrationFile(address);
    if (!file.isEmpty() && !QFileInfo(file).isFile()) {
        ShowIllustrationMessage(pane, QStringLiteral("Иллюстрация не найдена: %1").arg(QDir::toNativeSeparators(file)));
        return;
    }
    const QString path = LocalPicturePath(address);
    const qreal ratio = pane->devicePixelRatioF();
    QImage picture = path.isEmpty() ? QImage() : ReadLocalPicture(path, pane->size() * ratio);
    auto *view = pane->findChild<IllustrationPicture *>(QString(), Qt::FindDirectChildrenOnly);
    if (picture.isNull()) {
        // Not a picture, or one that cannot be read: the browser shows it, or tells why not.
        if (view) {
            view->hide();
            view->setPicture({});
        }
        if (auto *message = pane->findChild<QLabel *>(QStringLiteral("IllustrationMessage"), Qt::FindDirectChildrenOnly))
            message->hide();
        if (browser)
            browser(pane, address);
        return;
    }
    picture.setDevicePixelRatio(ratio);
    view = pictureView(pane);
    hideAllBut(pane, view);
    view->setPicture(picture);
    view->show();
    pane->layout()->activate();
}

// The browser engine is some 150 MB of libraries: linked into the program, loading them would
// double its start-up time and memory even in a game without a single page. So the browser
// lives in a module next to the program, loaded the first time it is needed.
IllustrationBrowser LoadIllustrationBrowser(const QString &module)
{
    static const bool quiet = [] {
        g_categoryFilter = QLoggingCategory::installFilter(&engineCategories);
        g_messageHandler = qInstallMessageHandler(&engineMessages);
        return true;
    }();
    Q_UNUSED(quiet)
    using Failed = void (*)(QWidget *, const QString &);
    using Browse = void (*)(QWidget *, const QString &, Failed);
    const auto browse = reinterpret_cast<Browse>(
        ModuleEntry(module.isEmpty() ? ModulePath(QStringLiteral("tallory_browser")) : module, "tallory_browse",
                    "The illustration browser"));
    if (!browse)
        return {};
    return [browse](QWidget *pane, const QString &address) {
        browse(pane, address, [](QWidget *failedPane, const QString &page) {
            ShowIllustrationMessage(failedPane, QStringLiteral("Страница недоступна: %1").arg(page));
        });
    };
}

void BrowseIllustration(QWidget *pane, const QString &address)
{
    // The module is loaded for the first page, not for the first picture.
    ShowIllustration(pane, address, [](QWidget *to, const QString &page) {
        static const IllustrationBrowser browser = LoadIllustrationBrowser();
        if (browser)
            browser(to, page);
        else // the engine is not installed: the game goes on without the page
            ShowIllustrationMessage(to, QStringLiteral("Страница недоступна: %1").arg(page));
    });
}
