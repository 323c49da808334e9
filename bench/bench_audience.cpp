// The audience's poll: from the F3 key to the chart painted in its panel, the first time in a
// run (when the chart module and its library are loaded and the chart is made) and again in a
// later game of the same run. Each run is a fresh process on a fresh copy of the program
// folder, offscreen and then on an X server (DISPLAY, or an Xvfb this benchmark starts).
//
// Usage: bench_audience            (the driver: prints the figures)
//        bench_audience probe DIR  (one run on the program folder DIR; prints "first=… second=…")

#include "benchcommon.h"
#include "scripteddialogs.h"
#include "probeenv.h"
#include "xvfb.h"

#include "audiencepane.h"
#include "dialogs.h"
#include "programservices.h"
#include "tform1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <deque>

namespace {

constexpr int kProbeRuns = 7;
constexpr double kTargetExtraMs = 100.0;

// Notes a paint of the audience panel or of anything inside it.
class PanelPaints final : public QObject
{
public:
    explicit PanelPaints(QWidget *panel) : m_panel(panel) { qApp->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto *w = static_cast<QWidget *>(watched);
            if (w != m_panel && m_panel->isAncestorOf(w))
                painted = true;
        }
        return false;
    }

private:
    QWidget *m_panel;
};

double pollOnce(TForm1 &form, ScriptedDialogs &dialogs, int player)
{
    dialogs.answers = {QStringLiteral("ДЕМО"), QStringLiteral("Замеров %1").arg(player)};
    form.N2->trigger();
    QCoreApplication::processEvents();
    PanelPaints paints(form.Panel2);
    QElapsedTimer t;
    t.start();
    QTest::keyClick(&form, Qt::Key_F3);
    while (!paints.painted && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

int probe(int argc, char **argv)
{
    QApplication app(argc, argv);
    PrepareApplication(QStringLiteral("probe"));
    SetAudienceChartModule(QStringLiteral(TALLORY_BIN_DIR "/tallory_chart"));
    const QString folder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + QLatin1Char('/');
    ProgramServices program(folder, QSize(1024, 768), QStringLiteral(TALLORY_BIN_DIR "/tallory_sound"));
    ScriptedDialogs dialogs;
    FormServices services = program.services();
    services.dialogs = &dialogs;
    TForm1 form(services);
    form.showFullScreen();
    QApplication::setActiveWindow(&form);
    if (!QTest::qWaitForWindowExposed(&form))
        std::fprintf(stderr, "the window was never shown\n");
    const double first = pollOnce(form, dialogs, 1);
    const double second = pollOnce(form, dialogs, 2);
    std::printf("first=%.3f second=%.3f\n", first, second);
    return 0;
}

bool measure(const char *where, const QProcessEnvironment &env, QTemporaryDir &tmp)
{
    bench::Measure first{"first F3 of the run (chart made)", {}, {}, {}};
    bench::Measure second{"F3 in a later game", {}, {}, {}};
    for (int run = 0; run < kProbeRuns; ++run) {
        const QString folder = tmp.filePath(QStringLiteral("run%1").arg(run));
        QDir().mkpath(folder);
        for (const QString &name : QDir(QStringLiteral(TALLORY_BIN_DIR)).entryList(QDir::Files)) {
            if (!name.endsWith(QStringLiteral(".so")))
                QFile::copy(QStringLiteral(TALLORY_BIN_DIR "/") + name, folder + QLatin1Char('/') + name);
        }
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("probe"), folder});
        p.waitForFinished(60000);
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
        const QStringList parts = out.split(QLatin1Char(' '));
        if (parts.size() != 2 || !parts[0].startsWith(QStringLiteral("first="))) {
            std::printf("%s: the probe failed: %s %s\n", where, qPrintable(out), p.readAllStandardError().constData());
            return false;
        }
        first.ms.push_back(parts[0].mid(6).toDouble());
        second.ms.push_back(parts[1].mid(7).toDouble());
    }
    std::printf("%s:\n", where);
    bench::printMeasure(first);
    bench::printMeasure(second);
    return bench::printLimit("first minus later", first.median() - second.median(), kTargetExtraMs);
}

int driver(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    const QProcessEnvironment env = bench::probeEnvironment(tmp);
    // Sound off: the clips of a new game would otherwise be played to their end.
    QFile store(tmp.filePath(QStringLiteral("config/Quarnel.ini")));
    if (store.open(QIODevice::WriteOnly))
        store.write("[OTallory]\r\n\xC7\xE2\xF3\xEA \xE2\xEA\xEB.=0\r\n");
    store.close();
    std::printf("Ask the audience: F3 to the chart painted, median of %d runs\n", kProbeRuns);
    bool met = measure("offscreen", bench::offscreenEnvironment(tmp, env), tmp);
    bench::XServer x;
    if (x.display().isEmpty()) {
        std::printf("no X server: Xvfb could not be started\n");
        return met ? 0 : 1;
    }
    x.describe();
    met = measure("X server", x.environment(env), tmp) && met;
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "probe") == 0)
        return probe(argc, argv);
    return driver(argc, argv);
}
