#pragma once
// The environment the benchmark drivers launch their probes in: everything a probe writes
// lands in a temporary folder (HOME and XDG_* point there), and the browser engine may start
// as root.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>

namespace bench {

/// The system environment with HOME, XDG_* and the engine's sandbox switch set for tmp.
inline QProcessEnvironment probeEnvironment(const QTemporaryDir &tmp)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), tmp.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), tmp.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), tmp.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), tmp.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), tmp.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    env.remove(QStringLiteral("LD_DEBUG"));
    for (const char *dir : {"home", "config", "data", "cache", "runtime"})
        QDir(tmp.path()).mkpath(QString::fromLatin1(dir));
    // Qt refuses a runtime folder that others may enter.
    QFile::setPermissions(tmp.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return env;
}

/// env on Qt's offscreen platform with one 1024 x 768 screen, the size the game is laid out
/// for; no X server is reached even where DISPLAY is set.
inline QProcessEnvironment offscreenEnvironment(const QTemporaryDir &tmp, QProcessEnvironment env)
{
    const QString path = tmp.filePath(QStringLiteral("screen.json"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1024, "height": 768,)"
                R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + path);
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

/// The whole main() of a probe driver: the number of rounds from the first argument (or
/// defaultRuns), a temporary folder for everything the probes write, then run(folder, rounds).
template <typename Run>
int driverMain(int argc, char **argv, int defaultRuns, Run run)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : defaultRuns;
    QTemporaryDir tmp;
    if (!tmp.isValid())
        return 2;
    return run(tmp, runs);
}

} // namespace bench
