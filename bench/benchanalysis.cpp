// The analysis of a big lab: 30 machines' journals holding 1 000 000 answers together, in five
// lessons. Opening them (the archive, the lesson list and the first lesson's figures) against
// its target of 2 s, a change of lesson against 200 ms, and beside them what the sqlite3
// program takes to read the first lesson's rows from the same files.

#include "benchanalysis.h"

#include "answeranalysis.h"
#include "benchcommon.h"
#include "journalfiles.h"
#include "journalschema.h"

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>

#include <cstdio>
#include <ctime>

namespace {

constexpr int kJournals = 30;
constexpr int kAnswers = 1000000;
constexpr int kLessons = 5;
constexpr double kOpenTargetMs = 2000;
constexpr double kChangeTargetMs = 200;

void exec(QSqlDatabase &db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    bench::require(q.exec(), "cannot fill a journal:", q.lastError().text() + QLatin1Char(' ') + sql.left(80));
}

// The bank of every lesson: 15 levels of 10 questions, the same on every machine.
const char *const kQuestions = R"(CREATE TEMP TABLE q AS
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 749)
SELECT i / 150 AS lesson, (i / 10) % 15 + 1 AS level, i % 10 AS idx, printf('%064d', i) AS sha,
       'Вопрос ' || ((i / 10) % 15 + 1) || '.' || (i % 10 + 1) || ' занятия ' || (i / 150 + 1)
           || ': что из перечисленного относится к теме урока?' AS question,
       'Верный ответ ' || i AS a1, 'Неверный ответ первый' AS a2, 'Неверный ответ второй' AS a3,
       'Неверный ответ третий' AS a4
FROM n)";

// Games of uniform length 1..15 (8 answers on average): most end on a wrong answer, some are
// stopped, a few won and one in fifty left unfinished.
const char *const kGameList = R"(CREATE TEMP TABLE gl AS
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ? - 1)
SELECT i, ? || '-' || i AS id, i % 5 AS lesson, 1 + (i / 5 * 7 + ?) % 15 AS last,
       CASE WHEN i % 50 = 7 THEN 0 WHEN 1 + (i / 5 * 7 + ?) % 15 = 15 AND i % 3 = 0 THEN 3
            WHEN i % 4 = 0 THEN 2 ELSE 1 END AS how
FROM n)";

const char *const kGames = R"(INSERT INTO games
SELECT id, 'УРОК-' || (lesson + 1), 'УЧЕНИК ' || i, ?, '/srv/tallory/bank' || lesson || '.faq',
       printf('%064d', lesson), strftime('%Y-%m-%dT%H:%M:%fZ', 1772442000 + i * 90 + ?, 'unixepoch'),
       CASE WHEN how = 0 THEN NULL ELSE strftime('%Y-%m-%dT%H:%M:%fZ', 1772442600 + i * 90 + ?, 'unixepoch') END,
       CASE how WHEN 0 THEN NULL WHEN 1 THEN 'wrong' WHEN 2 THEN 'stop' ELSE 'won' END,
       CASE how WHEN 0 THEN NULL WHEN 3 THEN 15 ELSE last - 1 END,
       CASE how WHEN 0 THEN NULL ELSE 'Удовлетворительно' END
FROM gl)";

// The bank answer on button p when the right one stands on button rb.
QString onButton(int p)
{
    return QStringLiteral("CASE (%1 + 4 - rb) % 4 WHEN 0 THEN a1 WHEN 1 THEN a2 WHEN 2 THEN a3 ELSE a4 END").arg(p);
}

QString answersSql()
{
    return QStringLiteral(
               "INSERT INTO answers SELECT id, level, idx, sha, "
               "strftime('%Y-%m-%dT%H:%M:%fZ', 1772442000 + i * 90 + level * 30, 'unixepoch'), question, %1, %2, %3, "
               "%4, char(65 + rb), CASE WHEN ch IS NULL THEN NULL ELSE char(65 + (rb + ch - 1) % 4) END, ch, "
               "CASE WHEN ch IS NULL THEN NULL ELSE 700 + abs(random()) % 25000 END, "
               "CASE WHEN (i + level) % 23 = 0 THEN 'BD' END, CASE WHEN (i + level) % 29 = 0 THEN 20 END, "
               "CASE WHEN (i + level) % 29 = 0 THEN 15 END, CASE WHEN (i + level) % 29 = 0 THEN 10 END, "
               "CASE WHEN (i + level) % 29 = 0 THEN 5 END, "
               "CASE WHEN (i + level) % 31 = 0 THEN 'Друг' || char(10) || 'Думаю, это A' END, "
               "CASE WHEN (i + level) % 13 = 0 THEN 'Вы уверены?' END "
               "FROM (SELECT gl.i, gl.id, lv.level, q.idx, q.sha, q.question, q.a1, q.a2, q.a3, q.a4, "
               "(gl.i + lv.level) % 4 AS rb, "
               "CASE WHEN lv.level < gl.last OR gl.how IN (0, 3) THEN 1 WHEN gl.how = 2 THEN NULL "
               "ELSE 2 + (gl.i + lv.level) % 3 END AS ch "
               "FROM gl JOIN (WITH RECURSIVE l(level) AS (SELECT 1 UNION ALL SELECT level + 1 FROM l WHERE level < 15) "
               "SELECT level FROM l) lv ON lv.level <= gl.last "
               "JOIN q ON q.lesson = gl.lesson AND q.level = lv.level AND q.idx = (gl.i / 5 * 3 + lv.level * 7) % 10 "
               "ORDER BY gl.i, lv.level LIMIT ?)")
        .arg(onButton(0), onButton(1), onButton(2), onButton(3));
}

void fillJournal(const QString &file, const QString &machine, int seed, int answers)
{
    const QString connection = QStringLiteral("fill-") + machine;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(file);
        bench::require(db.open(), "cannot create a journal", file);
        bench::require(!CreateJournalSchema(db).isValid(), "cannot create the tables", file);
        // Filled at once without waiting for the disk; then left in the game's log mode.
        exec(db, QStringLiteral("PRAGMA synchronous = OFF"));
        bench::require(db.transaction(), "cannot begin", file);
        exec(db, QString::fromUtf8(kQuestions));
        exec(db, QStringLiteral("CREATE INDEX temp.q_key ON q (lesson, level, idx)"));
        exec(db, QString::fromUtf8(kGameList), {answers / 8 + 400, machine, seed, seed});
        exec(db, QString::fromUtf8(kGames), {machine, seed, seed});
        exec(db, answersSql(), {answers});
        exec(db, QStringLiteral("DELETE FROM games WHERE id NOT IN (SELECT game FROM answers)"));
        bench::require(db.commit(), "cannot commit", file);
        exec(db, QStringLiteral("PRAGMA journal_mode = WAL"));
    }
    QSqlDatabase::removeDatabase(connection);
}

QStringList fillLab(const QString &programFolder)
{
    if (JournalFiles(programFolder).size() == kJournals)
        return JournalFiles(programFolder); // made by an earlier run, kept in its folder
    QDir().mkpath(JournalFolder(programFolder));
    for (int m = 0; m < kJournals; ++m) {
        const QString machine = QStringLiteral("ПК-%1").arg(m + 1, 2, 10, QLatin1Char('0'));
        const int answers = kAnswers / kJournals + (m < kAnswers % kJournals ? 1 : 0);
        fillJournal(JournalFilePath(programFolder, machine), machine, m * 13, answers);
    }
    return JournalFiles(programFolder);
}

// The sqlite3 program reading every column of the lesson's answers from each file in turn.
double sqliteReads(const QStringList &files, const QString &lesson)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (program.isEmpty())
        return -1;
    QByteArray script;
    for (const QString &file : files) {
        script += ".open --readonly '" + file.toUtf8() + "'\n";
        script += "SELECT a.* FROM answers a JOIN games g ON g.id = a.game WHERE g.lesson = '" + lesson.toUtf8()
                  + "';\n";
    }
    return bench::elapsedMs([&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(program, {QStringLiteral("-batch")});
        p.write(script);
        p.closeWriteChannel();
        bench::require(p.waitForFinished(300000) && p.exitCode() == 0, "sqlite3 failed");
    });
}

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

} // namespace

QStringList FillAnalysisLab(const QString &programFolder)
{
    return fillLab(programFolder);
}

bool BenchAnalysis(const QString &folder)
{
    QElapsedTimer made;
    made.start();
    const QStringList files = fillLab(folder + QLatin1Char('/'));
    bench::require(files.size() == kJournals, "the journals are not all there");
    std::printf("The analysis: %d journals holding %d answers together, %d lessons (made in %.1f s)\n",
                kJournals, kAnswers, kLessons, static_cast<double>(made.elapsed()) / 1000);
    std::unique_ptr<AnswerArchive> archive;
    QStringList lessons;
    int read = 0;
    const auto openFirst = [&] {
        archive = std::make_unique<AnswerArchive>(files);
        lessons = archive->lessons();
        read = archive->analyse(lessons.value(0)).answers;
    };
    std::vector<double> ahead;
    // The teacher looks at the first lesson while the others are read in the background.
    const auto readAhead = [&] {
        openFirst();
        ahead.push_back(bench::elapsedMs([&] {
            while (archive->readingAhead())
                QThread::msleep(5);
        }));
    };
    // The processor time of the opening, on every thread: what it would take on an idle
    // machine with as many cores, whatever else the machine is doing meanwhile.
    std::vector<double> openCpu;
    const auto timedOpen = [&] {
        const double before = cpuMs();
        openFirst();
        openCpu.push_back(cpuMs() - before);
    };
    bench::Measure open{"open: archive, lessons, first lesson", timedOpen, [&] { archive.reset(); }, {}};
    bench::Measure early{"change of lesson at once after opening", [&] { archive->analyse(lessons.value(1)); },
                         openFirst, {}};
    bench::Measure change{"change of lesson, the others read ahead", [&] { archive->analyse(lessons.value(1)); },
                          readAhead, {}};
    bench::Measure back{"back to the first lesson", [&] { archive->analyse(lessons.value(0)); }, {}, {}};
    bench::runSideBySide({&open, &early, &change, &back}, 5);
    bench::require(lessons.size() == kLessons && archive->problems().isEmpty(), "the journals were not all read");
    std::sort(ahead.begin(), ahead.end());
    std::printf("  the first lesson holds %d answers; the other four were read ahead in %.0f ms (median)\n", read,
                ahead[ahead.size() / 2]);
    bench::printMeasure(open);
    std::sort(openCpu.begin(), openCpu.end());
    std::printf("    of processor time on all threads %26.3f ms  (median; %d cores)\n", openCpu[openCpu.size() / 2],
                QThread::idealThreadCount());
    bench::printMeasure(early);
    bench::printMeasure(change);
    bench::printMeasure(back);
    const double sqlite = sqliteReads(files, lessons.value(0));
    if (sqlite < 0)
        std::printf("  sqlite3 is not installed: nothing to compare with\n");
    else
        std::printf("  %-46s %9.3f ms  (every column, output to /dev/null)\n", "sqlite3 reading the first lesson's rows",
                    sqlite);
    const bool openMet = bench::printLimit("open, median", open.median(), kOpenTargetMs);
    return bench::printLimit("change of lesson, median", change.median(), kChangeTargetMs) && openMet;
}
