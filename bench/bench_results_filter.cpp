// bench_results_filter: a lab of four results files holding 100 000 records between them, shown
// in the results view; one letter typed into the name filter, timed from the key press to the
// table, the chart and the count updated and painted. The target: 50 ms.

#include "benchcommon.h"

#include "cp1251.h"
#include "faq.h"
#include "results.h"
#include "resultsview.h"

#include <QApplication>
#include <QDir>
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
        const QString machine = folder + QStringLiteral("/pc%1/").arg(i + 1);
        QDir().mkpath(machine);
        const QString path = ResultsFilePath(machine);
        QFile f(path);
        bench::require(f.open(QIODevice::WriteOnly) && f.write(files[size_t(i)]) == files[size_t(i)].size(),
                       "cannot write", path);
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

// Types one letter into the name filter and erases it again, side by side; true when the target is met.
bool measureTyping(QLineEdit *edit, QTableView *table, int runs)
{
    const QChar letter(u'А');
    int shown = 0;
    // Every measure but the erasing starts from an empty filter, the last repaint done.
    const auto empty = [&] {
        QApplication::processEvents();
        if (!edit->text().isEmpty()) {
            type(edit, QChar(), Qt::Key_Backspace);
            QApplication::processEvents();
        }
    };
    bench::Measure filter{"type a letter, to the repaint", [&] {
        type(edit, letter, letter.unicode());
        QApplication::processEvents(); // the repaint of the table and the chart
    }, empty, {}};
    bench::Measure clear{"erase it again, every record shown", [&] {
        type(edit, QChar(), Qt::Key_Backspace);
        QApplication::processEvents();
    }, [&] { shown = table->model()->rowCount(); }, {}};
    bench::Measure typed{"    of which filtering, counts, chart's values", [&] { type(edit, letter, letter.unicode()); },
                         empty, {}};
    bench::runSideBySide({&filter, &clear, &typed}, runs);
    empty();

    std::printf("type \"А\" into the name filter, %d of %d records shown, sorted by name; median of %d runs:\n",
                shown, table->model()->rowCount(), runs);
    for (const bench::Measure *m : {&filter, &typed, &clear})
        bench::printMeasure(*m);
    return bench::printLimit("median, from the key to the repaint", filter.median(), kGoalMs);
}

int run(QTemporaryDir &dir)
{
    const QStringList paths = writeLab(dir.path());

    ResultsView view;
    view.resize(1280, 800);
    view.show();
    const double open = bench::elapsedMs([&] {
        view.openFiles(paths);
        QApplication::processEvents();
    });
    std::printf("open and merge %d files: %.1f ms\n", kFiles, open);

    auto *edit = view.findChild<QLineEdit *>(QStringLiteral("nameFilter"));
    auto *table = view.findChild<QTableView *>(QStringLiteral("resultsTable"));
    bench::require(edit && table, "the results view has no name filter or no table");
    const double sorting = bench::elapsedMs([&] {
        table->sortByColumn(1, Qt::AscendingOrder); // by name: the filter must keep the order too
        QApplication::processEvents();
    });
    std::printf("sort every record by name: %.1f ms\n", sorting);
    // A count of runs may be given, for a profiler to see the typing rather than the set-up.
    const QStringList arguments = QCoreApplication::arguments();
    const int runs = arguments.size() > 1 ? std::max(1, arguments[1].toInt()) : kDefaultRuns;
    return measureTyping(edit, table, runs) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runInTemporaryFolder<QApplication>(argc, argv, run);
}
