#pragma once
// What the benchmark programs share: a private configuration folder, timing of several
// measurements side by side with the median reported, the target lines, and Russian-like
// Windows-1251 words.

#include "cp1251.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <type_traits>
#include <vector>

#include <unistd.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace bench {

/// The resident memory of process pid in KB (VmRSS), -1 when it cannot be read.
inline long rssKb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

inline constexpr int kRuns = 7;

/// Points the per-user configuration folder at dir. Must run before QCoreApplication exists,
/// so that the counters store of the data layer never lands in the real home folder.
inline void useConfigFolder(const QString &dir)
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir));
}

/// Where the large buffers of a measured call come from. The difference is the kernel's work of
/// handing out and zeroing new pages, which costs as much as copying a cached file: both are
/// measured, since a single call in the game gets fresh memory and a hot loop does not.
enum class Buffers { Fresh, Reused };

inline const char *describe(Buffers b)
{
    return b == Buffers::Fresh ? "fresh buffers: every large buffer is new memory from the system"
                               : "reused buffers: large buffers come from memory the program already holds";
}

inline void useBuffers(Buffers b)
{
#ifdef __GLIBC__
    // Setting the thresholds by hand also stops glibc from moving them as it sees blocks freed.
    if (b == Buffers::Fresh) {
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        mallopt(M_TRIM_THRESHOLD, 128 * 1024);
        malloc_trim(0);
    } else {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
    }
#else
    Q_UNUSED(b);
#endif
}

/// Thrown when a measured call did not do what it should: a fast wrong answer is not a figure
/// worth printing. main catches it, so the temporary folder is still removed.
struct Failure {
};

/// The whole main() of a benchmark: a temporary folder that holds every file, the counters
/// store among them, then run(folder). A failed check ends with status 2. Benchmarks of windows
/// pass QApplication as App; they run offscreen unless QT_QPA_PLATFORM names a platform.
template <class App = QCoreApplication>
inline int runInTemporaryFolder(int argc, char **argv, const std::function<int(QTemporaryDir &)> &run)
{
    QTemporaryDir tmp;
    if (!tmp.isValid())
        return 2;
    useConfigFolder(tmp.filePath(QStringLiteral("config")));
    if (!std::is_same_v<App, QCoreApplication> && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    try {
        return run(tmp);
    } catch (const Failure &) {
        return 2;
    }
}

inline void require(bool ok, const char *what, const QString &detail = {})
{
    if (ok)
        return;
    std::fprintf(stderr, "bench: %s %s\n", what, qPrintable(detail));
    throw Failure{};
}

/// Writes a small file and waits for it to reach the disk: what one fdatasync costs on this
/// disk at this moment. Every lock and every replaced file of the data layer pays it, so it is
/// printed beside the figures that depend on it.
inline void syncSmallFile(const QString &path)
{
    QFile f(path);
    require(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write("0123456789", 10) == 10 && f.flush()
                && ::fdatasync(f.handle()) == 0,
            "cannot sync", path);
}

/// How long body takes, in milliseconds.
inline double elapsedMs(const std::function<void()> &body)
{
    QElapsedTimer t;
    t.start();
    body();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

/// One timed operation: before runs untimed ahead of every timed body.
struct Measure {
    const char *label;
    std::function<void()> body;
    std::function<void()> before;
    std::vector<double> ms;

    double median() const
    {
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0.0 : s[s.size() / 2];
    }
    double lowest() const { return ms.empty() ? 0.0 : *std::min_element(ms.begin(), ms.end()); }
    double highest() const { return ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end()); }
};

/// Runs every measure once per round, round after round, so that a slow spell of the machine
/// falls on all of them alike. One untimed round warms the caches first.
inline void runSideBySide(const std::vector<Measure *> &measures, int runs = kRuns)
{
    for (int round = -1; round < runs; ++round) {
        for (Measure *m : measures) {
            if (m->before)
                m->before();
            const double ms = elapsedMs(m->body);
            if (round >= 0)
                m->ms.push_back(ms);
        }
    }
}

inline void printMeasure(const Measure &m)
{
    std::printf("  %-46s %9.3f ms  (min %.3f, max %.3f, %zu runs)\n", m.label, m.median(), m.lowest(),
                m.highest(), m.ms.size());
}

/// Prints total / baseline against target; true when the target is met.
inline bool printRatio(const char *what, const Measure &total, const Measure &baseline, double target)
{
    const double ratio = baseline.median() > 0 ? total.median() / baseline.median() : 0.0;
    const bool met = ratio <= target;
    std::printf("  ratio %-42s %7.2f   target <= %.0f%s\n", what, ratio, target, met ? "" : "   OVER TARGET");
    return met;
}

/// Prints a time against its target in milliseconds; true when the target is met.
inline bool printLimit(const char *what, double ms, double target)
{
    const bool met = ms <= target;
    std::printf("  %-46s %9.1f ms  target <= %.0f%s\n", what, ms, target, met ? "" : "   OVER TARGET");
    return met;
}

/// Words built from Russian syllables, in Windows-1251, for text that looks and scans like
/// the real thing: mostly Cyrillic letters of both cases, a few with Ё.
class Words
{
public:
    explicit Words(quint32 seed, int count = 4000) : m_gen(seed)
    {
        static const char16_t *const syllables[] = {
            u"ка", u"ро", u"ва", u"ни", u"то", u"ле", u"ст", u"пра", u"ви", u"ль", u"но", u"го",
            u"ре", u"ме", u"жи", u"зна", u"де", u"ло", u"ты", u"шу", u"ще", u"ёл", u"при", u"над",
            u"ус", u"ин", u"за", u"по", u"ра", u"мо", u"сла", u"бы", u"чи", u"хо", u"ци", u"фе",
            u"ют", u"ящ", u"ий", u"ой", u"ая", u"ое", u"ть", u"ес", u"об", u"ем", u"кр", u"эн"};
        const int n = static_cast<int>(std::size(syllables));
        for (int i = 0; i < count; ++i) {
            QString w;
            const int parts = 1 + m_gen.bounded(4);
            for (int p = 0; p < parts; ++p)
                w += QString::fromUtf16(syllables[m_gen.bounded(n)]);
            const auto bytes = cp1251::encode(w);
            require(bytes.has_value(), "a generated word does not fit Windows-1251");
            m_words.push_back(*bytes);
        }
    }

    const QByteArray &any() { return m_words[m_gen.bounded(static_cast<quint32>(m_words.size()))]; }

    /// count words separated by blanks; the first capitalised when asked.
    QByteArray phrase(int count, bool capital)
    {
        QByteArray out;
        for (int i = 0; i < count; ++i) {
            if (i)
                out += ' ';
            out += any();
        }
        if (capital && !out.isEmpty())
            out[0] = static_cast<char>(cp1251::upperByte(static_cast<unsigned char>(out[0])));
        return out;
    }

    QRandomGenerator &random() { return m_gen; }

private:
    QRandomGenerator m_gen;
    std::vector<QByteArray> m_words;
};

} // namespace bench
