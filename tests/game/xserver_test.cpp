// The game window on a real X server with the real browser: keys pressed with xdotool, as a
// student presses them, after a page was shown in the illustration pane.

#include "gamefixture.h"
#include "illustrationpane.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QProcess>
#include <QTimer>

#include <functional>

namespace {

constexpr int kPageMs = 30000; // the browser engine's first start, on a busy machine
constexpr int kKeyMs = 5000;

// Lets the window system and the browser engine work until done() holds or time runs out.
bool waitFor(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// Presses keys through the X server, into the window that has the X input focus.
void press(const QString &keys)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}), 0) << keys.toStdString();
}

QWidget *browserView(QWidget *pane)
{
    for (QWidget *w : pane->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w->inherits("QWebEngineView"))
            return w;
    }
    return nullptr;
}

IllustrationBrowser realBrowser()
{
    static const IllustrationBrowser browser = LoadIllustrationBrowser(QStringLiteral(TALLORY_BIN_DIR "/tallory_browser"));
    return browser;
}

} // namespace

class OnXServer : public GameFixture
{
protected:
    /// The game window, full screen and active, with the real browser in its pane.
    TForm1 &startActive()
    {
        FormServices with = services(pacer);
        with.browse = [](QWidget *pane, const QString &address) { ShowIllustration(pane, address, realBrowser()); };
        form = std::make_unique<TForm1>(with);
        form->showFullScreen();
        form->activateWindow();
        EXPECT_TRUE(waitFor([&] { return form->isActiveWindow(); }, kKeyMs));
        return *form;
    }

    /// A bank whose first question shows a page beside the program; the others show nothing.
    void bankWithAPage()
    {
        testutil::writeBytes(folder + QStringLiteral("page.html"),
                             "<html><head><title>map</title></head>"
                             "<body style='background:#c00'><input autofocus></body></html>");
        QByteArray bank;
        for (int level = 1; level <= kLevels; ++level) {
            const QString line = QStringLiteral("Вопрос %1|Верно %1|Нет %1 a|Нет %1 b|Нет %1 c|%2")
                                     .arg(level)
                                     .arg(level == 1 ? QStringLiteral("page.html") : QString());
            bank += "[" + QByteArray::number(level) + "]\r\n" + ScrambleText(*cp1251::encode(line)) + "\r\n";
        }
        testutil::writeBytes(folder + QStringLiteral("lesson.faq"), bank);
    }
};

// The browser takes the keyboard focus as its page loads; the menu's keys must still reach the
// window, on that question, on the next ones and on the idle screen.
TEST_F(OnXServer, TheWindowsKeysWorkAfterAPageWasShown)
{
    ASSERT_TRUE(realBrowser());
    bankWithAPage();
    TForm1 &f = startActive();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Клавишин"));
    ASSERT_TRUE(waitFor([&] { QWidget *v = browserView(f.WebBrowser1); return v && v->property("title") == "map"; },
                        kPageMs));
    // The engine hands its page the focus a moment after the load.
    waitFor([] { return false; }, 1000);

    press(QStringLiteral("F5"));
    EXPECT_TRUE(waitFor([&] { return !f.N50501->isEnabled(); }, kKeyMs)) << "F5 on the page's question";
    press(QStringLiteral("F3"));
    EXPECT_TRUE(waitFor([&] { return f.Panel2->isVisible(); }, kKeyMs)) << "F3 on the page's question";

    answerRight();
    ASSERT_EQ(f.Game.CurrentLevel, 2);
    press(QStringLiteral("F6"));
    EXPECT_TRUE(waitFor([&] { return f.Game.CurrentLevel == 0; }, kKeyMs)) << "F6 on the next question";
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Клавишин")), QStringLiteral("КЛАВИШИН|1|Неудовлетворительно"));

    press(QStringLiteral("alt+x"));
    EXPECT_TRUE(waitFor([&] { return terminated == 1; }, kKeyMs)) << "Alt+X on the idle screen";
}

// A page that cannot be loaded is said in one Russian line, not with the engine's English page
// and its buttons.
TEST_F(OnXServer, APageThatCannotBeLoadedIsSaidInRussian)
{
    ASSERT_TRUE(realBrowser());
    QWidget pane;
    pane.resize(600, 240);
    pane.show();
    // Nothing listens on the discard port of this machine: the connection is refused at once.
    // The engine writes the address with a final "/".
    const QString address = QStringLiteral("http://127.0.0.1:9");
    ShowIllustration(&pane, address, realBrowser());
    QLabel *message = nullptr;
    EXPECT_TRUE(waitFor(
        [&] {
            message = pane.findChild<QLabel *>(QStringLiteral("IllustrationMessage"));
            return message && message->isVisible();
        },
        kPageMs));
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), QStringLiteral("Страница недоступна: ") + address);
    EXPECT_FALSE(browserView(&pane)->isVisible());
}
