// The class's answers on the school's server: journals written by the game's own journal writer
// are loaded into a real server, and the server's analysis must give every figure the journals'
// analysis gives; a journal loaded twice is stored once; `tallory-results answers --server`
// prints what `answers PATH` prints.

#include "answeranalysis.h"
#include "answertally.h"
#include "classjournals.h"
#include "journalfiles.h"
#include "journalload.h"
#include "pgcluster.h"
#include "serveranswers.h"
#include "toolstest.h"

#include <QFileInfo>
#include <QMap>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace classjournals;
using toolstest::runTool;
using toolstest::u8;

namespace {

void expectSameQuestion(const QuestionFigures &s, const QuestionFigures &j)
{
    SCOPED_TRACE(("level " + QString::number(j.level) + " " + j.question).toStdString());
    EXPECT_EQ(s.level, j.level);
    EXPECT_EQ(s.bankIndex, j.bankIndex);
    EXPECT_EQ(s.sha256, j.sha256);
    EXPECT_EQ(s.question, j.question);
    EXPECT_EQ(s.answers, j.answers);
    EXPECT_EQ(s.asked, j.asked);
    EXPECT_EQ(s.answered, j.answered);
    EXPECT_EQ(s.chosen, j.chosen);
    EXPECT_EQ(s.medianMs, j.medianMs);
    EXPECT_EQ(s.quickRight, j.quickRight);
    EXPECT_EQ(s.fiftyFifty, j.fiftyFifty);
    EXPECT_EQ(s.audience, j.audience);
    EXPECT_EQ(s.friendCalls, j.friendCalls);
    EXPECT_EQ(s.rightOnButton, j.rightOnButton);
    ASSERT_EQ(s.flags.size(), j.flags.size());
    for (qsizetype f = 0; f < j.flags.size(); ++f) {
        EXPECT_EQ(s.flags[f].kind, j.flags[f].kind);
        EXPECT_EQ(s.flags[f].reason, j.flags[f].reason);
    }
}

void expectSameGame(const JournalGame &s, const JournalGame &j)
{
    SCOPED_TRACE(j.student.toStdString());
    EXPECT_EQ(s.id, j.id);
    EXPECT_EQ(s.lesson, j.lesson);
    EXPECT_EQ(s.student, j.student);
    EXPECT_EQ(s.machine, j.machine);
    EXPECT_EQ(s.bankFile, j.bankFile);
    EXPECT_EQ(s.bankSha256, j.bankSha256);
    EXPECT_EQ(s.started, j.started);
    EXPECT_EQ(s.ended, j.ended);
    EXPECT_EQ(s.ending, j.ending);
    EXPECT_EQ(s.levelsPassed, j.levelsPassed);
    EXPECT_EQ(s.grade, j.grade);
}

void expectSameAnswers(const QList<JournalAnswer> &s, const QList<JournalAnswer> &j)
{
    ASSERT_EQ(s.size(), j.size());
    for (qsizetype i = 0; i < j.size(); ++i) {
        EXPECT_EQ(s[i].game, j[i].game);
        EXPECT_EQ(s[i].level, j[i].level);
        EXPECT_EQ(s[i].bankIndex, j[i].bankIndex);
        EXPECT_EQ(s[i].questionSha256, j[i].questionSha256);
        EXPECT_EQ(s[i].shown, j[i].shown);
        EXPECT_EQ(s[i].question, j[i].question);
        EXPECT_EQ(s[i].answers, j[i].answers);
        EXPECT_EQ(s[i].rightButton, j[i].rightButton);
        EXPECT_EQ(s[i].clickedButton, j[i].clickedButton);
        EXPECT_EQ(s[i].chosen, j[i].chosen);
        EXPECT_EQ(s[i].ms, j[i].ms);
        EXPECT_EQ(s[i].fiftyBlanked, j[i].fiftyBlanked);
        EXPECT_EQ(s[i].votes, j[i].votes);
        EXPECT_EQ(s[i].friendReply, j[i].friendReply);
        EXPECT_EQ(s[i].tease, j[i].tease);
    }
}

void expectSameAnalysis(const LessonAnalysis &s, const LessonAnalysis &j)
{
    EXPECT_EQ(s.lesson, j.lesson);
    EXPECT_EQ(s.answers, j.answers);
    ASSERT_EQ(s.questions.size(), j.questions.size());
    for (qsizetype q = 0; q < j.questions.size(); ++q)
        expectSameQuestion(s.questions[q], j.questions[q]);
    for (size_t l = 1; l <= 15; ++l) {
        EXPECT_EQ(s.levels[l].level, j.levels[l].level);
        EXPECT_EQ(s.levels[l].reached, j.levels[l].reached) << "level " << l;
        EXPECT_EQ(s.levels[l].passed, j.levels[l].passed) << "level " << l;
    }
    ASSERT_EQ(s.games.size(), j.games.size());
    for (qsizetype g = 0; g < j.games.size(); ++g)
        expectSameGame(s.games[g].game, j.games[g].game);
}

// Two machines' journals of the class (and the ladder lesson) in a lab folder, loaded into the
// server by the teacher's role.
class ServerAnswersTest : public pgtest::ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        if (IsSkipped())
            return;
        initSchema();
        Writer even(lab, QStringLiteral("ПК-1"));
        Writer odd(lab, QStringLiteral("ПК-2"));
        odd.wall += 30000; // the two machines' clocks never give two rows one time
        WriteClass([&](int game) -> Writer & { return game % 2 ? odd : even; });
        WriteLadder(even, 60);
    }

    void loadLab()
    {
        teacher = connect(service("teacher"));
        ASSERT_TRUE(teacher);
        QSqlDatabase db = teacher->database();
        for (const QString &file : JournalFiles(lab)) {
            const auto loaded = LoadJournalToServer(db, file);
            ASSERT_TRUE(loaded.ok()) << loaded.error.toStdString();
        }
    }

    int rows(const char *table)
    {
        const auto owner = connect(service("owner"));
        QSqlQuery q(owner->database());
        if (!q.exec(QStringLiteral("SELECT count(*) FROM tallory.%1").arg(QLatin1String(table))) || !q.next())
            return -1;
        return q.value(0).toInt();
    }

    QTemporaryDir tmp;
    QString lab = tmp.filePath(QStringLiteral("lab")) + QLatin1Char('/');
    std::unique_ptr<ServerConnection> teacher;
};

} // namespace

TEST_F(ServerAnswersTest, ServerGivesTheJournalsFiguresFieldByField)
{
    loadLab();
    const AnswerArchive journals(JournalFiles(lab));
    const ServerAnswers server(teacher->database(), service("teacher"));
    ASSERT_EQ(server.lessons(), journals.lessons());
    ASSERT_EQ(server.lessons(), (QStringList{QStringLiteral("ЛЕСТНИЦА"), kLesson}));
    AnalysisSettings settings;
    settings.quickMs = 1200; // a threshold of the teacher's reaches the server's count too
    for (const QString &lesson : journals.lessons()) {
        SCOPED_TRACE(lesson.toStdString());
        const LessonAnalysis fromServer = server.analyse(lesson, settings);
        const LessonAnalysis fromJournals = journals.analyse(lesson, settings);
        ASSERT_TRUE(server.problems().isEmpty()) << server.problems().front().problem.toStdString();
        ASSERT_FALSE(fromJournals.questions.isEmpty());
        expectSameAnalysis(fromServer, fromJournals);
        EXPECT_EQ(QuestionTableCsv(fromServer), QuestionTableCsv(fromJournals));
        const auto movesServer = ProposeLevels(fromServer, settings);
        const auto movesJournals = ProposeLevels(fromJournals, settings);
        ASSERT_EQ(movesServer.size(), movesJournals.size());
        for (qsizetype m = 0; m < movesJournals.size(); ++m)
            EXPECT_EQ(movesServer[m].reason, movesJournals[m].reason);
        for (qsizetype g = 0; g < fromJournals.games.size(); ++g) {
            const auto pathServer = server.path(fromServer.games[g]);
            const auto pathJournals = journals.path(fromJournals.games[g]);
            ASSERT_TRUE(pathServer.ok()) << pathServer.error.toStdString();
            ASSERT_TRUE(pathJournals.ok());
            expectSameAnswers(pathServer.value, pathJournals.value);
        }
    }
}

// The journals' statement and the server's on the same rows: every count, time and latest row
// of every question alike, so that the one fold gives the same figures from either.
TEST_F(ServerAnswersTest, BothTallyStatementsAddUpTheSameRowsAlike)
{
    loadLab();
    const auto key = [](const QuestionTally &t) { return QString::number(t.level) + QLatin1Char(':') + t.sha256; };
    for (const QString &lesson : {kLesson, QStringLiteral("ЛЕСТНИЦА")}) {
        SCOPED_TRACE(lesson.toStdString());
        QMap<QString, QuestionTally> journals;
        std::array<int, 16> journalsLeft{};
        for (const QString &file : JournalFiles(lab)) {
            const auto reader = JournalReader::open(file);
            ASSERT_TRUE(reader.ok());
            const auto tally = TallyLesson(reader.value->database(), lesson);
            ASSERT_TRUE(tally.ok()) << tally.error.toStdString();
            for (size_t l = 0; l < 16; ++l)
                journalsLeft[l] += tally.value.leftOnScreen[l];
            for (const QuestionTally &t : tally.value.questions) {
                QuestionTally &sum = journals[key(t)];
                const QuestionTally before = sum;
                sum = t;
                sum.asked += before.asked;
                sum.answered += before.answered;
                sum.fiftyFifty += before.fiftyFifty;
                sum.audience += before.audience;
                sum.friendCalls += before.friendCalls;
                for (size_t k = 0; k <= 4; ++k) {
                    sum.chosen[k] += before.chosen[k];
                    sum.rightOnButton[k] += before.rightOnButton[k];
                    sum.latest[k] = std::max(sum.latest[k], before.latest[k]);
                }
                sum.rightMs.insert(sum.rightMs.end(), before.rightMs.begin(), before.rightMs.end());
                sum.otherMs.insert(sum.otherMs.end(), before.otherMs.begin(), before.otherMs.end());
            }
        }
        QSqlQuery q(teacher->database());
        ASSERT_TRUE(q.prepare(LessonTallySql(TallyDialect::PostgreSql)));
        q.addBindValue(lesson);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
        const QList<QuestionTally> server = ReadTallyRows(q);
        ASSERT_EQ(server.size(), journals.size());
        ASSERT_FALSE(server.isEmpty());
        for (QuestionTally s : server) {
            SCOPED_TRACE(key(s).toStdString());
            ASSERT_TRUE(journals.contains(key(s)));
            QuestionTally j = journals.value(key(s));
            EXPECT_EQ(s.asked, j.asked);
            EXPECT_EQ(s.answered, j.answered);
            EXPECT_EQ(s.chosen, j.chosen);
            EXPECT_EQ(s.rightOnButton, j.rightOnButton);
            EXPECT_EQ(s.fiftyFifty, j.fiftyFifty);
            EXPECT_EQ(s.audience, j.audience);
            EXPECT_EQ(s.friendCalls, j.friendCalls);
            for (auto *ms : {&s.rightMs, &s.otherMs, &j.rightMs, &j.otherMs})
                std::sort(ms->begin(), ms->end());
            EXPECT_EQ(s.rightMs, j.rightMs);
            EXPECT_EQ(s.otherMs, j.otherMs);
            EXPECT_EQ(s.latest, j.latest);
            EXPECT_TRUE(s.texts.has_value()) << "the server reads the texts along";
        }
        ASSERT_TRUE(q.prepare(LeftOnScreenSql(TallyDialect::PostgreSql)));
        q.addBindValue(lesson);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
        std::array<int, 16> serverLeft{};
        ReadLeftOnScreen(q, serverLeft);
        EXPECT_EQ(serverLeft, journalsLeft);
    }
}

TEST_F(ServerAnswersTest, UnfinishedGameStaysUnfinishedOnTheServer)
{
    loadLab();
    const ServerAnswers server(teacher->database(), service("teacher"));
    const LessonAnalysis a = server.analyse(kLesson);
    const auto unfinished = std::count_if(a.games.begin(), a.games.end(), [](const GamePath &g) { return g.unfinished(); });
    EXPECT_EQ(unfinished, 1);
    // Left with the level 4 question on screen: reached, though no row of it says so.
    EXPECT_EQ(a.levels[4].reached, 4);
    EXPECT_EQ(rows("game_ends"), 20 + 60 - 1);
}

TEST_F(ServerAnswersTest, JournalLoadedTwiceStoresEachRowOnce)
{
    teacher = connect(service("teacher"));
    ASSERT_TRUE(teacher);
    QSqlDatabase db = teacher->database();
    const QString file = JournalFiles(lab).front();
    const auto first = LoadJournalToServer(db, file);
    ASSERT_TRUE(first.ok()) << first.error.toStdString();
    EXPECT_GT(first.value.games, 0);
    EXPECT_GT(first.value.answers, first.value.games);
    EXPECT_EQ(first.value.alreadyThere, 0);
    const int games = rows("games");
    const int ends = rows("game_ends");
    const int answers = rows("answers");
    EXPECT_EQ(games, first.value.games);
    EXPECT_EQ(ends, first.value.gameEnds);
    EXPECT_EQ(answers, first.value.answers);

    const auto second = LoadJournalToServer(db, file);
    ASSERT_TRUE(second.ok()) << second.error.toStdString();
    EXPECT_EQ(second.value.games, 0);
    EXPECT_EQ(second.value.gameEnds, 0);
    EXPECT_EQ(second.value.answers, 0);
    EXPECT_EQ(second.value.alreadyThere, games + ends + answers);
    EXPECT_EQ(rows("games"), games);
    EXPECT_EQ(rows("game_ends"), ends);
    EXPECT_EQ(rows("answers"), answers);
}

TEST_F(ServerAnswersTest, FailedLoadStoresNothingAndSaysWhy)
{
    // Without the right to add answers the load fails after the journal's games went in: they
    // must not stay, or a second load would find half a journal.
    ASSERT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral("REVOKE INSERT ON tallory.answers FROM tallory_teacher")}),
              QString());
    teacher = connect(service("teacher"));
    ASSERT_TRUE(teacher);
    QSqlDatabase db = teacher->database();
    const QString file = JournalFiles(lab).front();
    const auto loaded = LoadJournalToServer(db, file);
    ASSERT_FALSE(loaded.ok());
    EXPECT_TRUE(loaded.error.startsWith(QStringLiteral("Журнал «%1» не загружен, на сервер из него не записано ничего: "
                                                       "нет прав").arg(QFileInfo(file).fileName())))
        << loaded.error.toStdString();
    EXPECT_EQ(rows("games"), 0);
}

TEST_F(ServerAnswersTest, AnswersCommandPrintsFromTheServerWhatItPrintsFromJournals)
{
    loadLab();
    for (const QStringList &format : {QStringList{}, QStringList{QStringLiteral("--csv")}}) {
        const auto fromServer = runTool(QStringLiteral("tallory-results"),
                                        QStringList{QStringLiteral("answers"), QStringLiteral("--server"), service("teacher"),
                                                    QStringLiteral("--lesson"), QStringLiteral("физика")} + format,
                                        QDir::tempPath());
        const auto fromJournals = runTool(QStringLiteral("tallory-results"),
                                          QStringList{QStringLiteral("answers"), lab, QStringLiteral("--lesson"),
                                                      QStringLiteral("физика")} + format,
                                          QDir::tempPath());
        ASSERT_EQ(fromServer.exitCode, 0) << fromServer.err.toStdString();
        ASSERT_EQ(fromJournals.exitCode, 0) << fromJournals.err.toStdString();
        EXPECT_TRUE(fromServer.out.contains(u8(QStringLiteral("ФИЗИКА"))));
        EXPECT_EQ(fromServer.out, fromJournals.out);
    }
    const auto all = runTool(QStringLiteral("tallory-results"),
                             {QStringLiteral("answers"), QStringLiteral("--server"), service("teacher")}, QDir::tempPath());
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_TRUE(all.out.contains(u8(QStringLiteral("ЛЕСТНИЦА"))) && all.out.contains(u8(QStringLiteral("ФИЗИКА"))));
}

TEST_F(ServerAnswersTest, AnswersCommandNamesWhatIsWrong)
{
    loadLab();
    const auto run = [](const QStringList &args) {
        return runTool(QStringLiteral("tallory-results"), QStringList{QStringLiteral("answers")} + args, QDir::tempPath());
    };
    const auto noLesson = run({QStringLiteral("--server"), service("teacher"), QStringLiteral("--lesson"), QStringLiteral("химия")});
    EXPECT_EQ(noLesson.exitCode, 1);
    EXPECT_EQ(noLesson.err, u8(QStringLiteral("Занятия «ХИМИЯ» на сервере «%1» нет.\n").arg(service("teacher"))));
    const auto unknown = run({QStringLiteral("--server"), QStringLiteral("nosuchservice")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains(u8(QStringLiteral("nosuchservice")))) << unknown.err.toStdString();
    const auto both = run({lab, QStringLiteral("--server"), service("teacher")});
    EXPECT_EQ(both.exitCode, 2);
    // A server whose schema is newer than this program knows: the schema check says so.
    ASSERT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral("INSERT INTO tallory.schema_history (version) VALUES (99)")}),
              QString());
    const auto newer = run({QStringLiteral("--server"), service("teacher")});
    EXPECT_EQ(newer.exitCode, 1);
    EXPECT_TRUE(newer.err.contains(u8(QStringLiteral("99")))) << newer.err.toStdString();
    EXPECT_TRUE(newer.out.isEmpty());
}

TEST_F(ServerAnswersTest, LoadCommandTakesAFoldersJournalsOnceAndGivesTheSameFigures)
{
    const auto load = [&] {
        return runTool(QStringLiteral("tallory-results"),
                       {QStringLiteral("server"), QStringLiteral("load"), service("teacher"), lab}, QDir::tempPath());
    };
    const auto first = load();
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.out.count(u8(QStringLiteral("Загружено игр: "))), JournalFiles(lab).size()) << first.out.toStdString();
    const int answers = rows("answers");
    EXPECT_GT(answers, 0);
    const auto second = load();
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(second.out.contains(u8(QStringLiteral("Загружено игр: 0, концов игр: 0, ответов: 0;"))))
        << second.out.toStdString();
    EXPECT_EQ(rows("answers"), answers);

    const auto fromServer = runTool(QStringLiteral("tallory-results"),
                                    {QStringLiteral("answers"), QStringLiteral("--server"), service("teacher")},
                                    QDir::tempPath());
    const auto fromJournals = runTool(QStringLiteral("tallory-results"), {QStringLiteral("answers"), lab}, QDir::tempPath());
    ASSERT_EQ(fromServer.exitCode, 0) << fromServer.err.toStdString();
    EXPECT_EQ(fromServer.out, fromJournals.out);
}
