// The analysis of the answer journals: figures, flags, the funnel, paths, merging machines,
// unreadable journals, proposed levels and the CSV, on journals written with known answers.

#include "answeranalysis.h"
#include "classjournals.h"
#include "journalschema.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using namespace classjournals;

// Readable failures.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

using Counts = std::array<int, 5>;

QList<QuestionFlagKind> kinds(const QuestionFigures &q)
{
    QList<QuestionFlagKind> out;
    for (const QuestionFlag &f : q.flags)
        out << f.kind;
    return out;
}

class AnswerAnalysis : public ::testing::Test
{
protected:
    QString folder(const QString &name) const { return tmp.filePath(name) + QLatin1Char('/'); }

    /// The class written by one machine into a program folder of its own.
    QString oneMachine(const QString &name = QStringLiteral("one"))
    {
        Writer pc(folder(name), QStringLiteral("ПК-1"));
        WriteClass([&](int) -> Writer & { return pc; });
        return folder(name);
    }

    const QuestionFigures &find(const LessonAnalysis &a, const Question &q)
    {
        for (const QuestionFigures &f : a.questions) {
            if (f.level == q.level && f.question == cp1251::decode(q.text))
                return f;
        }
        ADD_FAILURE() << "no question " << cp1251::decode(q.text).toStdString();
        static const QuestionFigures none;
        return none;
    }

    QTemporaryDir tmp;
};

} // namespace

TEST_F(AnswerAnalysis, FiguresOfEveryQuestionAreTheAnswersGiven)
{
    const AnswerArchive archive(JournalFilesOf(oneMachine()));
    EXPECT_TRUE(archive.problems().isEmpty());
    EXPECT_EQ(archive.lessons(), QStringList{kLesson});
    const LessonAnalysis a = archive.analyse(kLesson);
    ASSERT_EQ(a.questions.size(), 5);
    EXPECT_EQ(a.answers, 20 + 10 + 9 + 14 + 3);
    const QuestionFigures &q1 = a.questions[0];
    EXPECT_EQ(q1.question, QStringLiteral("Что измеряют в амперах?"));
    EXPECT_EQ(q1.asked, 20);
    EXPECT_EQ(q1.answered, 20);
    EXPECT_EQ(q1.chosen, (Counts{0, 19, 1, 0, 0}));
    // Twelve right in 500..610 ms, seven in 3200..3800, one wrong in 3000: the middle two are 590 and 600.
    EXPECT_EQ(q1.medianMs, 595);
    EXPECT_EQ(q1.quickRight, 12);
    EXPECT_EQ(q1.rightOnButton, (Counts{0, 5, 5, 5, 5}));
    // The wrong answers nobody chose are not known to the journal.
    EXPECT_EQ(q1.answers[1], QStringLiteral("Силу тока"));
    EXPECT_EQ(q1.answers[2], QStringLiteral("Напряжение"));
    EXPECT_EQ(q1.answers[3], QString());
    const QuestionFigures &q2b = find(a, Q2b());
    EXPECT_EQ(q2b.bankIndex, 1);
    EXPECT_EQ(q2b.chosen, (Counts{0, 4, 3, 2, 0}));
    EXPECT_EQ(q2b.medianMs, 2200);
    EXPECT_EQ(q2b.answers[3], QStringLiteral("Омметром"));
    EXPECT_NEAR(q2b.rightShare(), 4.0 / 9, 1e-9);
    const QuestionFigures &q3 = find(a, Q3());
    EXPECT_EQ(q3.asked, 14); // the stop on it included
    EXPECT_EQ(q3.answered, 13);
    EXPECT_EQ(q3.chosen, (Counts{0, 4, 7, 2, 0}));
    EXPECT_EQ(q3.medianMs, 3700);
    EXPECT_EQ(q3.fiftyFifty, 2);
    EXPECT_EQ(q3.audience, 1);
    EXPECT_EQ(q3.friendCalls, 1);
    const QuestionFigures &q4 = find(a, Q4());
    EXPECT_EQ(q4.asked, 3);
    EXPECT_EQ(q4.answered, 0);
    EXPECT_EQ(q4.medianMs, -1);
}

TEST_F(AnswerAnalysis, EveryFlagComesWithItsFigures)
{
    const AnswerArchive archive(JournalFilesOf(oneMachine()));
    const LessonAnalysis a = archive.analyse(kLesson);
    // Level 1: 95 % right against 74 % on level 2 (within the margin), but twelve of twenty right
    // in under a second.
    ASSERT_EQ(kinds(find(a, Q1())), QList<QuestionFlagKind>{QuestionFlagKind::Guessable});
    EXPECT_EQ(find(a, Q1()).flags[0].reason,
              QStringLiteral("Верно и быстрее чем за 1000 мс ответили 12 из 20 (60 %), больше порога 50 %: "
                             "ответ, похоже, угадывается или подсказан самим вопросом."));
    // All right against the mean of 95, 44 and 31 %.
    EXPECT_EQ(kinds(find(a, Q2a())), QList<QuestionFlagKind>{QuestionFlagKind::Easier});
    // Nine answers are too few to judge by the default ten; with nine allowed, 44 % right is far
    // below the mean of 95, 100 and 31 %.
    EXPECT_TRUE(find(a, Q2b()).flags.isEmpty());
    LessonAnalysis nine = a;
    FlagQuestions(nine, AnalysisSettings{9, 0.25, 1000, 0.5, 20});
    ASSERT_EQ(kinds(find(nine, Q2b())), QList<QuestionFlagKind>{QuestionFlagKind::Harder});
    EXPECT_EQ(find(nine, Q2b()).flags[0].reason,
              QStringLiteral("Верно ответили 44 % (4 из 9), а на уровне 2 и соседних — в среднем 75 %: "
                             "ниже на 31 п. п. (порог 25 п. п.)."));
    const QuestionFigures &q3 = find(a, Q3());
    ASSERT_EQ(kinds(q3), (QList<QuestionFlagKind>{QuestionFlagKind::WrongBeatsRight, QuestionFlagKind::Harder}));
    EXPECT_EQ(q3.flags[0].reason,
              QStringLiteral("Неверный ответ 1 «В вольтах» выбран чаще верного: 54 % ответов (7 из 13), а верный "
                             "ответ «В кулонах» — 31 % (4 из 13). До этого вопроса доходят только те, кто верно "
                             "ответил на все вопросы ниже, так что дело, скорее всего, не в слабом классе, а в "
                             "неверном ключе или двусмысленном вопросе."));
    EXPECT_TRUE(find(a, Q4()).flags.isEmpty()); // never answered

    // The teacher's thresholds: flagged anew without reading the journals.
    LessonAnalysis wider = a;
    FlagQuestions(wider, AnalysisSettings{9, 0.5, 1000, 0.6, 20});
    EXPECT_TRUE(find(wider, Q1()).flags.isEmpty());  // 60 % quick is not more than 60 %
    EXPECT_TRUE(find(wider, Q2b()).flags.isEmpty()); // 31 points is within 50
    EXPECT_EQ(kinds(find(wider, Q3())), QList<QuestionFlagKind>{QuestionFlagKind::WrongBeatsRight});
    FlagQuestions(wider, AnalysisSettings{14, 0.25, 1000, 0.5, 20});
    EXPECT_TRUE(find(wider, Q3()).flags.isEmpty()); // 13 answers are too few to judge
    EXPECT_FALSE(find(wider, Q1()).flags.isEmpty());
}

TEST_F(AnswerAnalysis, FunnelCountsWhoReachedAndPassedEachLevel)
{
    const LessonAnalysis a = AnswerArchive(JournalFilesOf(oneMachine())).analyse(kLesson);
    const std::pair<int, int> expected[] = {{0, 0}, {20, 19}, {19, 14}, {14, 4}, {4, 0}, {0, 0}};
    for (int level = 1; level <= 5; ++level) {
        EXPECT_EQ(a.levels[static_cast<size_t>(level)].level, level);
        EXPECT_EQ(a.levels[static_cast<size_t>(level)].reached, expected[level].first) << level;
        EXPECT_EQ(a.levels[static_cast<size_t>(level)].passed, expected[level].second) << level;
    }
}

TEST_F(AnswerAnalysis, UnfinishedGameIsShownAsSuchWithItsPath)
{
    const AnswerArchive archive(JournalFilesOf(oneMachine()));
    const LessonAnalysis a = archive.analyse(kLesson);
    ASSERT_EQ(a.games.size(), 20);
    QList<GamePath> unfinished;
    for (const GamePath &g : a.games) {
        if (g.unfinished())
            unfinished << g;
    }
    ASSERT_EQ(unfinished.size(), 1);
    EXPECT_EQ(unfinished[0].game.student, QStringLiteral("УЧЕНИК 4"));
    EXPECT_EQ(a.games[0].game.student, QStringLiteral("УЧЕНИК 1")); // by start time
    EXPECT_EQ(a.games[0].game.ending, GameEnding::Stop);
    const auto path = archive.path(unfinished[0]);
    ASSERT_TRUE(path.ok()) << path.error.toStdString();
    ASSERT_EQ(path.value.size(), 3); // levels 1 to 3 answered, level 4 left on screen
    EXPECT_EQ(path.value[2].question, QStringLiteral("В чём измеряют заряд?"));
    EXPECT_EQ(path.value[2].chosen, 1);
    EXPECT_EQ(path.value[2].ms, 2500);
}

TEST_F(AnswerAnalysis, TwoMachinesMergeIntoTheFiguresOfOne)
{
    const LessonAnalysis one = AnswerArchive(JournalFilesOf(oneMachine())).analyse(kLesson);
    Writer even(folder(QStringLiteral("lab")), QStringLiteral("ПК-1"));
    Writer odd(folder(QStringLiteral("lab")), QStringLiteral("ПК-2"));
    odd.wall += 1000; // УЧЕНИК 2 starts a second after УЧЕНИК 1
    WriteClass([&](int game) -> Writer & { return game % 2 ? odd : even; });
    const QStringList files = JournalFilesOf(tmp.filePath(QStringLiteral("lab")));
    ASSERT_EQ(files.size(), 2);
    const LessonAnalysis two = AnswerArchive(files).analyse(kLesson);
    ASSERT_EQ(two.questions.size(), one.questions.size());
    for (qsizetype i = 0; i < one.questions.size(); ++i) {
        const QuestionFigures &x = one.questions[i];
        const QuestionFigures &y = two.questions[i];
        EXPECT_EQ(y.question, x.question);
        EXPECT_EQ(y.asked, x.asked) << i;
        EXPECT_EQ(y.chosen, x.chosen) << i;
        EXPECT_EQ(y.medianMs, x.medianMs) << i; // over the times of both machines
        EXPECT_EQ(y.quickRight, x.quickRight) << i;
        EXPECT_EQ(y.rightOnButton, x.rightOnButton) << i;
        EXPECT_EQ(y.answers, x.answers) << i;
        EXPECT_EQ(kinds(y), kinds(x)) << i;
    }
    for (size_t level = 1; level <= 15; ++level) {
        EXPECT_EQ(two.levels[level].reached, one.levels[level].reached);
        EXPECT_EQ(two.levels[level].passed, one.levels[level].passed);
    }
    ASSERT_EQ(two.games.size(), 20);
    EXPECT_EQ(two.games[0].file, files[0]); // УЧЕНИК 1 played on ПК-1
    EXPECT_EQ(two.games[1].file, files[1]);
}

TEST_F(AnswerAnalysis, JournalsAreFoundInAProgramFolderAJournalFolderOrAsAFile)
{
    const QString program = oneMachine();
    const QString file = JournalFilePath(program, QStringLiteral("ПК-1"));
    EXPECT_EQ(JournalFilesOf(program), QStringList{file});
    EXPECT_EQ(JournalFilesOf(JournalFolder(program)), QStringList{file});
    EXPECT_EQ(JournalFilesOf(file), QStringList{file});
    EXPECT_EQ(JournalFilesOf(tmp.filePath(QStringLiteral("nowhere"))), QStringList{});
}

TEST_F(AnswerAnalysis, FollowsGamesWrittenSinceItWasOpened)
{
    Writer pc(folder(QStringLiteral("lab")), QStringLiteral("ПК-1"));
    WriteClass([&](int) -> Writer & { return pc; });
    const AnswerArchive archive(JournalFilesOf(folder(QStringLiteral("lab"))));
    EXPECT_EQ(archive.analyse(kLesson).questions[0].asked, 20);
    pc.start(kLesson, QStringLiteral("ОПОЗДАВШИЙ"));
    pc.show(Q1());
    pc.click(3, 700);
    pc.end(GameEnding::Wrong, 1);
    const LessonAnalysis later = archive.analyse(kLesson);
    EXPECT_EQ(later.questions[0].asked, 21);
    EXPECT_EQ(later.questions[0].chosen, (Counts{0, 19, 1, 1, 0}));
    EXPECT_EQ(later.questions[0].answers[3], QStringLiteral("Сопротивление"));
    EXPECT_EQ(later.games.size(), 21);
}

TEST_F(AnswerAnalysis, UnreadableJournalsAreProblemsAndTheRestIsRead)
{
    const QString lab = oneMachine(QStringLiteral("lab"));
    const QString journals = JournalFolder(lab);
    QFile damaged(journals + QStringLiteral("ПК-2.sqlite"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(8192, 'x'));
    damaged.close();
    ASSERT_TRUE(QFile::copy(journals + QStringLiteral("ПК-1.sqlite"), journals + QStringLiteral("ПК-3.sqlite")));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
        db.setDatabaseName(journals + QStringLiteral("ПК-3.sqlite"));
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = %1").arg(kJournalSchemaVersion + 1));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("newer"));
    const QStringList files = JournalFilesOf(lab);
    ASSERT_EQ(files.size(), 3);
    const AnswerArchive archive(files);
    ASSERT_EQ(archive.problems().size(), 2);
    EXPECT_EQ(archive.problems()[0].file, files[1]);
    EXPECT_TRUE(archive.problems()[0].problem.startsWith(QStringLiteral("Журнал «ПК-2.sqlite» не "))) 
        << archive.problems()[0].problem.toStdString();
    EXPECT_EQ(archive.problems()[1].file, files[2]);
    EXPECT_EQ(archive.problems()[1].problem,
              QStringLiteral("Журнал «ПК-3.sqlite» записан более новой версией программы (версия %1); "
                             "обновите программу.")
                  .arg(kJournalSchemaVersion + 1));
    const LessonAnalysis a = archive.analyse(kLesson);
    EXPECT_EQ(a.questions[0].asked, 20); // ПК-1 alone, counted once
    EXPECT_EQ(a.games.size(), 20);
}

TEST_F(AnswerAnalysis, ProposedMovesPutPlantedQuestionsWhereTheLadderClimbs)
{
    Writer pc(folder(QStringLiteral("lab")), QStringLiteral("ПК-1"));
    WriteLadder(pc, 60);
    const LessonAnalysis a = AnswerArchive(JournalFilesOf(folder(QStringLiteral("lab")))).analyse(
        QStringLiteral("ЛЕСТНИЦА"));
    ASSERT_EQ(a.questions.size(), 15);
    const QList<LevelMove> moves = ProposeLevels(a);
    ASSERT_EQ(moves.size(), 2);
    EXPECT_EQ(moves[0].question, QStringLiteral("Вопрос 1.3"));
    EXPECT_EQ(moves[0].bankIndex, 2);
    EXPECT_EQ(moves[0].fromLevel, 1);
    EXPECT_EQ(moves[0].toLevel, 5);
    EXPECT_EQ(moves[0].answered, 20);
    EXPECT_EQ(moves[0].reason,
              QStringLiteral("Верно ответили 30 % (6 из 20) — так отвечают на уровне 5 (обычно 30 %), а на уровне 1 "
                             "обычно 90 %. Ответов 20, нужно не меньше 20: при стольких ответах доля случайно "
                             "колеблется не больше чем на 22 п. п., меньше порога 25 п. п., так что разница не "
                             "случайна."));
    EXPECT_EQ(moves[1].question, QStringLiteral("Вопрос 5.2"));
    EXPECT_EQ(moves[1].fromLevel, 5);
    EXPECT_EQ(moves[1].toLevel, 1);
    // After the moves each level's median share is no higher than the level's below.
    std::array<std::vector<double>, 16> shares{};
    for (const QuestionFigures &q : a.questions) {
        int level = q.level;
        for (const LevelMove &m : moves) {
            if (m.sha256 == q.sha256)
                level = m.toLevel;
        }
        shares[static_cast<size_t>(level)].push_back(q.rightShare());
    }
    double above = 1.0;
    for (size_t level = 1; level <= 5; ++level) {
        std::vector<double> &s = shares[level];
        ASSERT_EQ(s.size(), 3u) << level;
        std::sort(s.begin(), s.end());
        EXPECT_LE(s[1], above) << level;
        above = s[1];
    }
}

TEST_F(AnswerAnalysis, NoMovesFromTooFewAnswers)
{
    Writer pc(folder(QStringLiteral("lab")), QStringLiteral("ПК-1"));
    WriteLadder(pc, 57); // 19 answers to each question, one short
    const LessonAnalysis a = AnswerArchive(JournalFilesOf(folder(QStringLiteral("lab")))).analyse(
        QStringLiteral("ЛЕСТНИЦА"));
    EXPECT_EQ(a.questions[2].answered, 19);
    EXPECT_TRUE(ProposeLevels(a).isEmpty());
    AnalysisSettings fewer;
    fewer.minAnswersToMove = 19;
    EXPECT_EQ(ProposeLevels(a, fewer).size(), 2);
}

TEST_F(AnswerAnalysis, CsvIsForARussianSpreadsheetWithFormulasKeptAsText)
{
    const LessonAnalysis a = AnswerArchive(JournalFilesOf(oneMachine())).analyse(kLesson);
    const QByteArray csv = QuestionTableCsv(a);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const QList<QByteArray> lines = csv.mid(3).split('\n');
    ASSERT_EQ(lines.size(), 7); // titles, five questions, the empty rest after the last line end
    EXPECT_EQ(lines[0], QStringLiteral("Занятие;Уровень;№ в уровне;Вопрос;Верный ответ;Неверный ответ 1;"
                                       "Неверный ответ 2;Неверный ответ 3;Задан;Отвечен;Верно, %;Неверный 1, %;"
                                       "Неверный 2, %;Неверный 3, %;Медиана, мс;Верно и быстро;50:50;Зал;Друг;"
                                       "Верный на A;Верный на B;Верный на C;Верный на D;Флаги;Почему\r")
                            .toUtf8());
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("ФИЗИКА;2;1;'=Сколько ватт в киловатте?;1000;;;;10;10;100;0;0;0;"
                                                   "1500;0;0;0;0;5;0;5;0;лёгкий;Верно ответили 100 % (10 из 10)")
                                        .toUtf8()))
        << lines[2].toStdString();
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("ФИЗИКА;3;1;В чём измеряют заряд?;В кулонах;В вольтах;В омах;;"
                                                   "14;13;31;54;15;0;3700;0;2;1;1;")
                                        .toUtf8()))
        << lines[4].toStdString();
    EXPECT_TRUE(lines[4].contains(QStringLiteral(";ключ?, трудный;Неверный ответ 1").toUtf8()));
    EXPECT_EQ(lines[6], "");
}

TEST_F(AnswerAnalysis, AChangeOfLessonGivesWhatAFreshArchiveGives)
{
    Writer pc(folder(QStringLiteral("lab")), QStringLiteral("ПК-1"));
    WriteClass([&](int) -> Writer & { return pc; });
    WriteLadder(pc, 60);
    const QStringList files = JournalFilesOf(folder(QStringLiteral("lab")));
    // The first analysis starts reading the other lesson in the background; the second comes
    // while it reads or after, and must not differ from a lesson read on its own.
    const AnswerArchive archive(files);
    archive.analyse(kLesson);
    const LessonAnalysis changed = archive.analyse(QStringLiteral("ЛЕСТНИЦА"));
    const LessonAnalysis fresh = AnswerArchive(files).analyse(QStringLiteral("ЛЕСТНИЦА"));
    ASSERT_EQ(changed.questions.size(), 15);
    ASSERT_EQ(fresh.questions.size(), 15);
    for (qsizetype i = 0; i < 15; ++i) {
        EXPECT_EQ(changed.questions[i].question, fresh.questions[i].question);
        EXPECT_EQ(changed.questions[i].chosen, fresh.questions[i].chosen);
        EXPECT_EQ(changed.questions[i].medianMs, fresh.questions[i].medianMs);
    }
    EXPECT_EQ(changed.games.size(), 60);
    EXPECT_EQ(archive.analyse(kLesson).answers, 56); // and back
}
