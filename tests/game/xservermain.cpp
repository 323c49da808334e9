// The main of the tests that need a real X server: keyboard focus and keys as the window system
// delivers them, pressed with xdotool as a student's keyboard presses them. They always run on
// an Xvfb of their own, started here, so that no key ever lands on a desktop the tests happen
// to be started from.

#include "xvfb.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char **argv)
{
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strncmp(argv[i], "--gtest_list_tests", 18) == 0;
    std::unique_ptr<bench::XServer> server;
    if (listing) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        qunsetenv("DISPLAY");
        server = std::make_unique<bench::XServer>();
        if (server->display().isEmpty()) {
            std::fprintf(stderr, "no X server: Xvfb could not be started\n");
            return 1;
        }
        qputenv("DISPLAY", server->display().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
        // Run as root, the game itself must start the browser as it can run there.
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    }
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
