// The game window on a real X server with the real browser: keys pressed with xdotool, as a
// student presses them, after a page was shown in the illustration pane.

#include "gamefixture.h"
#include "illustrationpane.h"
#include "windowbanners.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QWindow>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include <unistd.h>

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

/// The colour on the screen itself at a point of the screen, whatever window is there.
QColor onScreen(QPoint at)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage().pixelColor(0, 0);
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

// Played as root, the browser engine would end the whole program rather than start without its
// sandbox, on the first page of a game: the page shows, and the game goes on.
TEST_F(OnXServer, APageShowsWhenTheGameIsPlayedAsRoot)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "the engine refuses its sandbox to root alone";
    // The engine reads it once, as it starts; ctest runs each test in a process of its own.
    if (qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        GTEST_SKIP() << "an earlier test of this process has started the browser engine";
    ASSERT_TRUE(realBrowser());
    bankWithAPage();
    TForm1 &f = startActive();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Корнев"));
    EXPECT_TRUE(waitFor([&] { QWidget *v = browserView(f.WebBrowser1); return v && v->property("title") == "map"; },
                        kPageMs));
    answerRight();
    EXPECT_EQ(f.Game.CurrentLevel, 2);
}

namespace {

/// Input boxes that come up on the screen over the game, in a colour of their own, and close
/// as a real box does before the game goes on.
class BoxDialogs : public FakeDialogs
{
public:
    using FakeDialogs::FakeDialogs;
    static inline const QColor kBox{0xFF, 0x00, 0xFF};
    QPoint centre() const { return QGuiApplication::primaryScreen()->geometry().center(); }
    bool inputText(const QString &caption, const QString &prompt, QString &value) override
    {
        QWidget box(nullptr, Qt::Dialog);
        QPalette colours = box.palette();
        colours.setColor(QPalette::Window, kBox);
        box.setPalette(colours);
        box.setAutoFillBackground(true);
        box.setGeometry(QRect(centre() - QPoint(160, 60), QSize(320, 120)));
        box.show();
        waitFor([&] { return onScreen(centre()) == kBox; }, kKeyMs);
        box.hide();
        return FakeDialogs::inputText(caption, prompt, value);
    }
};

/// Clips played to their end take their time on the pacer, as the program's do.
class ClipsTakeTime : public SoundBackend
{
public:
    ClipsTakeTime(FakeSound &heard, Pacer &pacer) : m_heard(heard), m_pacer(pacer) {}
    bool play(const QString &path, bool toEnd) override
    {
        const bool played = m_heard.play(path, toEnd);
        if (played && toEnd)
            m_pacer.wait(1500);
        return played;
    }

private:
    FakeSound &m_heard;
    Pacer &m_pacer;
};

} // namespace

// The gong holds the game as soon as the name's box has closed: the box must be gone from the
// screen by then, not stay painted over the game until the gong ends.
TEST_F(OnXServer, TheNameBoxIsGoneWhileTheGongPlays)
{
    BoxDialogs boxes{timeline};
    ClipsTakeTime timed{sound, watching};
    FormServices with = services(watching);
    with.dialogs = &boxes;
    with.sound = &timed;
    form = std::make_unique<TForm1>(with);
    form->showFullScreen();
    ASSERT_TRUE(waitFor([&] { return form->windowHandle()->isExposed(); }, kKeyMs));
    waitFor([] { return false; }, 200); // the first paint reaches the screen
    QColor duringGong;
    watching.during = [&](int) {
        if (timeline.events.size() >= 2 && timeline.events[timeline.events.size() - 2] == QStringLiteral("clip gong to end"))
            duringGong = onScreen(boxes.centre());
    };
    boxes.answer(QStringLiteral("ТЕСТ"));
    boxes.answer(QStringLiteral("Гонгов"));
    form->N2->trigger();
    watching.during = nullptr;
    ASSERT_EQ(form->Game.CurrentLevel, 1);
    ASSERT_TRUE(duringGong.isValid()) << "no gong was heard";
    EXPECT_NE(duringGong, BoxDialogs::kBox);
}

// The host's banners come up over the full-screen game window, with no window manager and under
// a real one (openbox keeps a full-screen window that has the keyboard above ordinary windows).
class BannersOnXServer : public OnXServer, public ::testing::WithParamInterface<bool>
{
protected:
    void SetUp() override
    {
        OnXServer::SetUp();
        if (!GetParam())
            return;
        // openbox runs its start-up command once it manages the screen.
        const QString ready = managerDir.filePath(QStringLiteral("ready"));
        manager.setProgram(QStringLiteral("openbox"));
        manager.setArguments({QStringLiteral("--startup"), QStringLiteral("touch ") + ready});
        manager.start();
        ASSERT_TRUE(manager.waitForStarted(kKeyMs)) << "openbox is not installed (scripts/setup installs it)";
        ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(ready); }, kPageMs)) << "openbox did not start";
    }
    void TearDown() override
    {
        OnXServer::TearDown();
        if (manager.state() == QProcess::NotRunning)
            return;
        manager.terminate();
        manager.waitForFinished(kKeyMs);
    }

    QTemporaryDir managerDir;
    QProcess manager;
    WindowBanners realBanners;
};

TEST_P(BannersOnXServer, TheHostsBannerIsSeenOverTheGameWindow)
{
    // Silent clips: the host's remark stays up for the pause that stands in for its jingle.
    for (const QString &clip : kClips)
        sound.markUnplayable(clip);
    FormServices with = services(watching);
    with.banners = &realBanners;
    form = std::make_unique<TForm1>(with);
    TForm1 &f = *form;
    f.showFullScreen();
    f.activateWindow();
    ASSERT_TRUE(waitFor([&] { return f.isActiveWindow() && f.windowHandle()->isExposed(); }, kKeyMs));
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Баннеров"));
    int bannersSeen = 0;
    QColor seen;
    watching.during = [&](int) {
        QWidget *banner = realBanners.currentBanner();
        if (!banner)
            return;
        // Inside the banner, clear of its text and icon: its own background, if it is on top.
        const QPoint corner = banner->mapToGlobal(QPoint(banner->width() - 4, banner->height() - 4));
        const QColor background = banner->palette().color(QPalette::Window);
        if (waitFor([&] { return (seen = onScreen(corner)) == background; }, kKeyMs))
            ++bannersSeen;
    };
    answerRight();
    watching.during = nullptr;
    EXPECT_EQ(f.Game.CurrentLevel, 2);
    EXPECT_GT(bannersSeen, 0) << "the screen shows " << seen.name().toStdString() << " where the banner is";
}

INSTANTIATE_TEST_SUITE_P(WindowManager, BannersOnXServer, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "UnderOpenbox" : "WithoutOne");
                         });
