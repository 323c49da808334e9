// The school's server under a lab: 30 machines (threads, each with its own connection as the
// game's role) answering as fast as they can for 20 s, every row through the game's own SendRow
// — rows per second and the time a student waits on the server per answer; then the workbench's
// analysis of one lesson over 1 000 000 answers in the server, beside psql running the same
// aggregate. The server is a throw-away cluster of the tests' (with fsync on, as a school's is).

#include "answerrow.h"
#include "answertally.h"
#include "benchcommon.h"
#include "pgcluster.h"
#include "serverfill.h"
#include "serveranswers.h"
#include "serverconnection.h"
#include "serverrows.h"

#include <QDateTime>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <atomic>
#include <thread>

namespace {

constexpr int kMachines = 30;
constexpr int kSeconds = 20;
constexpr double kAnswerP99TargetMs = 50;
constexpr int kAnswers = 1000000;
constexpr int kLessons = 5;
constexpr double kAnalysisTargetMs = 2000;

QString iso(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs);
}

struct Machine {
    std::vector<double> answerMs;
    long rows = 0;
    QString failure;
};

// One machine's games, one after another, until the deadline: the rows a game sends.
void play(int number, const QString &service, qint64 deadlineMs, Machine &m)
{
    ServerProblem problem;
    const auto connection = ServerConnection::open(service, {}, &problem);
    if (!connection) {
        m.failure = problem.message;
        return;
    }
    QSqlDatabase db = connection->database();
    const QString machine = QStringLiteral("ПК-%1").arg(number);
    const auto send = [&](ServerTable table, const TableRow &row) {
        const auto sent = SendRow(db, table, row);
        if (!sent.ok() && m.failure.isEmpty())
            m.failure = sent.error;
        ++m.rows;
    };
    for (int game = 0; QDateTime::currentMSecsSinceEpoch() < deadlineMs && m.failure.isEmpty(); ++game) {
        const qint64 t = QDateTime::currentMSecsSinceEpoch();
        JournalGame g;
        g.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        g.lesson = QStringLiteral("БЕНЧ");
        g.student = QStringLiteral("УЧЕНИК %1-%2").arg(number).arg(game);
        g.machine = machine;
        g.bankFile = QStringLiteral("bank.faq");
        g.bankSha256 = QString(64, QLatin1Char('a'));
        g.started = QDateTime::fromMSecsSinceEpoch(t, Qt::UTC);
        send(ServerTable::Games, GameStartRow(g));
        for (int level = 1; level <= 15; ++level) {
            JournalAnswer a;
            a.game = g.id;
            a.level = level;
            a.bankIndex = game % 10;
            a.questionSha256 = QStringLiteral("%1").arg(level * 10 + game % 10, 64, 10, QLatin1Char('0'));
            a.shown = QDateTime::fromMSecsSinceEpoch(t + level, Qt::UTC);
            a.question = QStringLiteral("Вопрос уровня %1?").arg(level);
            a.answers = {QString(), QStringLiteral("Первый ответ"), QStringLiteral("Второй ответ"),
                         QStringLiteral("Третий ответ"), QStringLiteral("Четвёртый ответ")};
            a.rightButton = a.clickedButton = 2;
            a.chosen = 1;
            a.ms = 1500 + level;
            const TableRow row = AnswerRow(a);
            m.answerMs.push_back(bench::elapsedMs([&] { send(ServerTable::Answers, row); }));
        }
        g.ended = QDateTime::fromMSecsSinceEpoch(t + 20, Qt::UTC);
        g.ending = GameEnding::Won;
        g.levelsPassed = 15;
        g.grade = QStringLiteral("Отлично");
        send(ServerTable::GameEnds, GameEndRow(g));
        send(ServerTable::Results, ResultRow({g.id, g.lesson, g.student, 15, g.grade, machine, iso(t + 20)}));
    }
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

bool lab(const QString &database)
{
    std::vector<Machine> machines(kMachines);
    std::vector<std::thread> threads;
    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    const qint64 deadline = start + kSeconds * 1000;
    for (int i = 0; i < kMachines; ++i)
        threads.emplace_back(play, i + 1, database + QStringLiteral("_game"), deadline, std::ref(machines[size_t(i)]));
    for (std::thread &t : threads)
        t.join();
    const double seconds = static_cast<double>(QDateTime::currentMSecsSinceEpoch() - start) / 1000.0;
    std::vector<double> all;
    long rows = 0;
    for (const Machine &m : machines) {
        bench::require(m.failure.isEmpty(), "a machine failed:", m.failure);
        all.insert(all.end(), m.answerMs.begin(), m.answerMs.end());
        rows += m.rows;
    }
    std::printf("A lab: %d machines (threads, one connection each, the game's role) answering for %d s, fsync on\n",
                kMachines, kSeconds);
    std::printf("  rows stored: %ld in %.1f s = %.0f rows/s (games %zu, answers %zu)\n", rows, seconds,
                static_cast<double>(rows) / seconds, all.size() / 15, all.size());
    std::printf("  %-46s %9.2f ms\n", "an answer's send, p50", percentile(all, 0.5));
    return bench::printLimit("an answer's send, p99", percentile(all, 0.99), kAnswerP99TargetMs);
}

// The very aggregate the workbench runs, with its values in place of the placeholders.
QString psqlScript(const QString &lesson)
{
    QString sql = LessonTallySql(TallyDialect::PostgreSql);
    for (int n = 1; sql.contains(QLatin1Char('?')); ++n)
        sql.replace(sql.indexOf(QLatin1Char('?')), 1, QStringLiteral("$%1").arg(n));
    return ServerAnalysisSessionSql().join(QStringLiteral(";\n"))
           + QStringLiteral(";\nPREPARE tally AS %1;\nEXECUTE tally('%2');\n").arg(sql, lesson);
}

bool analysis(const QString &database)
{
    const int filled = bench::FillServerAnswers(database, kAnswers);
    std::printf("The analysis: %d answers of %d games in %d lessons, filled by the owner\n", filled,
                (kAnswers + 14) / 15, kLessons);
    const QString service = database + QStringLiteral("_teacher");
    ServerProblem problem;
    const auto teacher = ServerConnection::open(service, {}, &problem);
    bench::require(teacher != nullptr, "no teacher's connection:", problem.message);
    int questions = 0;
    int answers = 0;
    std::vector<double> lessonsMs;
    bench::Measure open{"workbench: lessons, then one lesson analysed", [&] {
                            const ServerAnswers source(teacher->database(), service);
                            QStringList lessons;
                            lessonsMs.push_back(bench::elapsedMs([&] { lessons = source.lessons(); }));
                            const LessonAnalysis a = source.analyse(QStringLiteral("УРОК-0"));
                            bench::require(source.problems().isEmpty() && lessons.size() == kLessons,
                                           "the server was not read");
                            questions = static_cast<int>(a.questions.size());
                            answers = a.answers;
                        }, {}, {}};
    const QString psql = qEnvironmentVariable("TALLORY_PG_BIN", QStringLiteral("/usr/lib/postgresql/15/bin")) + QStringLiteral("/psql");
    const QString script = psqlScript(QStringLiteral("УРОК-0"));
    bench::Measure bare{"psql: the same aggregate (process and connection)", [&] {
                            QProcess p;
                            p.setStandardOutputFile(QProcess::nullDevice());
                            p.start(psql, {QStringLiteral("service=") + service, QStringLiteral("-X"), QStringLiteral("-q"),
                                           QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1")});
                            p.write(script.toUtf8());
                            p.closeWriteChannel();
                            bench::require(p.waitForFinished(60000) && p.exitCode() == 0, "psql failed:",
                                           QString::fromLocal8Bit(p.readAllStandardError()));
                        }, {}, {}};
    if (qEnvironmentVariableIsSet("TALLORY_BENCH_EXPLAIN")) {
        QProcess p;
        p.start(psql, {QStringLiteral("service=") + service, QStringLiteral("-X"), QStringLiteral("-q")});
        p.write(script.toUtf8().replace("EXECUTE", "EXPLAIN (ANALYZE, BUFFERS) EXECUTE"));
        p.closeWriteChannel();
        p.waitForFinished(60000);
        std::printf("%s\n", p.readAll().constData());
    }
    bench::runSideBySide({&open, &bare}, 5);
    std::printf("  the lesson holds %d answers to %d questions; the list of lessons took %.1f ms of it (median)\n",
                answers, questions, percentile(lessonsMs, 0.5));
    bench::printMeasure(open);
    bench::printMeasure(bare);
    return bench::printLimit("workbench's analysis, median", open.median(), kAnalysisTargetMs);
}

int run()
{
    pgtest::Cluster &cluster = pgtest::cluster();
    cluster.SetUp();
    bench::require(cluster.unavailable().isEmpty(), "no PostgreSQL:", cluster.unavailable());
    // A school's server writes its commits to the disk: the test cluster's shortcut is undone.
    const QString durable = cluster.adminSql(QStringLiteral("postgres"),
                                             {QStringLiteral("ALTER SYSTEM SET fsync = on"),
                                              QStringLiteral("ALTER SYSTEM SET full_page_writes = on"),
                                              QStringLiteral("SELECT pg_reload_conf()")});
    int status = 2;
    try {
        bench::require(durable.isEmpty(), "cannot turn fsync on:", durable);
        for (const char *db : {"lab", "school"}) {
            const QString made = pgtest::createDatabase(QLatin1String(db));
            bench::require(made.isEmpty() && pgtest::createSchema(QLatin1String(db)).isEmpty(), "no database:", made);
        }
        // "lab" or "analysis" on the command line runs that part alone.
        const QStringList args = QCoreApplication::arguments().mid(1);
        const bool labMet = args.contains(QLatin1String("analysis")) || lab(QStringLiteral("lab"));
        const bool analysisMet = args.contains(QLatin1String("lab")) || analysis(QStringLiteral("school"));
        status = labMet && analysisMet ? 0 : 1;
    } catch (const bench::Failure &) {
        status = 2;
    }
    cluster.TearDown();
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runInTemporaryFolder(argc, argv, [](QTemporaryDir &) { return run(); });
}
