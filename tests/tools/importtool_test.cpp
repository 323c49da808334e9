// tallory-bank import run as a teacher runs it, the command lines of both tools, and the round
// trip: a source imported into a bank, and the game's own LoadFaq serving its questions.

#include "faq.h"
#include "importbank.h"
#include "importtest.h"
#include "randomsource.h"

#include <QFileInfo>
#include <QTemporaryDir>

using namespace importtest;
using namespace toolstest;

namespace {

// The first pick of a level without a stored counter is its first line.
class FirstLine final : public RandomSource
{
public:
    int below(int) override { return 0; }
};

class ImportToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = qgetenv("XDG_CONFIG_HOME"); // LoadFaq keeps its counters there
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("cfg")).toUtf8());
        for (const char *name : {"chemistry.gift", "geography-1251.txt", "history.csv"})
            writeBytes(dir.filePath(QString::fromUtf8(name)), fixture(name));
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved); }

    ToolRun bank(const QStringList &args) { return runTool(QStringLiteral("tallory-bank"), args, dir.path()); }
    QStringList errLines(const ToolRun &run) { return QString::fromUtf8(run.err).split('\n', Qt::SkipEmptyParts); }

    // Every question LoadFaq serves for the level, one after another, as the game asks them.
    QStringList served(const FaqText &faq, int level, int count)
    {
        FirstLine random;
        std::vector<QByteArrayView> faqStr;
        QStringList lines;
        for (int i = 0; i < count; ++i)
            lines.append(cp1251::decode(LoadFaq(faq, level, faqStr, random, QStringLiteral("t.faq")).value));
        return lines;
    }

    QTemporaryDir dir;
    QByteArray saved;
};

QStringList linesOfLevel(const ImportOutcome &imported, int level, int defaultLevel)
{
    QStringList lines;
    for (const ImportedQuestion &q : imported.taken) {
        if ((q.level > 0 ? q.level : defaultLevel) == level)
            lines.append(QuestionLine(q.fields));
    }
    return lines;
}

} // namespace

TEST_F(ImportToolTest, GiftFileBecomesABankAndEveryQuestionLeftOutIsListed)
{
    const ToolRun run = bank({"import", "chemistry.gift", "chemistry.faq"});
    EXPECT_EQ(run.exitCode, 0);
    const QString out = QString::fromUtf8(run.out);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Вопросник «chemistry.faq» записан: 12 вопросов из «chemistry.gift» "
                                              "(GIFT), не взято: 9.\nУровень  1: 7 вопросов\nУровень  2: 4 вопроса\n"
                                              "Уровень  3: 1 вопрос\nУровень  4: 0 вопросов\n"))) << run.out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Без своего уровня: 3 вопроса, помещены в уровень 1 (другой уровень задаёт "
                                            "--level N).\n")));
    const QStringList err = errLines(run);
    ASSERT_EQ(err.size(), 9) << run.err.toStdString();
    EXPECT_EQ(err[0], QStringLiteral("chemistry.gift:18: предупреждение: вопрос «Вода кипит при 100 °C на уровне моря.» "
                                     "не взят: вопрос «верно/неверно» ({T} или {F}): в игре нужны один верный и три "
                                     "неверных ответа"));
    EXPECT_TRUE(err[8].startsWith(QStringLiteral("chemistry.gift:53: предупреждение: вопрос «цинк реагирует")));
}

TEST_F(ImportToolTest, TitleComesBackAsTheBanksNotes)
{
    ASSERT_EQ(bank({"import", "chemistry.gift", "chemistry.faq"}).exitCode, 0);
    const ToolRun unpacked = bank({"unpack", "chemistry.faq"});
    EXPECT_TRUE(QString::fromUtf8(unpacked.out).startsWith(QStringLiteral(
        "Химия, 8 класс: вещества и реакции\nСоставила Н. В. Петрова\n[1]\n")))
        << unpacked.out.toStdString();
    const ToolRun checked = bank({"check", "chemistry.faq"});
    EXPECT_TRUE(checked.out.contains(u8(QStringLiteral("chemistry.faq:1: заметка: Химия, 8 класс"))));
    EXPECT_TRUE(checked.out.contains(u8(QStringLiteral("Уровень  2: 4 вопроса"))));
}

TEST_F(ImportToolTest, WhatATakenQuestionLeftBehindIsListedWithItsLine)
{
    writeBytes(dir.filePath("moodle.gift"), fixture("moodle-chemistry.gift"));
    const ToolRun run = bank({"import", "moodle.gift", "moodle.faq", "--level", "7"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(errLines(run), QStringList({
        QStringLiteral("moodle.gift:51: предупреждение: вопрос «Как называется прибор на рисунке?» взят, но картинка не "
                       "перенесена (kolba.png)"),
        QStringLiteral("moodle.gift:60: предупреждение: вопрос «Выберите кислоты.» не взят: веса ответов не выделяют один "
                       "верный: «HCl» — 50 %, «H2SO4» — 50 % (в игре один ответ верный — 100 %, остальные неверные — 0 % "
                       "или меньше)"),
        QStringLiteral("moodle.gift:82: предупреждение: вопрос «Какова формула аммиака?» взят, но категория «$course$/top/По "
                       "умолчанию для Химия 9 класс/Неорганика/Уровень 20» кончается числом 20, а уровни — от 1 до 15: "
                       "уровень из неё не взят"),
    }));
    EXPECT_TRUE(run.out.contains(u8(QStringLiteral("Уровень  4: 7 вопросов\n"))));
    EXPECT_TRUE(run.out.contains(u8(QStringLiteral("Уровень  7: 1 вопрос\n"))));
    EXPECT_FALSE(run.out.contains(u8(QStringLiteral("заметки")))) << "Moodle's comments are no notes";
}

TEST_F(ImportToolTest, LevelOptionPlacesQuestionsWithoutALevelInAnyOrderOfArguments)
{
    const ToolRun run = bank({"--level", "5", "import", "geography-1251.txt", "--format", "aiken", "geo.faq"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(u8(QStringLiteral("Уровень  5: 12 вопросов\n"))));
    EXPECT_TRUE(run.out.contains(u8(QStringLiteral("помещены в уровень 5"))));
    EXPECT_EQ(errLines(run).size(), 5);
    const ToolRun csv = bank({"import", "history.csv", "history.faq", "--level=9"});
    EXPECT_TRUE(csv.out.contains(u8(QStringLiteral("Уровень  9: 1 вопрос\n")))) << csv.out.toStdString();
}

TEST_F(ImportToolTest, NothingToTakeWritesNothing)
{
    writeBytes(dir.filePath("old.faq"), "old bank");
    const ToolRun run = bank({"import", "chemistry.gift", "old.faq", "--format", "aiken"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.endsWith(u8(QStringLiteral("Вопросник «old.faq» не записан: в «chemistry.gift» нет ни одного "
                                                   "вопроса, который можно взять (формат Aiken).\n"))))
        << run.err.toStdString();
    EXPECT_EQ(readBytes(dir.filePath("old.faq")), "old bank");
    EXPECT_EQ(bank({"import", "none.gift", "new.faq"}).exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("new.faq")));
}

TEST_F(ImportToolTest, ImportedBankServesItsQuestionsThroughTheGamesLoadFaq)
{
    for (const char *name : {"chemistry.gift", "geography-1251.txt", "history.csv"}) {
        const ImportOutcome imported = ImportQuestions(fixture(name));
        const PackOutcome packed = PackImported(imported, 2);
        ASSERT_TRUE(packed.ok()) << name;
        const QStringList expected = linesOfLevel(imported, 2, 2);
        ASSERT_FALSE(expected.isEmpty()) << name;
        EXPECT_EQ(served(FaqText::fromBytes(packed.bank), 2, static_cast<int>(expected.size())), expected) << name;
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("cfg-") + QString::fromUtf8(name)).toUtf8());
    }
}

TEST_F(ImportToolTest, BankWrittenByTheToolIsTheOneTheGameLoads)
{
    ASSERT_EQ(bank({"import", "history.csv", "history.faq"}).exitCode, 0);
    const Result<FaqText> loaded = LoadBankFile(dir.filePath("history.faq"));
    ASSERT_TRUE(loaded.ok()) << loaded.error.toStdString();
    EXPECT_EQ(served(loaded.value, 3, 2),
              QStringList({QStringLiteral("Какое сражение считают переломом в войне 1812 года?|Бородинское|Аустерлицкое|"
                                          "Полтавское|Куликовское|"),
                           QStringLiteral("Кто командовал русской армией при Бородине?|М. И. Кутузов|А. В. Суворов|"
                                          "П. И. Багратион|М. Б. Барклай-де-Толли|https://example.org/kutuzov.png")}));
}

TEST_F(ImportToolTest, ArgumentsThatCannotBeReadAreUsageErrors)
{
    const QList<QStringList> bad = {{"import", "a.gift", "b.faq", "--level", "16"},
                                    {"import", "a.gift", "b.faq", "--level", "два"},
                                    {"import", "a.gift", "b.faq", "--format", "xml"},
                                    {"import", "a.gift"},
                                    {"import", "a.gift", "b.faq", "--level"},
                                    {"pack", "a", "b", "--level", "3"},
                                    {"check", "a", "--frob"}};
    for (const QStringList &args : bad) {
        const ToolRun run = bank(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(u8(QStringLiteral("Использование:")))) << args.join(' ').toStdString();
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(bank({"check", "a", "--frob"}).err.startsWith(u8(QStringLiteral("tallory-bank: неизвестный параметр «--frob»\n"))));
    EXPECT_TRUE(bank({"import", "a", "b", "--level"}).err.startsWith(u8(QStringLiteral("tallory-bank: после «--level» нет значения\n"))));
}

TEST_F(ImportToolTest, HelpAndVersionOfBothTools)
{
    for (const QString &tool : {QStringLiteral("tallory-bank"), QStringLiteral("tallory-results")}) {
        for (const char *option : {"--help", "-h"}) {
            const ToolRun help = runTool(tool, {option}, dir.path());
            EXPECT_EQ(help.exitCode, 0);
            EXPECT_TRUE(help.out.startsWith(u8(QStringLiteral("Использование:\n")))) << help.out.toStdString();
            EXPECT_TRUE(help.out.contains("--version"));
            EXPECT_EQ(help.err, "");
        }
        const ToolRun version = runTool(tool, {"list", "--version"}, dir.path());
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, tool.toUtf8() + " " TALLORY_VERSION_TEXT "\n");
    }
    EXPECT_TRUE(bank({"--help"}).out.contains(u8(QStringLiteral("import ФАЙЛ ВОПРОСНИК.faq [--level N] [--format gift|moodle|aiken|csv]"))));
}

TEST_F(ImportToolTest, ResultsOptionMayStandBeforeTheCommand)
{
    writeBytes(dir.filePath("tallory.rez"), "");
    const ToolRun before = runTool("tallory-results", {"--csv", "list", "tallory.rez"}, dir.path());
    const ToolRun after = runTool("tallory-results", {"list", "tallory.rez", "--csv"}, dir.path());
    EXPECT_EQ(before.exitCode, 0);
    EXPECT_TRUE(before.out.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(before.out, after.out);
    EXPECT_EQ(runTool("tallory-results", {"list", "tallory.rez", "--level", "3"}, dir.path()).exitCode, 2);
}
