// How long the game takes from launch to its first painted main window, and how much memory it
// has held at its peak once it idles, against a minimal Qt Widgets window of this project.
//
// Every probe is a program of its own, launched here the same way, in turns, so that a slow
// spell of the machine falls on all of them alike; one untimed round first fills the disk
// cache. The time runs from the launch to the probe's "painted" line; the memory is the
// probe's VmHWM after 300 ms of idling. A third probe, the minimal window with the browser
// engine linked in but unused, tells what loading the engine's libraries alone costs.
// Everything a probe writes lands in a temporary folder (probeenv.h).
//
// The rounds run twice: on Qt's offscreen platform, and on a real X server (DISPLAY, or an
// Xvfb started here), where the windowing system and any GL driver the program asks for add
// their costs. The targets are met on both or the run says "OVER TARGET".

#include "probeenv.h"
#include "startupprobe.h"
#include "xvfb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace {

constexpr int kRuns = 9;
constexpr int kTimeoutMs = 60000;

/// Where the probes show their windows, and the ratios to the minimal window they must meet.
struct Platform {
    const char *name;
    QProcessEnvironment env;
    double startupTarget;
    double memoryTarget;
};

/// What one launch of a probe said, and when "painted" arrived here.
struct Run {
    double paintedMs = -1;
    QMap<QByteArray, QByteArray> said;
    double figure(const char *key) const { return said.value(key).toDouble(); }
};

struct Probe {
    const char *label;
    QString program;
    bool game = false;
    std::vector<Run> runs;
};

struct Stats {
    double median = 0, lowest = 0, highest = 0;
};

Stats stats(std::vector<double> v)
{
    if (v.empty())
        return {};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

Stats stats(const Probe &p, const std::function<double(const Run &)> &of)
{
    std::vector<double> v;
    for (const Run &r : p.runs)
        v.push_back(of(r));
    return stats(std::move(v));
}

double paintedMs(const Run &r) { return r.paintedMs; }
double cpuMs(const Run &r) { return r.figure("cpu"); }
double peakMb(const Run &r) { return r.figure("VmHWM") / 1024.0; }

// A fresh copy of the built program folder for every launch: the window tidies its folder as
// it starts, and each launch should find what a player's first start finds.
bool copyProgramFolder(const QString &to)
{
    const QDir from(QStringLiteral(TALLORY_BIN_DIR));
    QDir(to).removeRecursively();
    if (!QDir().mkpath(to + QStringLiteral("/wav")))
        return false;
    bool ok = true;
    for (const QString &name : {QStringLiteral("tallory.ini"), QStringLiteral("demo.faq")})
        ok = ok && QFile::copy(from.filePath(name), to + QLatin1Char('/') + name);
    const QDir wav(from.filePath(QStringLiteral("wav")));
    const QStringList clips = wav.entryList(QDir::Files);
    for (const QString &clip : clips)
        ok = ok && QFile::copy(wav.filePath(clip), to + QStringLiteral("/wav/") + clip);
    return ok && !clips.isEmpty();
}

QStringList argumentsFor(const Probe &probe, const QTemporaryDir &tmp)
{
    return probe.game ? QStringList{tmp.filePath(QStringLiteral("program"))} : QStringList{};
}

/// Launches the probe once and reads its lines as they come; nothing when it failed.
std::optional<Run> launch(const Probe &probe, QProcessEnvironment env, const QTemporaryDir &tmp)
{
    QProcess p;
    // Whatever a probe might leave in its working folder lands in the temporary one too.
    p.setWorkingDirectory(tmp.path());
    p.setProgram(probe.program);
    p.setArguments(argumentsFor(probe, tmp));
    Run run;
    const qint64 start = startup::monotonicNs();
    env.insert(QStringLiteral("TALLORY_LAUNCH_NS"), QString::number(start));
    p.setProcessEnvironment(env);
    p.start();
    for (;;) {
        while (p.canReadLine()) {
            const QByteArray line = p.readLine().trimmed();
            const qsizetype blank = line.indexOf(' ');
            const QByteArray key = line.left(blank);
            if (key == "painted" && run.paintedMs < 0)
                run.paintedMs = double(startup::monotonicNs() - start) / 1e6;
            run.said.insert(key, blank < 0 ? QByteArray() : line.mid(blank + 1));
        }
        if (p.state() == QProcess::NotRunning)
            break;
        if (double(startup::monotonicNs() - start) / 1e6 > kTimeoutMs)
            p.kill();
        p.waitForReadyRead(1000);
    }
    p.waitForFinished();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || run.paintedMs < 0 || !run.said.contains("VmHWM")) {
        std::fprintf(stderr, "bench_startup: %s failed (exit %d)\n%s\n", probe.label, p.exitCode(),
                     p.readAllStandardError().constData());
        return std::nullopt;
    }
    return run;
}

bool launchAndKeep(Probe &probe, const QTemporaryDir &tmp, const QProcessEnvironment &env, bool keep)
{
    if (probe.game && !copyProgramFolder(tmp.filePath(QStringLiteral("program")))) {
        std::fprintf(stderr, "bench_startup: cannot copy the program folder %s\n", TALLORY_BIN_DIR);
        return false;
    }
    const std::optional<Run> run = launch(probe, env, tmp);
    if (run && keep)
        probe.runs.push_back(*run);
    return run.has_value();
}

void printProbe(const Probe &p)
{
    const Stats ms = stats(p, paintedMs);
    const Stats mb = stats(p, peakMb);
    const Stats cpu = stats(p, cpuMs);
    const Stats atMain = stats(p, [](const Run &r) { return r.figure("main"); });
    const Stats shown = stats(p, [](const Run &r) { return r.figure("shown"); });
    const Stats rss = stats(p, [](const Run &r) { return r.figure("VmRSS") / 1024.0; });
    std::printf("%s\n", p.label);
    std::printf("  start-up to first paint  %8.1f ms   (min %.1f, max %.1f)\n", ms.median, ms.lowest, ms.highest);
    std::printf("  processor time till then %8.1f ms   (min %.1f, max %.1f)\n", cpu.median, cpu.lowest, cpu.highest);
    std::printf("  peak memory (VmHWM)      %8.1f MB   (min %.1f, max %.1f)\n", mb.median, mb.lowest, mb.highest);
    std::printf("    of which: main() reached at %.1f ms, window built and shown at %.1f ms\n", atMain.median,
                shown.median);
    std::printf("    at idle: VmRSS %.1f MB, %s shared libraries mapped, libQt6WebEngineCore mapped: %s\n",
                rss.median, p.runs.back().said.value("libraries").constData(),
                p.runs.back().said.value("webengine-mapped").constData());
}

/// Resident kB by mapping ("rss:PATH" lines) of one launch.
QMap<QByteArray, double> residentByMapping(const Run &run)
{
    QMap<QByteArray, double> kb;
    for (auto it = run.said.begin(); it != run.said.end(); ++it) {
        if (it.key().startsWith("rss:"))
            kb[it.key().mid(4)] = it.value().toDouble();
    }
    return kb;
}

/// Where the game holds more than the minimal window, mapping by mapping, in the last launch
/// of each: the largest differences first.
void printMemoryByMapping(const Probe &game, const Probe &minimal)
{
    QMap<QByteArray, double> difference = residentByMapping(game.runs.back());
    const QMap<QByteArray, double> baseline = residentByMapping(minimal.runs.back());
    for (auto it = baseline.begin(); it != baseline.end(); ++it)
        difference[it.key()] -= it.value();
    std::vector<std::pair<double, QByteArray>> more;
    for (auto it = difference.begin(); it != difference.end(); ++it)
        more.emplace_back(it.value(), it.key());
    std::sort(more.begin(), more.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    std::printf("  where the game holds more than the minimal window (resident, last launch of each):\n");
    for (size_t i = 0; i < std::min<size_t>(12, more.size()); ++i)
        std::printf("    %+7.0f kB  %s\n", more[i].first, more[i].second.constData());
}

/// Prints probe / baseline of one figure, against the target when it has one (above 0); true
/// when met.
bool printRatio(const char *what, double probe, double baseline, double target = 0)
{
    const double ratio = baseline > 0 ? probe / baseline : 0.0;
    const bool met = ratio <= target;
    if (target <= 0) {
        std::printf("  ratio %-40s %6.2f   (no target: tells where the cost lies)\n", what, ratio);
        return true;
    }
    std::printf("  ratio %-40s %6.2f   target <= %.1f%s\n", what, ratio, target, met ? "" : "   OVER TARGET");
    return met;
}

/// The browser pane must not exist after start-up, nor the engine have started.
bool printBrowserCheck(const Probe &game)
{
    bool absent = true;
    for (const Run &r : game.runs) {
        absent = absent && r.said.value("webviews") == "0" && r.said.value("engine-threads") == "0"
            && r.said.value("child-processes") == "0";
    }
    const Run &last = game.runs.back();
    std::printf("browser pane after start-up: %s QWebEngineView, %s engine threads, %s child processes%s\n",
                last.said.value("webviews").constData(), last.said.value("engine-threads").constData(),
                last.said.value("child-processes").constData(),
                absent ? "   (not created: good)" : "   CREATED AT START-UP");
    return absent;
}

// One more launch with the dynamic loader's statistics: how many relocations it makes before
// main(). Its own timings are left out: they leave out most of what the wall clock shows, and
// "main() reached at" above tells that time as the program sees it.
void printLoaderStatistics(const Probe &probe, const QTemporaryDir &tmp, QProcessEnvironment env)
{
    if (probe.game)
        copyProgramFolder(tmp.filePath(QStringLiteral("program")));
    env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("statistics"));
    env.insert(QStringLiteral("TALLORY_LAUNCH_NS"), QString::number(startup::monotonicNs()));
    QProcess p;
    p.setWorkingDirectory(tmp.path());
    p.setProcessEnvironment(env);
    p.start(probe.program, argumentsFor(probe, tmp));
    p.waitForFinished(kTimeoutMs);
    // The first block of figures is the program's own start; later ones come at its exit.
    QByteArray symbols, relative;
    for (const QByteArray &raw : p.readAllStandardError().split('\n')) {
        const QByteArray line = raw.mid(raw.indexOf(':') + 1).trimmed();
        const QByteArray value = line.mid(line.indexOf(':') + 1).trimmed();
        if (line.startsWith("number of relocations:") && symbols.isEmpty())
            symbols = value;
        if (line.startsWith("number of relative relocations:") && relative.isEmpty())
            relative = value;
    }
    std::printf("  %-50s %7s against symbols, %7s relative\n", probe.label, symbols.constData(),
                relative.constData());
}

// Prints the figures; true when both targets are met and the browser pane was not made.
bool report(const Platform &platform, const Probe &game, const Probe &minimal, const Probe &linked, int runs)
{
    std::printf("%s: launch to first painted main window, then %d ms idle, 1024 x 768 screen;\n"
                "median of %d launches each, in turns, after one untimed round\n\n",
                platform.name, startup::kIdleMs, runs);
    for (const Probe *p : {&game, &minimal, &linked})
        printProbe(*p);
    printMemoryByMapping(game, minimal);
    std::printf("\n");
    const double ms = stats(minimal, paintedMs).median;
    const double mb = stats(minimal, peakMb).median;
    const bool fast = printRatio("start-up, game / minimal", stats(game, paintedMs).median, ms, platform.startupTarget);
    const bool small = printRatio("peak memory, game / minimal", stats(game, peakMb).median, mb, platform.memoryTarget);
    printRatio("processor time, game / minimal", stats(game, cpuMs).median, stats(minimal, cpuMs).median);
    printRatio("start-up, engine linked / minimal", stats(linked, paintedMs).median, ms);
    printRatio("peak memory, engine linked / minimal", stats(linked, peakMb).median, mb);
    std::printf("\n");
    return printBrowserCheck(game) && fast && small;
}

struct Probes {
    Probe game, minimal, linked;
};

Probes probes()
{
    const QString dir = QCoreApplication::applicationDirPath();
    return {{"game window (TForm1, real services)", dir + QStringLiteral("/startup_probe_game"), true, {}},
            {"minimal window (QMainWindow + QLabel)", dir + QStringLiteral("/startup_probe_minimal"), false, {}},
            {"minimal window, browser engine linked but unused",
             dir + QStringLiteral("/startup_probe_minimal_webengine"), false, {}}};
}

/// The rounds on one platform: 0 when the targets are met, 1 when not, 2 when a probe failed.
int measure(const Platform &platform, const QTemporaryDir &tmp, int runs)
{
    Probes all = probes();
    for (int round = -1; round < runs; ++round) {
        for (Probe *p : {&all.game, &all.minimal, &all.linked}) {
            if (!launchAndKeep(*p, tmp, platform.env, round >= 0))
                return 2;
        }
    }
    return report(platform, all.game, all.minimal, all.linked, runs) ? 0 : 1;
}

int run(const QTemporaryDir &tmp, int runs)
{
    const QProcessEnvironment env = bench::probeEnvironment(tmp);
    const QProcessEnvironment offscreen = bench::offscreenEnvironment(tmp, env);
    const int quiet = measure({"QT_QPA_PLATFORM=offscreen", offscreen, 1.2, 1.3}, tmp, runs);
    if (quiet == 2)
        return 2;

    std::printf("--------\n\n");
    const bench::XServer x;
    if (x.display().isEmpty()) {
        std::fprintf(stderr, "bench_startup: no X server: DISPLAY is not set and Xvfb did not start\n");
        return 2;
    }
    x.describe();
    const int real = measure({"QT_QPA_PLATFORM=xcb", x.environment(env), 1.2, 1.3}, tmp, runs);
    if (real == 2)
        return 2;

    std::printf("\nrelocations made by the dynamic loader before main(), one launch each (LD_DEBUG=statistics):\n");
    const Probes all = probes();
    for (const Probe *p : {&all.game, &all.minimal, &all.linked})
        printLoaderStatistics(*p, tmp, offscreen);
    return quiet == 0 && real == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::driverMain(argc, argv, kRuns, run);
}
