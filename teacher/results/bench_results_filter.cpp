// bench_results_filter: a lab of four results files holding 100 000 records between them, shown
// in the results view; one letter typed into the name filter, timed from the key press to the
// table, the chart and the count updated and painted. Prints the figures; the goal is 50 ms.

#include "cp1251.h"
#include "faq.h"
#include "results.h"
#include "resultsview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

namespace {

constexpr int kRecords = 100000;
constexpr int kFiles = 4;
constexpr int kLessons = 250;
constexpr int kDefaultRuns = 7;
constexpr double kGoalMs = 50.0;

// A small fixed-seed generator: the same class on every run.
struct Lcg {
    quint32 state = 20240611;
    int next(int bound)
    {
        state = state * 1664525u + 1013904223u;
        return int((state >> 8) % quint32(bound));
    }
};

QByteArray randomName(Lcg &random)
{
    static const char16_t *const stems[] = {u"ИВАНОВ", u"ПЕТРОВ", u"СИДОРОВ", u"КУЗНЕЦОВ", u"СМИРНОВ",
                                            u"ПОПОВ", u"ВАСИЛЬЕВ", u"СОКОЛОВ", u"МИХАЙЛОВ", u"НОВИКОВ",
                                            u"ФЁДОРОВ", u"МОРОЗОВ", u"ВОЛКОВ", u"АЛЕКСЕЕВ", u"ЛЕБЕДЕВ",
                                            u"СЕМЁНОВ", u"ЕГОРОВ", u"ПАВЛОВ", u"КОЗЛОВ", u"СТЕПАНОВ"};
    static const char16_t letters[] = u"АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ";
    QString name = QString::fromUtf16(stems[random.next(20)]);
    if (random.next(2))
        name += QStringLiteral("А");
    name += QLatin1Char(' ') + QChar(letters[random.next(27)]) + QLatin1Char('.') + QChar(letters[random.next(27)])
            + QLatin1Char('.');
    return cp1251::encode(name).value_or(QByteArray());
}

// The files as the game would leave them: per lesson one record for each name checksum.
QStringList writeLab(const QString &folder)
{
    Lcg random;
    std::vector<QByteArray> files(kFiles);
    int written = 0;
    for (int lesson = 0; lesson < kLessons && written < kRecords; ++lesson) {
        const QByteArray section = cp1251::text(u"[УРОК-") + QByteArray::number(lesson + 1) + "]\r\n";
        for (QByteArray &f : files)
            f += section;
        std::set<QByteArray> keys;
        for (int tries = 0; tries < 20 * kRecords / kLessons && written < (lesson + 1) * kRecords / kLessons; ++tries) {
            const QByteArray name = randomName(random);
            if (!keys.insert(checks(name)).second)
                continue;
            const QByteArray value = ScrambleText(ResultRecord(name, 1 + random.next(16)));
            files[size_t(written % kFiles)] += checks(name) + '=' + value + "\r\n";
            ++written;
        }
    }
    QStringList paths;
    for (int i = 0; i < kFiles; ++i) {
        const QString path = folder + QStringLiteral("/pc%1/tallory.rez").arg(i + 1);
        QDir().mkpath(folder + QStringLiteral("/pc%1").arg(i + 1));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(files[size_t(i)]) != files[size_t(i)].size())
            qFatal("cannot write %s", qPrintable(path));
        paths.append(path);
    }
    std::printf("records written: %d in %d files\n", written, kFiles);
    return paths;
}

void type(QWidget *edit, QChar c, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(edit, &release);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QStringList paths = writeLab(dir.path());

    ResultsView view;
    view.resize(1280, 800);
    view.show();
    QElapsedTimer open;
    open.start();
    view.openFiles(paths);
    QApplication::processEvents();
    std::printf("open and merge %d files: %.1f ms\n", kFiles, open.nsecsElapsed() / 1e6);

    auto *edit = view.findChild<QLineEdit *>(QStringLiteral("nameFilter"));
    auto *table = view.findChild<QTableView *>(QStringLiteral("resultsTable"));
    QElapsedTimer sorting;
    sorting.start();
    table->sortByColumn(1, Qt::AscendingOrder); // by name: the filter must keep the order too
    QApplication::processEvents();
    std::printf("sort every record by name: %.1f ms\n", sorting.nsecsElapsed() / 1e6);
    const QChar letter(u'А');
    std::vector<double> filterMs;
    std::vector<double> clearMs;
    std::vector<double> typedMs;
    int shown = 0;
    // A count of runs may be given, for a profiler to see the typing rather than the set-up.
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : kDefaultRuns;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        type(edit, letter, letter.unicode());
        typedMs.push_back(t.nsecsElapsed() / 1e6);
        QApplication::processEvents(); // the repaint of the table and the chart
        filterMs.push_back(t.nsecsElapsed() / 1e6);
        shown = table->model()->rowCount();
        t.restart();
        type(edit, QChar(), Qt::Key_Backspace);
        QApplication::processEvents();
        clearMs.push_back(t.nsecsElapsed() / 1e6);
    }
    const double typed = median(filterMs);
    std::printf("type \"А\" into the name filter, %d of %d records shown, sorted by name: "
                "median %.1f ms, worst %.1f ms (goal %.0f ms)\n",
                shown, table->model()->rowCount(), typed, *std::max_element(filterMs.begin(), filterMs.end()),
                kGoalMs);
    std::printf("  of which filtering, counting and the chart's values: median %.1f ms\n", median(typedMs));
    std::printf("erase it again, every record shown: median %.1f ms\n", median(clearMs));
    return typed <= kGoalMs ? 0 : 1;
}
