// The hall is the class: what asking the audience costs when the settings make it show the
// class's answers. 30 machines' journals holding 1 000 000 answers together (games of 15
// questions drawn from a bank of 25 per level), and the lookup the F3 key runs: every journal
// opened read-only and the answers to the question on screen counted. Measured with the
// journals' lookup indexes and without them, and what adding them to a journal costs once.

#include "benchcommon.h"
#include "filljournal.h"

#include "classanswers.h"
#include "gamejournal.h"
#include "journalfiles.h"
#include "journalschema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

namespace {

constexpr int kJournals = 30;
constexpr int kAnswers = 1000000;
constexpr int kPerLevel = 25;
constexpr int kLevels = 15;
constexpr double kTargetMs = 50.0;
const QString kLesson = QStringLiteral("BENCH");

QByteArray bankLine(int level, int q)
{
    return "Question " + QByteArray::number(level) + "." + QByteArray::number(q) + "|right|wrong a|wrong b|wrong c|";
}

/// Runs sql on every journal through a connection of its own.
void onEveryJournal(const QString &folder, const std::function<void(QSqlDatabase &)> &body)
{
    for (const QString &file : JournalFiles(folder)) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
            db.setDatabaseName(file);
            bench::require(db.open(), "cannot open", file);
            body(db);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    }
}

void exec(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    bench::require(q.exec(sql), "cannot run", sql);
}

// One machine's journal: made by the game's own writer (tables and index), then filled at once.
void fillJournal(const QString &folder, int machine, int answers, bench::Words &words)
{
    const QString name = QStringLiteral("pc-%1").arg(machine, 2, 10, QLatin1Char('0'));
    QSqlDatabase db = bench::openJournalToFill(folder, name, JournalSync::Normal);
    {
        QSqlQuery game(db);
        game.prepare(QStringLiteral("INSERT INTO games VALUES (?, ?, ?, ?, 'bench.faq', 'ff', "
                                    "'2026-01-01T00:00:00.000Z', '2026-01-01T00:10:00.000Z', 'wrong', 3, 'x')"));
        QSqlQuery answer(db);
        answer.prepare(QStringLiteral("INSERT INTO answers VALUES (?, ?, ?, ?, '2026-01-01T00:00:00.000Z', ?, "
                                      "'right', 'wrong a', 'wrong b', 'wrong c', 'A', 'B', ?, 5000, NULL, NULL, "
                                      "NULL, NULL, NULL, NULL, NULL)"));
        QRandomGenerator &chance = words.random();
        for (int i = 0; i < answers; ++i) {
            const QString id = QStringLiteral("%1-%2").arg(name).arg(i / kLevels);
            const int level = i % kLevels + 1;
            if (level == 1) {
                game.addBindValue(id);
                game.addBindValue(kLesson);
                game.addBindValue(cp1251::decode(words.phrase(2, true)));
                game.addBindValue(name);
                bench::require(game.exec(), "cannot fill the journal");
            }
            const int q = chance.bounded(kPerLevel);
            answer.addBindValue(id);
            answer.addBindValue(level);
            answer.addBindValue(q);
            answer.addBindValue(QuestionSha256(bankLine(level, q)));
            answer.addBindValue(cp1251::decode(words.phrase(8, true)));
            answer.addBindValue(1 + chance.bounded(4));
            bench::require(answer.exec(), "cannot fill the journal");
        }
    }
    bench::require(db.commit(), "cannot fill the journal");
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

qint64 folderBytes(const QString &folder)
{
    qint64 bytes = 0;
    for (const QFileInfo &f : QDir(JournalFolder(folder)).entryInfoList(QDir::Files))
        bytes += f.size();
    return bytes;
}

int run(QTemporaryDir &tmp)
{
    const QString folder = tmp.path() + QStringLiteral("/");
    // The journal keeps the hash of the bank a game was played from.
    QFile bank(folder + QStringLiteral("bench.faq"));
    bench::require(bank.open(QIODevice::WriteOnly) && bank.write("[1]\r\n") > 0, "cannot write the bank");
    bank.close();
    bench::Words words(11);
    QElapsedTimer fill;
    fill.start();
    for (int m = 0; m < kJournals; ++m)
        fillJournal(folder, m, kAnswers / kJournals + (m < kAnswers % kJournals ? 1 : 0), words);
    std::printf("The hall is the class: %d journals, %d answers in all, %.1f MB, filled in %.1f s\n", kJournals,
                kAnswers, double(folderBytes(folder)) / 1e6, double(fill.elapsed()) / 1000.0);

    int found = 0;
    const auto lookup = [&] {
        found = GatherClassAnswers(folder, kLesson, bankLine(1, 0), 60000).total();
    };
    bench::Measure indexed{"lookup on pressing F3, with the indexes", lookup, {}, {}};
    bench::runSideBySide({&indexed}, 15);
    bench::require(found > 1000, "the lookup found too few answers", QString::number(found));
    std::printf("  answers to the question found: %d\n", found);
    bench::printMeasure(indexed);

    onEveryJournal(folder, [](QSqlDatabase &db) {
        exec(db, QStringLiteral("DROP INDEX answers_by_question"));
        exec(db, QStringLiteral("DROP INDEX games_lesson_of_id"));
    });
    bench::Measure scanned{"lookup on pressing F3, without them", lookup, {}, {}};
    bench::runSideBySide({&scanned}, 3);
    bench::printMeasure(scanned);

    std::vector<double> adding;
    onEveryJournal(folder, [&](QSqlDatabase &db) {
        adding.push_back(bench::elapsedMs([&] { bench::require(!AddLookupIndexes(db).isValid(), "no index"); }));
    });
    std::sort(adding.begin(), adding.end());
    std::printf("  the indexes added to a journal of %d answers (once, as a game starts): median %.1f ms, max %.1f ms\n",
                kAnswers / kJournals, adding[adding.size() / 2], adding.back());
    return bench::printLimit("lookup with the indexes (median)", indexed.median(), kTargetMs) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runInTemporaryFolder(argc, argv, run);
}
