// How long a large question bank takes to load and to serve one question of every level,
// against the time it takes merely to read the file's bytes.
//
// The bank: 200 000 scrambled question lines under the fifteen level headers, CR LF, about
// 20 MB. Everything lives in a temporary folder, the counters store included.

#include "benchcommon.h"
#include "counters.h"
#include "faq.h"
#include "randomsource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

constexpr int kLevels = 15;
constexpr int kQuestionLines = 200000;
constexpr double kTarget = 3.0;

int linesOfLevel(int level)
{
    // 200 000 = 5 x 13 334 + 10 x 13 333.
    return kQuestionLines / kLevels + (level <= kQuestionLines % kLevels ? 1 : 0);
}

// question?|right|wrong|wrong|wrong|illustration, the illustration on one line in three.
QByteArray plainQuestion(bench::Words &words, int number)
{
    QRandomGenerator &r = words.random();
    QByteArray line = words.phrase(8 + r.bounded(3), true);
    line += '?';
    for (int a = 0; a < 4; ++a) {
        line += '|';
        line += words.phrase(1 + r.bounded(2), true);
    }
    line += '|';
    if (number % 3 == 0)
        line += "pic" + QByteArray::number(number) + ".jpg";
    return line;
}

QByteArray makeBank()
{
    bench::Words words(20240501);
    QByteArray bank;
    bank.reserve(21 * 1024 * 1024);
    int number = 0;
    for (int level = 1; level <= kLevels; ++level) {
        bank += '[' + QByteArray::number(level) + "]\r\n";
        for (int i = 0; i < linesOfLevel(level); ++i) {
            const QByteArray scrambled = ScrambleText(plainQuestion(words, ++number));
            // A scrambled line must neither break nor pass for a header.
            bench::require(!scrambled.contains('\r') && !scrambled.contains('\n') && !scrambled.contains('\0')
                               && !scrambled.startsWith('[') && !scrambled.endsWith(']'),
                           "a generated question line would not survive the bank format");
            bank += scrambled;
            bank += "\r\n";
        }
    }
    return bank;
}

// The bank goes to disk before anything is timed: otherwise its 20 MB of dirty pages would
// be flushed by the first journal commit a counter write forces, and charged to that write.
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    bench::require(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush()
                       && ::fsync(f.handle()) == 0,
                   "cannot write", path);
}

// Times everything once with the large buffers of the given kind; true when the target is met.
bool measure(const QString &path, const QByteArray &bank, bench::Buffers buffers)
{
    bench::useBuffers(buffers);
    SeededRandom random(7);
    const QString bankName = QStringLiteral("big.faq");

    bench::Measure readBytes{"(a) read bytes: QFile open + readAll", [&] {
        QFile f(path);
        bench::require(f.open(QIODevice::ReadOnly), "cannot open", path);
        bench::require(f.readAll().size() == bank.size(), "short read", path);
    }, {}, {}};

    bench::Measure total{"(b) LoadBankFile + 15 x LoadFaq", [&] {
        const auto faq = LoadBankFile(path);
        bench::require(faq.ok(), "LoadBankFile failed:", faq.error);
        std::vector<QByteArrayView> faqStr;
        for (int level = 1; level <= kLevels; ++level) {
            const auto q = LoadFaq(faq.value, level, faqStr, random, bankName);
            bench::require(q.ok() && !q.value.isEmpty(), "LoadFaq failed:", q.error);
            bench::require(static_cast<int>(faqStr.size()) == linesOfLevel(level), "wrong section size");
        }
    }, {}, {}};

    // The parts of (b), each on its own, to tell where its time goes.
    bench::Measure loadOnly{"    LoadBankFile alone", [&] {
        bench::require(LoadBankFile(path).ok(), "LoadBankFile failed");
    }, {}, {}};

    const FaqText loaded = FaqText::fromBytes(bank);
    bench::Measure splitOnly{"    FaqText::fromBytes on bytes in memory", [&] {
        bench::require(FaqText::fromBytes(bank).lineCount() == kQuestionLines + kLevels, "wrong line count");
    }, {}, {}};

    bench::Measure sections{"    15 x FaqText::section", [&] {
        for (int level = 1; level <= kLevels; ++level)
            bench::require(static_cast<int>(loaded.section(level).size()) == linesOfLevel(level), "wrong section");
    }, {}, {}};

    bench::Measure counters{"    15 x counter read + write (Quarnel.ini)", [&] {
        for (int level = 1; level <= kLevels; ++level) {
            const QByteArray name = QByteArray::number(level);
            const auto v = RegReadInteger(kCounterSection, name, 0);
            bench::require(v.ok(), "counter read failed:", v.error);
            bench::require(RegWriteInteger(kCounterSection, name, v.value + 1).ok(), "counter write failed");
        }
    }, {}, {}};

    const QString probe = QFileInfo(path).dir().filePath(QStringLiteral("sync.probe"));
    bench::Measure sync{"    1 x fdatasync, small file (2 per counter)", [&] { bench::syncSmallFile(probe); }, {}, {}};

    bench::runSideBySide({&readBytes, &total, &loadOnly, &splitOnly, &sections, &counters, &sync});

    std::printf("%s\nmedian of %d runs, measured side by side:\n", bench::describe(buffers), bench::kRuns);
    bench::printMeasure(readBytes);
    bench::printMeasure(total);
    std::printf("  of which:\n");
    bench::printMeasure(loadOnly);
    bench::printMeasure(splitOnly);
    bench::printMeasure(sections);
    bench::printMeasure(counters);
    bench::printMeasure(sync);
    const bool met = bench::printRatio("(b) / (a)", total, readBytes, kTarget);
    std::printf("\n");
    return met;
}

int run(const QTemporaryDir &tmp)
{
    bench::require(CounterStoreLocation().startsWith(tmp.path()), "the counters store is outside the temporary folder:",
                   CounterStoreLocation());

    const QString path = tmp.filePath(QStringLiteral("big.faq"));
    const QByteArray bank = makeBank();
    writeFile(path, bank);

    std::printf("bench_bank: %d question lines, %d levels, file %lld bytes (%.1f MB), %.1f bytes a line\n",
                kQuestionLines, kLevels, static_cast<long long>(bank.size()), bank.size() / 1048576.0,
                static_cast<double>(bank.size()) / (kQuestionLines + kLevels));
    std::printf("  counters store: %s\n\n", qPrintable(CounterStoreLocation()));

    const bool fresh = measure(path, bank, bench::Buffers::Fresh);
    const bool reused = measure(path, bank, bench::Buffers::Reused);
    return fresh && reused ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runInTemporaryFolder(argc, argv, run);
}
