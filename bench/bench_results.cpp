// How long the results file takes to guard an attempt and to take one record, against the time
// it takes merely to read the file and to copy it.
//
// The file: 20 lessons of 5 000 records each, keys the decimal checksums of the names, values
// scrambled records, CR LF, written in one go. Everything lives in a temporary folder.

#include "benchcommon.h"
#include "counters.h"
#include "faq.h"
#include "inifile.h"
#include "lockedfile.h"
#include "results.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>
#include <numeric>

#include <unistd.h>

namespace {

constexpr int kLessons = 20;
constexpr int kNamesPerLesson = 5000;
constexpr int kKeyRange = 10000;  // keys are drawn from 1500 .. 11499, unique per lesson
constexpr int kFirstKey = 1500;
constexpr double kReadTarget = 3.0;
constexpr double kWriteTarget = 5.0;

QByteArray lessonCode(int i)
{
    return *cp1251::encode(QStringLiteral("ИНФ-%1").arg(i + 1, 2, 10, QLatin1Char('0')));
}

// A player's name as the program stores it: three words, upper-cased.
QByteArray playerName(bench::Words &words)
{
    return cp1251::upper(words.phrase(3, false));
}

struct Players {
    QByteArray present;  // recorded last in the last lesson
    QByteArray missing;  // not recorded in the last lesson
    QByteArray replaced; // recorded halfway through the middle lesson
    QByteArray added;    // not recorded in the middle lesson
};

QByteArray keyLine(bench::Words &words, const QByteArray &key, const QByteArray &name)
{
    const int level = 1 + words.random().bounded(16);
    return key + '=' + ScrambleText(ResultRecord(name, level)) + "\r\n";
}

QByteArray makeResults(bench::Words &words, const Players &p)
{
    const int middle = kLessons / 2;
    QByteArray out;
    out.reserve(6 * 1024 * 1024);
    std::vector<int> keys(kKeyRange);
    for (int lesson = 0; lesson < kLessons; ++lesson) {
        out += '[' + lessonCode(lesson) + "]\r\n";
        QByteArray halfway; // a key placed halfway through the lesson
        QByteArray last;    // a key placed last
        QByteArray avoid;
        if (lesson == kLessons - 1) {
            last = checks(p.present);
            avoid = checks(p.missing);
        } else if (lesson == middle) {
            halfway = checks(p.replaced);
            avoid = checks(p.added);
        }
        std::iota(keys.begin(), keys.end(), kFirstKey);
        std::shuffle(keys.begin(), keys.end(), words.random());
        int written = 0;
        for (int k = 0; written < kNamesPerLesson - (last.isEmpty() ? 0 : 1); ++k) {
            const QByteArray key = QByteArray::number(keys[k]);
            if (key == avoid || key == last || key == halfway)
                continue;
            if (written == kNamesPerLesson / 2 && !halfway.isEmpty())
                out += keyLine(words, halfway, p.replaced);
            else
                out += keyLine(words, key, playerName(words));
            ++written;
        }
        if (!last.isEmpty())
            out += keyLine(words, last, p.present);
    }
    return out;
}

// The file is put back before every timed call and goes to disk at once: its dirty pages would
// otherwise be flushed by the journal commit of the next fsync and charged to that call.
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    bench::require(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size()
                       && f.flush() && ::fsync(f.handle()) == 0,
                   "cannot write", path);
}

// The files of one run and the players looked up in them.
struct Setup {
    QString path;
    QString copyPath;
    QString outPath;
    QByteArray pristine;
    QByteArray lastLesson;
    QByteArray middleLesson;
    Players p;
};

// Times everything once with the large buffers of the given kind; true when the targets are met.
bool measure(const Setup &s, bench::Buffers buffers)
{
    bench::useBuffers(buffers);
    const Players &p = s.p;
    const auto restore = [&] { writeFile(s.path, s.pristine); };

    bench::Measure readAll{"(a) plain read: QFile open + readAll", [&] {
        QFile f(s.path);
        bench::require(f.open(QIODevice::ReadOnly) && f.readAll().size() == s.pristine.size(), "short read");
    }, restore, {}};
    bench::Measure present{"(b1) AttemptRecorded, last lesson, recorded", [&] {
        const auto r = AttemptRecorded(s.path, s.lastLesson, p.present);
        bench::require(r.ok() && r.value, "the recorded player was not found", r.error);
    }, restore, {}};
    bench::Measure missing{"(b2) AttemptRecorded, last lesson, not recorded", [&] {
        const auto r = AttemptRecorded(s.path, s.lastLesson, p.missing);
        bench::require(r.ok() && !r.value, "a player never recorded was found", r.error);
    }, restore, {}};
    bench::Measure copy{"(c) plain copy: QFile::copy", [&] {
        bench::require(QFile::copy(s.path, s.copyPath), "QFile::copy failed");
    }, [&] { restore(); QFile::remove(s.copyPath); }, {}};
    bench::Measure added{"(d1) WriteResult, new key in the middle lesson", [&] {
        const Status st = WriteResult(s.path, s.middleLesson, p.added, 11);
        bench::require(st.ok(), "WriteResult failed:", st.error);
    }, restore, {}};
    bench::Measure replaced{"(d2) WriteResult, replacing a key", [&] {
        const Status st = WriteResult(s.path, s.middleLesson, p.replaced, 16);
        bench::require(st.ok(), "WriteResult failed:", st.error);
    }, restore, {}};

    // The parts of (b) and (d), each on its own, to tell where their time goes.
    bench::Measure readWhole{"    ReadWholeFile", [&] {
        bench::require(ReadWholeFile(s.path).value.has_value(), "read failed");
    }, restore, {}};
    bench::Measure scanPresent{"    IniFindValue in memory, recorded", [&] {
        bench::require(IniFindValue(s.pristine, s.lastLesson, checks(p.present)).has_value(), "scan missed");
    }, {}, {}};
    bench::Measure scanMissing{"    IniFindValue in memory, not recorded", [&] {
        bench::require(!IniFindValue(s.pristine, s.lastLesson, checks(p.missing)).has_value(), "scan found");
    }, {}, {}};
    bench::Measure lockOnly{"    QLockFile lock + unlock", [&] {
        QLockFile lock(s.path + QStringLiteral(".lock"));
        bench::require(lock.tryLock(1000), "lock failed");
    }, {}, {}};
    bench::Measure saveFile{"    QSaveFile write + commit (fsync, rename)", [&] {
        QSaveFile f(s.outPath);
        bench::require(f.open(QIODevice::WriteOnly) && f.write(s.pristine) == s.pristine.size() && f.commit(),
                       "QSaveFile failed");
    }, {}, {}};
    bench::Measure plainWrite{"    QFile write + rename, no fsync", [&] {
        const QString part = s.outPath + QStringLiteral(".part");
        QFile f(part);
        bench::require(f.open(QIODevice::WriteOnly) && f.write(s.pristine) == s.pristine.size(), "write failed");
        f.close();
        bench::require(std::rename(QFile::encodeName(part).constData(), QFile::encodeName(s.outPath).constData()) == 0,
                       "rename failed");
    }, {}, {}};

    const QString probe = s.outPath + QStringLiteral(".probe");
    bench::Measure sync{"    1 x fdatasync, small file (2 per write)", [&] { bench::syncSmallFile(probe); }, {}, {}};

    bench::runSideBySide({&readAll, &present, &missing, &copy, &added, &replaced, &readWhole, &scanPresent,
                          &scanMissing, &lockOnly, &saveFile, &plainWrite, &sync});

    std::printf("%s\nmedian of %d runs, measured side by side:\n", bench::describe(buffers), bench::kRuns);
    for (const bench::Measure *m : {&readAll, &present, &missing, &copy, &added, &replaced})
        bench::printMeasure(*m);
    std::printf("  of which:\n");
    for (const bench::Measure *m : {&readWhole, &scanPresent, &scanMissing, &lockOnly, &saveFile, &plainWrite, &sync})
        bench::printMeasure(*m);
    bool met = bench::printRatio("(b1) / (a)", present, readAll, kReadTarget);
    met = bench::printRatio("(b2) / (a)", missing, readAll, kReadTarget) && met;
    met = bench::printRatio("(d1) / (c)", added, copy, kWriteTarget) && met;
    met = bench::printRatio("(d2) / (c)", replaced, copy, kWriteTarget) && met;
    std::printf("\n");
    return met;
}

// Both writes read back, and a new record adds its own line and nothing else.
void checkWrites(const Setup &s)
{
    writeFile(s.path, s.pristine);
    bench::require(WriteResult(s.path, s.middleLesson, s.p.replaced, 16).ok(), "WriteResult failed");
    const auto after = IniRead(s.path, s.middleLesson, checks(s.p.replaced));
    bench::require(after.ok() && after.value && ScrambleText(*after.value) == ResultRecord(s.p.replaced, 16),
                   "the replaced record does not read back");
    writeFile(s.path, s.pristine);
    bench::require(WriteResult(s.path, s.middleLesson, s.p.added, 11).ok(), "WriteResult failed");
    bench::require(AttemptRecorded(s.path, s.middleLesson, s.p.added).value, "the added record does not read back");
    const qsizetype line = checks(s.p.added).size() + 1 + ResultRecord(s.p.added, 11).size() + 2;
    bench::require(QFileInfo(s.path).size() == s.pristine.size() + line, "the new record changed other lines");
}

int run(const QTemporaryDir &tmp)
{
    bench::require(CounterStoreLocation().startsWith(tmp.path()), "the counters store is outside the temporary folder:",
                   CounterStoreLocation());
    bench::Words words(20240502);
    Setup s;
    s.p = Players{playerName(words), playerName(words), playerName(words), playerName(words)};
    bench::require(checks(s.p.present) != checks(s.p.missing) && checks(s.p.replaced) != checks(s.p.added),
                   "the chosen players share a checksum");
    s.path = ResultsFilePath(tmp.path() + QLatin1Char('/'));
    s.copyPath = tmp.filePath(QStringLiteral("copy.rez"));
    s.outPath = tmp.filePath(QStringLiteral("out.rez"));
    s.pristine = makeResults(words, s.p);
    s.lastLesson = lessonCode(kLessons - 1);
    s.middleLesson = lessonCode(kLessons / 2);
    checkWrites(s);

    std::printf("bench_results: %d lessons x %d records, file %lld bytes (%.2f MB)\n", kLessons, kNamesPerLesson,
                static_cast<long long>(s.pristine.size()), s.pristine.size() / 1048576.0);
    std::printf("  counters store: %s\n\n", qPrintable(CounterStoreLocation()));

    const bool fresh = measure(s, bench::Buffers::Fresh);
    const bool reused = measure(s, bench::Buffers::Reused);
    return fresh && reused ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runInTemporaryFolder(argc, argv, run);
}
