#include "windowbanners.h"

#include "readablecolour.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

// A window without caption buttons: the banner stays up until the game takes it down.
class BannerWidget final : public QWidget
{
public:
    BannerWidget(QWidget *owner, const QString &caption, const QString &text, const QColor &background,
                 const QColor &textColour)
        : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowDoesNotAcceptFocus)
        , m_text(text)
        , m_geometry(bannerGeometry(bannerFont(), text))
    {
        // The player cannot act on a banner: it never takes the keyboard from the game window,
        // which would otherwise be left without it when the banner goes.
        setAttribute(Qt::WA_ShowWithoutActivating);
        setWindowTitle(caption);
        setObjectName(QLatin1String(kBannerObjectName));
        setAccessibleName(SpokenBannerText(text));
        setFont(bannerFont());
        QPalette colours = palette();
        // White on red and on light blue read at 4.0 and 3.3 to 1: such a background is painted
        // a shade deeper, just enough for the host's words to read.
        colours.setColor(QPalette::Window, ReadableBackground(background, textColour));
        colours.setColor(QPalette::WindowText, textColour);
        setPalette(colours);
        setAutoFillBackground(true);
        setFixedSize(m_geometry.width, m_geometry.height);
        const QIcon icon = QApplication::windowIcon();
        if (!icon.isNull())
            m_icon = icon.pixmap(32, 32);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        const QFontMetrics metrics(font());
        painter.drawText(m_geometry.textX, m_geometry.textY + metrics.ascent(), m_text);
        if (!m_icon.isNull())
            painter.drawPixmap(10, 10, m_icon);
    }

private:
    QString m_text;
    BannerGeometry m_geometry;
    QPixmap m_icon;
};

} // namespace

QString SpokenBannerText(const QString &text)
{
    // Three single letters in a row, each after one blank, are a spelt-out word.
    const QStringList tokens = text.split(QLatin1Char(' '));
    QStringList spoken;
    for (qsizetype i = 0; i < tokens.size();) {
        qsizetype end = i;
        while (end < tokens.size() && tokens[end].size() == 1 && tokens[end][0].isLetter())
            ++end;
        if (end - i >= 3) {
            spoken << tokens.mid(i, end - i).join(QString());
            i = end;
        } else {
            spoken << tokens[i];
            ++i;
        }
    }
    return spoken.join(QLatin1Char(' '));
}

namespace {

// Before the window is shown its frame is unknown, so the client is centred; once shown the
// whole frame is centred again (a move of a pixel or two, made before the banner is painted).
void centreOnScreen(QWidget *window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->isVisible() ? window->frameGeometry() : QRect(QPoint(), window->size());
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

// The window the banner speaks over: the active one, else the program's window on screen
// (under a window manager the keyboard may be elsewhere for a moment).
QWidget *bannerOwner(QWidget *active)
{
    if (active)
        return active;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isFullScreen())
            return w;
    }
    return nullptr;
}

} // namespace

BannerGeometry bannerGeometry(int textWidth, int textHeight)
{
    BannerGeometry g;
    g.height = 5 * textHeight;
    g.width = std::max(128, textWidth + textWidth / 2) + 40;
    g.textX = (g.width - textWidth) / 2 + 5;
    g.textY = textHeight;
    return g;
}

BannerGeometry bannerGeometry(const QFont &font, const QString &text)
{
    const QFontMetrics metrics(font);
    return bannerGeometry(metrics.horizontalAdvance(text), metrics.height());
}

namespace {
double bannerScale = 1.0;
} // namespace

void SetBannerFontScale(double scale)
{
    bannerScale = scale;
}

QFont bannerFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(11 * bannerScale);
    return font;
}

WindowBanners::~WindowBanners()
{
    closeBanner();
}

void WindowBanners::showBanner(const QString &caption, const QString &text,
                               const QColor &background, const QColor &textColour)
{
    closeBanner();
    m_returnTo = QApplication::activeWindow();
    // A window manager keeps a full-screen window that has the keyboard above every ordinary
    // window, and puts a window that takes no focus under the one that has it: a banner of its
    // own would open out of sight behind the game. As the game window's own dialog it is
    // stacked above that window, in its layer; without a window manager nothing changes.
    m_banner = new BannerWidget(bannerOwner(m_returnTo), caption, text, background, textColour);
    centreOnScreen(m_banner);
    m_banner->show();
    // The game's next step holds the thread; let the window reach the screen and paint it now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (m_banner)
        centreOnScreen(m_banner);
    if (m_banner && m_banner->windowHandle() && m_banner->windowHandle()->isExposed())
        m_banner->repaint();
}

void WindowBanners::closeBanner()
{
    if (!m_banner)
        return;
    delete m_banner.data();
    m_banner.clear();
    // The window that had the keyboard keeps it, also where no window manager hands it back.
    if (m_returnTo && m_returnTo->isVisible())
        ActivateAgain(m_returnTo);
    m_returnTo.clear();
}

void ActivateAgain(QWidget *window)
{
    if (window->windowHandle())
        window->windowHandle()->requestActivate();
    // Without a window manager nobody answers the request, and the keys that reach the window
    // under the pointer would find no active window for the menu's shortcuts.
    QApplication::setActiveWindow(window);
}
