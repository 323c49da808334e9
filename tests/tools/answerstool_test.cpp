// `tallory-results answers`: the built program on journals written with known answers, the
// same class the analysis tests read.

#include "answeranalysis.h"
#include "classjournals.h"
#include "toolstest.h"

#include <QTemporaryDir>

using namespace toolstest;
using classjournals::Writer;

namespace {

class AnswersTool : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Writer pc1(lab, QStringLiteral("ПК-1"));
        Writer pc2(lab, QStringLiteral("ПК-2"));
        classjournals::WriteClass([&](int game) -> Writer & { return game % 2 ? pc2 : pc1; });
        classjournals::WriteLadder(pc2, 30);
    }

    ToolRun answers(const QStringList &extra)
    {
        return runTool("tallory-results", QStringList{"answers"} + extra, dir.path());
    }

    // A row of the table as the program aligns it: every column but the last padded to its widest.
    static QString row(const QStringList &fields)
    {
        static const int widths[] = {7, 7, 26, 5, 7, 12, 12, 12, 10};
        QString out;
        for (qsizetype i = 0; i < fields.size(); ++i)
            out += i + 1 < fields.size() ? fields[i].leftJustified(widths[i]) + QStringLiteral("  ") : fields[i];
        return out + QLatin1Char('\n');
    }

    QTemporaryDir dir;
    QString lab = dir.filePath("lab") + QLatin1Char('/');
};

} // namespace

TEST_F(AnswersTool, PrintsARowPerQuestionOfTheLesson)
{
    const ToolRun run = answers({"lab", "--lesson", "физика"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    const QString expected =
        row({"Занятие", "Уровень", "Вопрос", "Задан", "Верно %", "Неверный 1 %", "Неверный 2 %", "Неверный 3 %",
             "Медиана мс", "Флаги"})
        + row({"ФИЗИКА", "1", "Что измеряют в амперах?", "20", "95", "5", "0", "0", "595", "угадывается"})
        + row({"ФИЗИКА", "2", "=Сколько ватт в киловатте?", "10", "100", "0", "0", "0", "1500", "лёгкий"})
        + row({"ФИЗИКА", "2", "Чем измеряют напряжение?", "9", "44", "33", "22", "0", "2200", ""})
        + row({"ФИЗИКА", "3", "В чём измеряют заряд?", "14", "31", "54", "15", "0", "3700", "ключ?, трудный"})
        + row({"ФИЗИКА", "4", "Что такое джоуль?", "3", "", "", "", "", "", ""});
    EXPECT_EQ(run.out, u8(expected));
}

TEST_F(AnswersTool, WithoutALessonEveryLessonIsListed)
{
    const ToolRun run = answers({"lab/journal/ПК-1.sqlite", "lab/journal/ПК-2.sqlite"});
    EXPECT_EQ(run.exitCode, 0);
    const QList<QByteArray> lines = run.out.split('\n');
    ASSERT_EQ(lines.size(), 1 + 15 + 5 + 1); // titles, ЛЕСТНИЦА, ФИЗИКА, the rest after the last line end
    EXPECT_TRUE(lines[1].startsWith(u8(QStringLiteral("ЛЕСТНИЦА  1        Вопрос 1.1"))));
    EXPECT_TRUE(lines[16].startsWith(u8(QStringLiteral("ФИЗИКА    1"))));
}

TEST_F(AnswersTool, CsvIsTheAnalysisTableForASpreadsheet)
{
    const ToolRun run = answers({"lab", "--csv", "--lesson", "ФИЗИКА"});
    EXPECT_EQ(run.exitCode, 0);
    const AnswerArchive archive(JournalFilesOf(lab));
    const QByteArray expected = QuestionTableCsv(archive.analyse(QStringLiteral("ФИЗИКА")));
    EXPECT_EQ(run.out, expected);
    EXPECT_TRUE(run.out.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(run.out.contains(u8(QStringLiteral("\r\nФИЗИКА;2;1;'=Сколько ватт в киловатте?;"))));
}

TEST_F(AnswersTool, UnreadableJournalsAreNamedAndTheRestIsPrinted)
{
    writeBytes(lab + "journal/ПК-3.sqlite", QByteArray(4096, 'x'));
    const ToolRun run = answers({"lab", "empty-folder", "--lesson", "ФИЗИКА"});
    EXPECT_EQ(run.exitCode, 1);
    const QString err = QString::fromUtf8(run.err);
    EXPECT_TRUE(err.contains(QStringLiteral("В «empty-folder» нет журналов ответов.\n"))) << run.err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("/lab/journal/ПК-3.sqlite: Журнал «ПК-3.sqlite» не читается: файл повреждён")))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(u8(QStringLiteral("Что измеряют в амперах?"))));
}

TEST_F(AnswersTool, AnUnknownLessonOrNoPathIsRefused)
{
    const ToolRun unknown = answers({"lab", "--lesson", "химия"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err, u8(QStringLiteral("Занятия «ХИМИЯ» в журналах нет.\n")));
    const ToolRun none = answers({});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(none.err.startsWith(u8(QStringLiteral("tallory-results: answers: нужен хотя бы один журнал или папка"))));
}
