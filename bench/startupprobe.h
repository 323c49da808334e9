#pragma once
// What both start-up probes share: the moment the driver launched the process, the watch for
// the first paint of the main window, and the figures read from /proc once the window has
// idled. Each line goes to standard output at once, as "key value", for the driver to read.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QMap>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>

#include <time.h>
#include <unistd.h>

namespace startup {

/// How long the window idles after its first paint before the peak memory is read.
inline constexpr int kIdleMs = 300;

/// Nanoseconds on the monotonic clock, the clock the driver stamps the launch with.
inline qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

/// Milliseconds of processor time this process has used, all its threads together. On a busy
/// machine the wall clock also counts the waits for a processor; this figure does not.
inline double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

/// Milliseconds since the driver launched this process, from TALLORY_LAUNCH_NS; -1 without it.
inline double msSinceLaunch()
{
    bool ok = false;
    const qint64 launch = qEnvironmentVariable("TALLORY_LAUNCH_NS").toLongLong(&ok);
    return ok ? double(monotonicNs() - launch) / 1e6 : -1.0;
}

/// Prints one "key value" line and flushes it: the driver times the lines as they arrive.
inline void say(const char *key, const QByteArray &value)
{
    std::printf("%s %s\n", key, value.constData());
    std::fflush(stdout);
}

inline void sayMs(const char *key, double ms)
{
    say(key, QByteArray::number(ms, 'f', 2));
}

/// A figure of /proc/self/status such as "VmHWM", in kB; -1 when it is missing.
inline qint64 statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

/// Threads named by the browser engine: it starts a dozen of them ("Chrome_IOThread",
/// "ThreadPoolForeg"...) the moment its first profile or view is made, and none before.
inline int engineThreads()
{
    int count = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(tid + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly))
            continue;
        const QByteArray name = comm.readAll().trimmed();
        if (name.startsWith("Chrome_") || name.startsWith("ThreadPool") || name.startsWith("BrowserMain"))
            ++count;
    }
    return count;
}

/// Processes whose parent is this one: the browser engine's helpers would be among them.
inline int childProcesses()
{
    int count = 0;
    const QByteArray self = QByteArray::number(qint64(::getpid()));
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(proc.filePath(pid + QStringLiteral("/stat")));
        if (pid.front().isDigit() && stat.open(QIODevice::ReadOnly)) {
            // pid (name) state ppid ...: the name may hold blanks, so count from its ')'.
            const QByteArray line = stat.readAll();
            const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
            count += rest.value(1) == self ? 1 : 0;
        }
    }
    return count;
}

/// The shared libraries mapped into this process, and whether one of them matches part.
inline int mappedLibraries(const QByteArray &part, bool *matched)
{
    QFile f(QStringLiteral("/proc/self/maps"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    QList<QByteArray> paths;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const qsizetype slash = line.indexOf('/');
        const QByteArray path = slash < 0 ? QByteArray() : line.mid(slash);
        if (path.contains(".so") && !paths.contains(path))
            paths.append(path);
    }
    *matched = false;
    for (const QByteArray &path : paths)
        *matched = *matched || path.contains(part);
    return int(paths.size());
}

/// Resident kB of every mapping with a file, and of the heap and the anonymous rest
/// ("[heap]", "[anon]"), from /proc/self/smaps: where the memory of a probe lies.
inline QMap<QByteArray, qint64> residentByMapping()
{
    QMap<QByteArray, qint64> kb;
    QFile f(QStringLiteral("/proc/self/smaps"));
    if (!f.open(QIODevice::ReadOnly))
        return kb;
    QByteArray current;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 5 && fields[0].contains('-'))
            current = fields.size() > 5 ? fields[5] : QByteArray("[anon]");
        else if (line.startsWith("Rss:") && fields.size() >= 2)
            kb[current] += fields[1].toLongLong();
    }
    return kb;
}

/// Watches the main window for its first paint. Once that paint pass is over it says
/// "painted", lets the event loop idle, says what report adds and the memory figures, and
/// ends the event loop.
class FirstPaint final : public QObject
{
public:
    FirstPaint(QWidget *window, std::function<void()> report)
        : m_window(window), m_report(std::move(report))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && watched == m_window && event->type() == QEvent::Paint) {
            m_seen = true;
            // Posted now, run once the whole repaint, children and flush included, is done.
            QTimer::singleShot(0, this, [this] { painted(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void painted()
    {
        sayMs("painted", msSinceLaunch());
        sayMs("cpu", cpuMs());
        say("window", QByteArray::number(m_window->width()) + 'x' + QByteArray::number(m_window->height()));
        QTimer::singleShot(kIdleMs, this, [this] { idled(); });
    }

    void idled()
    {
        if (m_report)
            m_report();
        bool webEngine = false;
        const int libraries = mappedLibraries("libQt6WebEngineCore", &webEngine);
        say("libraries", QByteArray::number(libraries));
        say("webengine-mapped", webEngine ? "yes" : "no");
        say("engine-threads", QByteArray::number(engineThreads()));
        say("child-processes", QByteArray::number(childProcesses()));
        const QMap<QByteArray, qint64> resident = residentByMapping();
        for (auto it = resident.begin(); it != resident.end(); ++it)
            say("rss:" + it.key(), QByteArray::number(it.value()));
        say("VmRSS", QByteArray::number(statusKb("VmRSS")));
        say("VmHWM", QByteArray::number(statusKb("VmHWM")));
        QCoreApplication::exit(0);
    }

    QWidget *m_window = nullptr;
    std::function<void()> m_report;
    bool m_seen = false;
};

} // namespace startup
