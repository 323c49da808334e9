// The workbench's window while its tab «Анализ» reads a lesson out of a million answers: the
// longest stall of the window's event loop (target: at most 100 ms), from the school's server (a
// throw-away cluster of the server tests', filled with 1 000 000 answers in 5 lessons) and from
// 30 machines' journals holding 1 000 000 answers together, offscreen and on an X server
// (DISPLAY, or an Xvfb this benchmark starts). While the tab reads, a timer ticks every 5 ms and
// asks a widget of the window for a repaint, and a key is typed into a field of the window every
// 20 ms: the longest gap between two ticks or two repaints, and the longest wait of a key for its
// field, are what the teacher would feel as the window freezing. The five longest gaps of each
// source are printed with what the window's thread did in them (StallWatch).
//
// Usage: bench_workbench [DIR]                    (the driver: fills, then runs both probes; the
//                                                  journals kept in DIR for the next run)
//        bench_workbench probe FOLDER SERVICE     (one platform: the journals in FOLDER, the
//                                                  server SERVICE)

#include "analysisview.h"
#include "benchanalysis.h"
#include "benchcommon.h"
#include "pgcluster.h"
#include "probeenv.h"
#include "serverfill.h"
#include "stallwatch.h"
#include "xvfb.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace {

constexpr int kAnswers = 1000000;
constexpr int kRuns = 3;
constexpr int kTickMs = 5;
constexpr int kKeyEveryTicks = 4;
constexpr double kStallTargetMs = 100;

// Paints and remembers when it last did, and the longest gap between two paints.
class Heartbeat final : public QWidget
{
public:
    explicit Heartbeat(const QElapsedTimer &clock) : m_clock(clock) { setMinimumSize(40, 20); }
    void reset()
    {
        m_last = -1;
        longest = 0;
        paints = 0;
    }
    double longest = 0;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        const qint64 now = m_clock.nsecsElapsed();
        if (m_last >= 0)
            longest = std::max(longest, static_cast<double>(now - m_last) / 1e6);
        m_last = now;
        ++paints;
    }

private:
    const QElapsedTimer &m_clock;
    qint64 m_last = -1;
};

// A field that times each key from the moment it was typed (posted) to its arrival.
class KeyField final : public QLineEdit
{
public:
    explicit KeyField(const QElapsedTimer &clock) : m_clock(clock) {}
    void type()
    {
        m_typed.push_back(m_clock.nsecsElapsed());
        QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")));
    }
    void reset()
    {
        m_typed.clear();
        longest = 0;
        clear();
    }
    double longest = 0;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (!m_typed.empty()) {
            longest = std::max(longest, static_cast<double>(m_clock.nsecsElapsed() - m_typed.front()) / 1e6);
            m_typed.erase(m_typed.begin());
        }
        QLineEdit::keyPressEvent(e);
    }

private:
    const QElapsedTimer &m_clock;
    std::vector<qint64> m_typed;
};

struct Stalls {
    std::vector<double> readMs; ///< from the request to the figures shown
    std::vector<double> tickMs; ///< the longest gap between two ticks, per run
    std::vector<double> paintMs;
    std::vector<double> keyMs;
    double worst() const
    {
        double w = 0;
        for (const auto *v : {&tickMs, &paintMs, &keyMs})
            for (double ms : *v)
                w = std::max(w, ms);
        return w;
    }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The window: the analysis tab, with the heartbeat and the field below it.
struct Window {
    explicit Window(const QElapsedTimer &clock) : beat(clock), field(clock)
    {
        view = new AnalysisView(&top);
        auto *layout = new QVBoxLayout(&top);
        layout->addWidget(view, 1);
        layout->addWidget(&beat);
        layout->addWidget(&field);
        top.resize(1024, 768);
        top.show();
        field.setFocus();
    }
    ~Window()
    {
        // The heartbeat and the field are members, not children to be deleted twice.
        beat.setParent(nullptr);
        field.setParent(nullptr);
    }
    QWidget top;
    AnalysisView *view = nullptr;
    Heartbeat beat;
    KeyField field;
};

bench::StallWatch watch;

// Starts a reading and keeps the window busy until its figures are shown.
void measure(Window &w, const QElapsedTimer &clock, const std::function<void()> &start, Stalls &stalls,
             const char *label)
{
    QCoreApplication::processEvents();
    w.beat.reset();
    w.field.reset();
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(kTickMs);
    qint64 last = clock.nsecsElapsed();
    double longest = 0;
    int ticks = 0;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, static_cast<double>(now - last) / 1e6);
        last = now;
        watch.tick();
        w.beat.update();
        if (++ticks % kKeyEveryTicks == 0)
            w.field.type();
        if (!w.view->busy())
            loop.quit();
    });
    const qint64 began = clock.nsecsElapsed();
    watch.begin(label);
    tick.start();
    start();
    loop.exec();
    tick.stop();
    stalls.readMs.push_back(static_cast<double>(clock.nsecsElapsed() - began) / 1e6);
    stalls.tickMs.push_back(longest);
    stalls.paintMs.push_back(w.beat.longest);
    stalls.keyMs.push_back(w.field.longest);
    bench::require(w.beat.paints > 0 || stalls.readMs.back() < 50, "the window was never repainted");
}

void printStalls(const char *label, const Stalls &s)
{
    std::printf("  %-40s read %7.0f ms; longest gap: ticks %6.1f, repaints %6.1f, a key %6.1f ms (medians of %zu; "
                "worst %.1f)\n",
                label, median(s.readMs), median(s.tickMs), median(s.paintMs), median(s.keyMs), s.readMs.size(),
                s.worst());
}

// Opening the tab on a source, then a change of lesson, each kRuns times on a new tab.
bool source(const char *name, const QElapsedTimer &clock, const std::function<void(AnalysisView &)> &open)
{
    Stalls opening;
    Stalls change;
    watch.clearLongest();
    for (int run = 0; run < kRuns; ++run) {
        Window w(clock);
        // On X the window is painted once the server has mapped it: the readings start after that.
        QElapsedTimer mapped;
        mapped.start();
        while (w.beat.paints == 0 && mapped.elapsed() < 10000) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        w.view->openSources({});
        Stalls empty;
        measure(w, clock, [] {}, empty, "the empty tab"); // the empty reading the tab starts with
        measure(w, clock, [&] { open(*w.view); }, opening, "opening");
        auto *lessons = w.view->findChild<QComboBox *>(QStringLiteral("analysisLesson"));
        bench::require(lessons->count() == 5 && w.view->analysis().answers > 100000, "the lessons were not read");
        measure(w, clock, [&] { lessons->setCurrentIndex(1); }, change, "a change of lesson");
        bench::require(w.view->analysis().lesson == lessons->itemText(1), "the lesson did not change");
    }
    std::printf("%s: the lesson holds about %d answers\n", name, kAnswers / 5);
    printStalls("opening: lessons, the first lesson", opening);
    printStalls("a change of lesson", change);
    watch.print();
    return std::max(opening.worst(), change.worst()) <= kStallTargetMs;
}

int probe(int argc, char **argv)
{
    bench::WatchedApplication app(argc, argv, watch);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString service = QString::fromLocal8Bit(argv[3]);
    QElapsedTimer clock;
    clock.start();
    try {
        bool met = source("from the server", clock, [&](AnalysisView &v) { v.followServer(service); });
        met = source("from the journals", clock, [&](AnalysisView &v) { v.openSources({folder}); }) && met;
        return met ? 0 : 1;
    } catch (const bench::Failure &) {
        return 2;
    }
}

bool runProbe(const char *where, const QProcessEnvironment &env, const QString &folder, const QString &service)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("probe"), folder, service});
    p.waitForFinished(1800000);
    const QByteArray out = p.readAllStandardOutput();
    std::printf("%s:\n%s", where, out.constData());
    const bool met = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() > 1)
        std::printf("  the probe failed\n");
    std::printf("  %-46s %s\n", "longest stall of the window", met ? "within 100 ms" : "OVER TARGET (100 ms)");
    return met;
}

int driver(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    pgtest::Cluster &cluster = pgtest::cluster();
    cluster.SetUp();
    int status = 2;
    try {
        bench::require(cluster.unavailable().isEmpty(), "no PostgreSQL:", cluster.unavailable());
        bench::require(pgtest::createDatabase(QStringLiteral("school")).isEmpty()
                           && pgtest::createSchema(QStringLiteral("school")).isEmpty(),
                       "no database");
        QElapsedTimer made;
        made.start();
        const int filled = bench::FillServerAnswers(QStringLiteral("school"), kAnswers);
        const QString folder = (argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.filePath(QStringLiteral("lab")))
                               + QLatin1Char('/');
        const QStringList journals = FillAnalysisLab(folder);
        std::printf("The analysis tab reading a lesson: %d answers on the server, %lld journals with %d answers "
                    "(made in %.0f s); %d runs each\n",
                    filled, static_cast<long long>(journals.size()), kAnswers, static_cast<double>(made.elapsed()) / 1000,
                    kRuns);
        const QProcessEnvironment env = bench::probeEnvironment(tmp);
        const QString service = QStringLiteral("school_teacher");
        bool met = runProbe("offscreen", bench::offscreenEnvironment(tmp, env), folder, service);
        bench::XServer x;
        if (x.display().isEmpty()) {
            std::printf("no X server: Xvfb could not be started\n");
        } else {
            x.describe();
            met = runProbe("X server", x.environment(env), folder, service) && met;
        }
        status = met ? 0 : 1;
    } catch (const bench::Failure &) {
        status = 2;
    }
    cluster.TearDown();
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 4 && qstrcmp(argv[1], "probe") == 0)
        return probe(argc, argv);
    return driver(argc, argv);
}
