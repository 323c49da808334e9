// The yardstick of the start-up benchmark: the least a Qt Widgets program does to show a main
// window, a QMainWindow holding one label, shown full screen as the game is. Built twice: as
// it is, and with the browser engine linked in but never used (STARTUP_PROBE_WEBENGINE), which
// tells what merely loading the engine's libraries costs.

#include "startupprobe.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QScreen>

#ifdef STARTUP_PROBE_WEBENGINE
#include <QWebEngineView>
#endif

int main(int argc, char **argv)
{
    const double atMain = startup::msSinceLaunch();
    QApplication app(argc, argv);

    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Таллори!"), &window));
#ifdef STARTUP_PROBE_WEBENGINE
    // Never true: it only makes the program need the engine's libraries, as the game does.
    if (argc > 1000)
        new QWebEngineView(&window);
#endif
    startup::FirstPaint watch(&window, {});
    // As large as the game's window, which takes the screen's size as it is built: without a
    // window manager (a bare Xvfb) a full-screen request alone leaves the window at its
    // default size, and the yardstick would paint and hold a fraction of the game's pixels.
    window.resize(window.screen()->size());
    window.showFullScreen();

    startup::sayMs("main", atMain);
    startup::sayMs("shown", startup::msSinceLaunch());
    return QApplication::exec();
}
