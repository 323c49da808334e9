// A class on the room's network: 40, then 200 scripted students playing whole games against one
// tallory-class on this machine, each as the page does it (join, act with the step, the heartbeat
// every 5 s), answers and lifelines drawn at random, a student's think time between clicks. The
// figures: an answer's round trip to its verdict as the client measures it (the page's designed
// pauses are the page's and not in the protocol), the errors (any answer but 200), the server's
// memory per student joined (VmRSS before the joins and with everyone in) and its CPU over the
// run. Then 40 students once more with the school's PostgreSQL server named in the folder.
// The room of 200 has 30 lab machines as well: the game's own window in class mode, a process
// each (classwindows.h), playing alongside the browsers, their answers timed apart.
//
// The client is kept light so that what it measures is the server (see classstudents.h). The
// class joins at once, as when the teacher says "begin".

#include "benchcommon.h"
#include "classprogram.h"
#include "classstudents.h"
#include "classwindows.h"
#include "pgcluster.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSqlQuery>
#include <QTimer>

#include <memory>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using benchclass::Figures;
using benchclass::Student;

constexpr double kAnswerP99TargetMs = 50;
constexpr double kMemoryPerStudentTargetKb = 1024;
constexpr int kPlaySeconds = 30;
constexpr int kWindows = 30;

// --- the server process seen from /proc -------------------------------------------------------

double cpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the command's name, which may hold blanks, in brackets.
    const QByteArray all = f.readAll();
    const QList<QByteArray> fields = all.mid(all.lastIndexOf(')') + 2).split(' ');
    // utime and stime are fields 14 and 15 of the line, 12 and 13 after the name.
    return static_cast<double>(fields.value(11).toLongLong() + fields.value(12).toLongLong())
           / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

/// This process's processor time, user and system: the client's own share of the machine.
double ownCpuSeconds()
{
    rusage use{};
    ::getrusage(RUSAGE_SELF, &use);
    return static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec)
           + static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

/// Runs the event loop until done() or the limit, looking every 100 ms (the loop sleeps
/// between: a spinning client would take the server's processor on a small machine).
bool waitFor(const std::function<bool()> &done, int limitMs)
{
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (done() || t.elapsed() > limitMs)
            loop.quit();
    });
    look.start(100);
    if (!done())
        loop.exec();
    return done();
}

/// What one synced write of a small file costs on the folder's disk now: every answer's row is
/// on the disk before its verdict goes out, so the answer's time stands on this.
void printDisk(const QString &folder)
{
    std::vector<double> ms;
    for (int i = 0; i < 30; ++i)
        ms.push_back(bench::elapsedMs([&] { bench::syncSmallFile(folder + QStringLiteral("/sync-probe")); }));
    QFile::remove(folder + QStringLiteral("/sync-probe"));
    QFile load(QStringLiteral("/proc/loadavg"));
    const QByteArray loadavg = load.open(QIODevice::ReadOnly) ? load.readAll().split(' ').value(0) : QByteArray("?");
    std::printf("  the disk: a small file's fdatasync %.2f ms median, %.2f ms p99; load average %s on %ld cores\n",
                percentile(ms, 0.5), percentile(ms, 0.99), loadavg.constData(), ::sysconf(_SC_NPROCESSORS_ONLN));
}

bool room(const QString &title, const QString &folder, int n, QTemporaryDir *windowsHome = nullptr)
{
    classtest::ClassProgram program;
    const QString problem = program.start(QStringLiteral(TALLORY_CLASS_PROGRAM), folder);
    bench::require(problem.isEmpty(), "tallory-class did not start:", problem);
    const qint64 pid = program.pid();
    Figures f;
    std::vector<std::unique_ptr<Student>> students;
    for (int i = 0; i < n; ++i)
        students.push_back(std::make_unique<Student>(i + 1, program.address(), f));
    // The lab machines start before the class joins, and play once it has.
    std::unique_ptr<benchclass::Windows> windows;
    if (windowsHome) {
        windows = std::make_unique<benchclass::Windows>(kWindows, program.address(), *windowsHome);
        QElapsedTimer starting;
        starting.start();
        windows->start();
        waitFor([&] { return windows->ready(); }, 120000);
        std::printf("%d desktop windows started in %.1f s\n", kWindows, static_cast<double>(starting.elapsed()) / 1000.0);
    }

    const long rssBefore = bench::rssKb(pid);
    const double cpuBefore = cpuSeconds(pid);
    const double clientCpuBefore = ownCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    int joined = 0;
    for (auto &s : students)
        s->join([&joined] { ++joined; });
    bench::require(waitFor([&] { return joined + f.errors.size() >= n; }, 120000), "the students did not all join");
    const long rssJoined = bench::rssKb(pid);

    const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + kPlaySeconds * 1000;
    for (auto &s : students)
        s->play(deadline);
    if (windows)
        windows->go(deadline);
    bench::require(waitFor([&] {
                       return std::all_of(students.begin(), students.end(), [](const auto &s) { return s->idle(); });
                   }, (kPlaySeconds + 120) * 1000),
                   "the students did not finish their games");
    if (windows) {
        // A window's last game may outlast the browsers' a little; one that hangs is ended and counted.
        waitFor([&] { return windows->done(); }, 60000);
        windows->stopAll();
    }
    const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;
    const double cpu = cpuSeconds(pid) - cpuBefore;
    const double clientCpu = ownCpuSeconds() - clientCpuBefore;
    const QString stopped = program.stop();

    std::printf("%s: %d students, %d s of play after the joins (%.0f s in all)\n", qPrintable(title), n, kPlaySeconds,
                seconds);
    printDisk(folder);
    std::printf("  games %ld (finished %ld), requests %ld, answers %zu, lifelines %ld\n", f.games, f.finished,
                f.requests, f.answerMs.size(), f.lifelines);
    std::printf("  %-46s %9.2f ms\n", "answer to verdict, median", percentile(f.answerMs, 0.5));
    std::printf("  %-46s %9.2f ms\n", "any request, p99", percentile(f.requestMs, 0.99));
    std::printf("  %-46s %9.2f ms (p99 %.2f ms)\n", "a heartbeat (writes nothing), median", percentile(f.heartbeatMs, 0.5),
                percentile(f.heartbeatMs, 0.99));
    bool met = bench::printLimit("answer to verdict, p99", percentile(f.answerMs, 0.99), kAnswerP99TargetMs);
    const double perStudentKb = static_cast<double>(rssJoined - rssBefore) / n;
    std::printf("  server's memory: %.1f MB before the joins, %.1f MB with all joined\n", rssBefore / 1024.0,
                rssJoined / 1024.0);
    const bool memoryMet = perStudentKb <= kMemoryPerStudentTargetKb;
    std::printf("  %-46s %9.1f KB  target <= %.0f%s\n", "server's memory per student", perStudentKb,
                kMemoryPerStudentTargetKb, memoryMet ? "" : "   OVER TARGET");
    std::printf("  server's CPU: %.2f s over %.0f s = %.1f %% of one core\n", cpu, seconds, 100.0 * cpu / seconds);
    int reopened = 0;
    for (const auto &s : students)
        reopened += s->reopened();
    std::printf("  client's CPU (this bench, %d keep-alive sockets on one thread): %.2f s = %.1f %% of one core;"
                " connections the server closed and the client opened again: %d\n",
                n, clientCpu, 100.0 * clientCpu / seconds, reopened);
    std::printf("  (the times are the client's: they include its own scheduling on this machine, %ld cores shared"
                " by client and server)\n", ::sysconf(_SC_NPROCESSORS_ONLN));
    const bool errorsMet = f.errors.isEmpty() && stopped.isEmpty() && !f.answerMs.empty();
    std::printf("  %-46s %9lld     target 0%s\n", "errors", static_cast<long long>(f.errors.size() + !stopped.isEmpty()),
                errorsMet ? "" : "   OVER TARGET");
    for (const QString &e : f.errors.mid(0, 5))
        std::printf("    %s\n", qPrintable(e));
    if (!stopped.isEmpty())
        std::printf("    stopping the server: %s\n", qPrintable(stopped));
    const bool windowsMet = !windows || windows->print(kAnswerP99TargetMs);
    return met && memoryMet && errorsMet && windowsMet;
}

int run(QTemporaryDir &tmp)
{
    const auto folder = [&](const QString &name) {
        const QString path = tmp.filePath(name);
        const QString copied = classtest::copyProgramFolder(QStringLiteral(TALLORY_BIN_DIR), path);
        bench::require(copied.isEmpty(), "no program folder:", copied);
        return path;
    };
    // "40", "200" or "school" on the command line runs that room alone.
    const QStringList args = QCoreApplication::arguments().mid(1);
    const auto wanted = [&](const char *which) { return args.isEmpty() || args.contains(QLatin1String(which)); };
    bool met = true;
    if (wanted("40"))
        met = room(QStringLiteral("A class"), folder(QStringLiteral("room40")), 40) && met;
    if (wanted("200"))
        met = room(QStringLiteral("A large class"), folder(QStringLiteral("room200")), 200, &tmp) && met;
    if (!wanted("school"))
        return met ? 0 : 1;

    pgtest::Cluster &cluster = pgtest::cluster();
    cluster.SetUp();
    bench::require(cluster.unavailable().isEmpty(), "no PostgreSQL:", cluster.unavailable());
    // A school's server writes its commits to the disk: the test cluster's shortcut is undone.
    const QString durable = cluster.adminSql(QStringLiteral("postgres"),
                                             {QStringLiteral("ALTER SYSTEM SET fsync = on"),
                                              QStringLiteral("ALTER SYSTEM SET full_page_writes = on"),
                                              QStringLiteral("SELECT pg_reload_conf()")});
    try {
        bench::require(durable.isEmpty(), "cannot turn fsync on:", durable);
        const QString made = pgtest::createDatabase(QStringLiteral("school"));
        bench::require(made.isEmpty() && pgtest::createSchema(QStringLiteral("school")).isEmpty(), "no database:", made);
        const QString schoolRoom = folder(QStringLiteral("school40"));
        const QString named = classtest::nameSchoolServer(schoolRoom, QStringLiteral("school_game"));
        bench::require(named.isEmpty(), "no server in the settings:", named);
        met = room(QStringLiteral("A class with the school's server"), schoolRoom, 40) && met;
        ServerProblem problem;
        const auto owner = ServerConnection::open(QStringLiteral("school_owner"), {}, &problem);
        bench::require(owner != nullptr, "no owner's connection:", problem.message);
        QSqlQuery q(owner->database());
        bench::require(q.exec(QStringLiteral("SELECT (SELECT count(*) FROM tallory.games), "
                                             "(SELECT count(*) FROM tallory.answers)")) && q.next(),
                       "cannot count the server's rows");
        std::printf("  on the school's server after the stop: %d games, %d answers\n", q.value(0).toInt(),
                    q.value(1).toInt());
    } catch (const bench::Failure &) {
        cluster.TearDown();
        throw;
    }
    cluster.TearDown();
    std::printf("The windows are offscreen: the bench needs no display, and runs the same with or without Xvfb.\n");
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runInTemporaryFolder(argc, argv, [](QTemporaryDir &tmp) { return run(tmp); });
}
