// The journal's cost to the answer click: the time the click spends in the journal as the
// answer is clicked (target: p99 <= 5 ms), beside the same handler with the journal off, in one
// run; and how soon after its click each answer is on the disk (target: within the host's pauses
// of 550 ms that come before the next question in every game, p99). The journal is the game's:
// written and synced on a thread of its own, waited for before the next question shows. Here
// the host's pauses and clips take no time, so that wait shows in the handler, and is printed
// apart. Games are played on three windows in turn, with the journal off, synced in full, and
// synced the normal way, so that a slow spell of the machine falls on all three alike.
// Offscreen, then on an X server (DISPLAY, or an Xvfb this benchmark starts). Printed as well:
// what one fdatasync costs on this disk now, what raising and dropping the records' group costs,
// the first game start on a journal that already holds many answers (opened and checked), and the
// five slowest clicks with what the journal did to the disk in each (seen through a spy on
// SQLite's files: writes and syncs of the log and of the file, the syncs' time, and which of them
// the window's thread did itself), and the processor time of the window's thread, which tells a
// click that waited for the disk from one that waited for the processor. Then the teacher's side:
// the analysis of 30 journals holding a million answers (benchanalysis.cpp).
//
// Usage: bench_journal             (the driver: prints the figures)
//        bench_journal analysis [DIR]  (the analysis alone; its journals kept in DIR)
//        bench_journal clicks      (the answer click alone)
//        bench_journal probe DIR   (one run on the folder DIR)

#include "benchanalysis.h"
#include "benchcommon.h"
#include "clickrecorder.h"
#include "filljournal.h"
#include "scripteddialogs.h"
#include "probeenv.h"
#include "xvfb.h"

#include "journal/sqlitespy.h"

#include "banners.h"
#include "dialogs.h"
#include "faq.h"
#include "gamejournal.h"
#include "gradbtn.h"
#include "journalfiles.h"
#include "journalthread.h"
#include "pacer.h"
#include "randomsource.h"
#include "soundbackend.h"
#include "tform1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>
#include <ctime>
#include <deque>

#include <unistd.h>

namespace {

constexpr int kGames = 60;
constexpr double kTargetP99Ms = 5.0;
// The pacer's two pauses between an answer's click and its verdict (question.cpp's judge): the
// least that comes before the next question, clips aside.
constexpr double kHostPausesMs = 550.0;
constexpr int kBigJournalAnswers = 100000;


// One answer click of the journal synced in full, and what the journal did in it.
struct Click {
    int game = 0;
    int level = 0;
    double journalMs = 0; ///< in the journal as the answer was clicked
    double waitMs = 0;    ///< waiting for the writer before the next question (or the end)
    double onDiskMs = -1; ///< the answer on the disk within this of its click; -1: no answer (a tease)
    double cpuMs = 0;     ///< the window's thread's processor time in the click
    sqlitespy::Tally disk{};
};

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Mode {
    const char *label;
    std::unique_ptr<JournalThread> journal;
    std::unique_ptr<TimedRecorder> timed;
    std::unique_ptr<TForm1> form;
    std::vector<double> handlerMs;
    std::vector<double> journalMs;
    std::vector<double> waitMs;
    std::vector<double> onDiskMs;
    std::vector<double> startJournalMs; ///< the journal's part of a new game's start, its wait included
    std::vector<Click> clicks;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

void writeProgramFolder(const QString &folder)
{
    bench::Words words(7);
    QByteArray bank;
    for (int level = 1; level <= kLevels; ++level) {
        bank += "[" + QByteArray::number(level) + "]\r\n";
        for (int i = 0; i < 25; ++i) {
            QByteArray line = words.phrase(8, true) + "?|";
            for (int a = 0; a < 4; ++a)
                line += words.phrase(2, false) + "|";
            bank += ScrambleText(line) + "\r\n";
        }
    }
    QFile b(folder + QStringLiteral("bench.faq"));
    bench::require(b.open(QIODevice::WriteOnly) && b.write(bank) == bank.size(), "cannot write the bank");
    QFile ini(folder + QStringLiteral("tallory.ini"));
    bench::require(ini.open(QIODevice::WriteOnly) && ini.write("[BENCH]\r\n\xC2\xEE\xEF\xF0\xEE\xF1\xED\xE8\xEA=bench.faq\r\n") > 0,
                   "cannot write the settings");
}

// One game: right answers up to a level drawn at random, then a wrong one (or the win).
void playGame(Mode &m, ScriptedDialogs &dialogs, int player, QRandomGenerator &chance, sqlitespy::Spy &spy, int number)
{
    // The results file files a record under the sum of the name's letter codes: every player's
    // name has a sum of its own.
    dialogs.answers = {QStringLiteral("BENCH"), QStringLiteral("Игрок ") + QString(player, QChar(u'Я'))};
    if (m.timed)
        m.timed->ns = m.timed->waitNs = 0;
    m.form->N2->trigger();
    m.startJournalMs.push_back(m.timed ? static_cast<double>(m.timed->ns + m.timed->waitNs) / 1e6 : 0.0);
    bench::require(m.form->Game.CurrentLevel == 1, "the game did not start");
    const int lastRight = chance.bounded(2, kLevels + 1);
    while (m.form->Game.CurrentLevel >= 1) {
        const int level = m.form->Game.CurrentLevel;
        const int right = m.form->Game.CorrectButton;
        const int button = level <= lastRight ? right : right % 4 + 1;
        if (m.timed)
            m.timed->ns = m.timed->waitNs = 0, m.timed->onDiskNs = -1;
        spy.take();
        const double cpu = threadCpuMs();
        QElapsedTimer t;
        t.start();
        m.form->FaqBtn[static_cast<size_t>(button)]->Click();
        m.handlerMs.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        const auto ms = [](qint64 ns) { return static_cast<double>(ns) / 1e6; };
        m.journalMs.push_back(m.timed ? ms(m.timed->ns) : 0.0);
        m.waitMs.push_back(m.timed ? ms(m.timed->waitNs) : 0.0);
        const double onDisk = m.timed && m.timed->onDiskNs >= 0 ? ms(m.timed->onDiskNs) : -1;
        if (onDisk >= 0)
            m.onDiskMs.push_back(onDisk);
        m.clicks.push_back({number, level, m.journalMs.back(), m.waitMs.back(), onDisk, threadCpuMs() - cpu, spy.take()});
    }
}

// A journal of many answers made at once, then the time its first game start takes: the file
// is opened, checked page by page and a game row written.
double bigJournalStart(const QString &folder)
{
    const QString machine = QStringLiteral("big");
    {
        QSqlDatabase db = bench::openJournalToFill(folder, machine);
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO answers VALUES (?, ?, 3, 'aa', '2026-01-01T00:00:00.000Z', ?, "
                                 "'один', 'два', 'три', 'четыре', 'A', 'B', 2, 5000, NULL, NULL, NULL, NULL, NULL, "
                                 "NULL, NULL)"));
        bench::Words words(3);
        for (int i = 0; i < kBigJournalAnswers; ++i) {
            q.addBindValue(QStringLiteral("g%1").arg(i / 15));
            q.addBindValue(i % 15 + 1);
            q.addBindValue(cp1251::decode(words.phrase(8, true)));
            bench::require(q.exec(), "cannot fill the journal");
        }
        q.finish();
        bench::require(db.commit(), "cannot fill the journal");
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    GameJournal journal(folder, machine);
    QElapsedTimer t;
    t.start();
    journal.gameStarted({"BENCH", "FIRST", folder + QStringLiteral("bench.faq")});
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

void printRow(const char *label, const std::vector<double> &ms)
{
    std::printf("  %-44s p50 %7.3f  p99 %7.3f  max %7.3f ms  (%zu clicks)\n", label, percentile(ms, 0.5),
                percentile(ms, 0.99), percentile(ms, 1.0), ms.size());
}

// What the journal did to the disk in a click, in a few words.
QString describe(const sqlitespy::Tally &t)
{
    const auto part = [](const char *name, const sqlitespy::Counts &c) {
        if (c.writes == 0 && c.syncs == 0 && c.truncates == 0)
            return QString();
        QString text = QStringLiteral("%1 %2 writes (%3 KB), %4 syncs (%5 ms)")
                           .arg(QLatin1String(name)).arg(c.writes).arg(static_cast<double>(c.bytes) / 1024, 0, 'f', 1)
                           .arg(c.syncs).arg(static_cast<double>(c.syncNs) / 1e6, 0, 'f', 2);
        return c.truncates ? text + QStringLiteral(", %1 truncated").arg(c.truncates) : text;
    };
    QStringList parts;
    for (const QString &p : {part("log:", t[sqlitespy::Log]), part("file (a checkpoint):", t[sqlitespy::File]),
                             part("other:", t[sqlitespy::Other])}) {
        if (!p.isEmpty())
            parts << p;
    }
    if (parts.isEmpty())
        return QStringLiteral("nothing written");
    const sqlitespy::Counts &own = t[sqlitespy::OnMakersThread];
    return parts.join(QStringLiteral("; "))
           + (own.writes || own.syncs ? QStringLiteral("; of which on the window's thread %1 writes, %2 syncs")
                                            .arg(own.writes).arg(own.syncs)
                                      : QStringLiteral("; all on the writer's thread"));
}

void printSlowest(const std::vector<Click> &clicks, const char *what, double Click::*by)
{
    std::vector<Click> slowest = clicks;
    std::sort(slowest.begin(), slowest.end(), [by](const Click &a, const Click &b) { return a.*by > b.*by; });
    slowest.resize(std::min<size_t>(slowest.size(), 5));
    std::printf("  the five %s (FULL): game, level, in the journal at the click, the wait before the next question, "
                "the answer on the disk within, the window thread's processor time in the click, and what the "
                "journal did to the disk in the click\n", what);
    for (const Click &c : slowest)
        std::printf("    game %2d level %2d: %7.3f ms, wait %7.3f ms, on disk %7.3f ms, processor %6.3f ms; %s\n",
                    c.game, c.level, c.journalMs, c.waitMs, c.onDiskMs, c.cpuMs, qPrintable(describe(c.disk)));
}

// A raise of the records' group and its drop, as RecordGroupScope does them (to the same ids
// here: the benchmark is not setgid), with the threads this process has.
double groupRaiseAndDropUs()
{
    gid_t real = 0, effective = 0, saved = 0;
    getresgid(&real, &effective, &saved);
    constexpr int kPairs = 2000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kPairs; ++i) {
        if (setresgid(real, effective, saved) != 0 || setresgid(real, effective, saved) != 0)
            return -1;
    }
    return static_cast<double>(t.nsecsElapsed()) / 1e3 / kPairs;
}

// Prints the figures; true when the target is met.
bool report(const Mode (&modes)[3], const QString &folder, bool big)
{
    bench::syncSmallFile(folder + QStringLiteral("sync-probe"));
    QElapsedTimer sync;
    sync.start();
    bench::syncSmallFile(folder + QStringLiteral("sync-probe"));
    const double syncMs = static_cast<double>(sync.nsecsElapsed()) / 1e6;

    printRow("answer click, journal off", modes[0].handlerMs);
    printRow("answer click, journal on (synchronous=FULL)", modes[1].handlerMs);
    printRow("answer click, journal on (synchronous=NORMAL)", modes[2].handlerMs);
    printRow("  of which the journal at the click (FULL)", modes[1].journalMs);
    printRow("  of which the journal at the click (NORMAL)", modes[2].journalMs);
    printRow("  of which the wait before the next (FULL)", modes[1].waitMs);
    printRow("  of which the wait before the next (NORMAL)", modes[2].waitMs);
    printRow("answer on the disk within (FULL)", modes[1].onDiskMs);
    std::printf("  a new game's start, of which the journal (FULL): p50 %.3f  p99 %.3f ms (opened or log copied, game "
                "row, waited for before the first question)\n",
                percentile(modes[1].startJournalMs, 0.5), percentile(modes[1].startJournalMs, 0.99));
    const double p99 = percentile(modes[1].journalMs, 0.99);
    const double onDiskP99 = percentile(modes[1].onDiskMs, 0.99);
    const bool met = p99 <= kTargetP99Ms && onDiskP99 <= kHostPausesMs;
    std::printf("  journal p99 in the click (FULL) %24.3f ms   target <= %.0f%s\n", p99, kTargetP99Ms,
                p99 <= kTargetP99Ms ? "" : "   OVER TARGET");
    std::printf("  answer on the disk within, p99 (FULL) %18.3f ms   target <= %.0f (the host's pauses)%s\n", onDiskP99,
                kHostPausesMs, onDiskP99 <= kHostPausesMs ? "" : "   OVER TARGET");
    std::printf("  p99 of the click, on minus off %25.3f ms (the wait included: no pauses here)\n",
                percentile(modes[1].handlerMs, 0.99) - percentile(modes[0].handlerMs, 0.99));
    sqlitespy::Counts own{};
    for (const Click &c : modes[1].clicks) {
        own.writes += c.disk[sqlitespy::OnMakersThread].writes;
        own.syncs += c.disk[sqlitespy::OnMakersThread].syncs;
    }
    std::printf("  the journal's writes and syncs on the window's thread in %zu clicks (FULL): %d writes, %d syncs\n",
                modes[1].clicks.size(), own.writes, own.syncs);
    std::printf("  one fdatasync of a small file here %21.3f ms\n", syncMs);
    std::printf("  the records' group raised and dropped (two setresgid) %2.1f us; none in an answer\n",
                groupRaiseAndDropUs());
    printSlowest(modes[1].clicks, "slowest clicks", &Click::journalMs);
    printSlowest(modes[1].clicks, "answers slowest to the disk", &Click::onDiskMs);
    if (big)
        std::printf("  first game start on a journal of %d answers %11.1f ms\n", kBigJournalAnswers,
                    bigJournalStart(folder));
    return met;
}

int probe(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString folder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + QLatin1Char('/');
    writeProgramFolder(folder);
    InstantPacer pacer;
    SilentSound sound;
    NoBanners banners;
    ScriptedDialogs dialogs;
    SeededRandom random(99);
    // Made before the journals open, so that their connections go through it.
    sqlitespy::Spy spy;
    Mode modes[3] = {{"off", {}, {}, {}, {}, {}, {}, {}, {}, {}}, {"full", {}, {}, {}, {}, {}, {}, {}, {}, {}},
                     {"normal", {}, {}, {}, {}, {}, {}, {}, {}, {}}};
    modes[1].journal = std::make_unique<JournalThread>(folder, QStringLiteral("full"), JournalClock::system(), JournalSync::Full);
    modes[2].journal = std::make_unique<JournalThread>(folder, QStringLiteral("normal"), JournalClock::system(), JournalSync::Normal);
    for (Mode &m : modes) {
        FormServices s{&pacer, &sound, &dialogs, &banners, &random, nullptr, [] {}, [](const QString &) {}, {}, {}, folder,
                       QSize(1024, 768)};
        if (m.journal) {
            m.timed = std::make_unique<TimedRecorder>(*m.journal);
            s.recorder = m.timed.get();
        }
        m.form = std::make_unique<TForm1>(s);
        m.form->show();
    }
    QRandomGenerator chance(5);
    int player = 0;
    for (int game = -1; game < kGames; ++game) {
        for (Mode &m : modes) {
            playGame(m, dialogs, ++player, chance, spy, game + 1);
            if (game < 0) { // a warm-up game, not counted
                m.handlerMs.clear();
                m.journalMs.clear();
                m.waitMs.clear();
                m.onDiskMs.clear();
                m.startJournalMs.clear();
                m.clicks.clear();
            }
        }
    }
    const bool met = report(modes, folder, argc > 3);
    for (Mode &m : modes)
        m.form.reset();
    return met ? 0 : 1;
}

bool measure(const char *where, const QProcessEnvironment &env, QTemporaryDir &tmp, bool big)
{
    const QString folder = tmp.filePath(QString::fromLatin1(where).replace(QLatin1Char(' '), QLatin1Char('-')));
    QDir().mkpath(folder);
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{QStringLiteral("probe"), folder};
    if (big)
        args << QStringLiteral("big");
    p.start(QCoreApplication::applicationFilePath(), args);
    p.waitForFinished(600000);
    std::printf("%s:\n%s", where, p.readAllStandardOutput().constData());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() > 1)
        std::printf("  the probe failed\n");
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool analysis(const QString &folder)
{
    try {
        return BenchAnalysis(folder);
    } catch (const bench::Failure &) {
        std::printf("  the analysis failed\n");
        return false;
    }
}

int driver(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    if (argc >= 2 && qstrcmp(argv[1], "analysis") == 0)
        return analysis(argc >= 3 ? QString::fromLocal8Bit(argv[2]) : tmp.filePath(QStringLiteral("analysis"))) ? 0 : 1;
    const QProcessEnvironment env = bench::probeEnvironment(tmp);
    std::printf("The journal in the answer click: %d games on each of three windows, played in turn\n", kGames);
    bool met = measure("offscreen", bench::offscreenEnvironment(tmp, env), tmp, true);
    bench::XServer x;
    if (x.display().isEmpty()) {
        std::printf("no X server: Xvfb could not be started\n");
    } else {
        x.describe();
        met = measure("X server", x.environment(env), tmp, false) && met;
    }
    if (argc < 2 || qstrcmp(argv[1], "clicks") != 0)
        met = analysis(tmp.filePath(QStringLiteral("analysis"))) && met;
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "probe") == 0) {
        try {
            return probe(argc, argv);
        } catch (const bench::Failure &) {
            return 2;
        }
    }
    return driver(argc, argv);
}
