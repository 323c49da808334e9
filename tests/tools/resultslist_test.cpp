// Listing the results file: records written by the game, damaged and hidden records, CSV.

#include "results.h"
#include "resultslist.h"
#include "resultstable.h"
#include "toolstest.h"

#include <QTemporaryDir>

using namespace toolstest;

namespace {

class ResultsToolTest : public ::testing::Test
{
protected:
    ToolRun list(const QStringList &extra = {})
    {
        return runTool("tallory-results", QStringList{"list", "tallory.rez"} + extra, dir.path());
    }

    QTemporaryDir dir;
    QString rez = dir.filePath("tallory.rez");
};

} // namespace

TEST_F(ResultsToolTest, ListsWhatTheGameWrote)
{
    ASSERT_TRUE(WriteResult(rez, w(u"ДЕМО"), w(u"ИВАНОВ"), 8).ok());
    ASSERT_TRUE(WriteResult(rez, w(u"ДЕМО"), w(u"ЁЖИКОВА А.Б."), 16).ok());
    ASSERT_TRUE(WriteResult(rez, "PHYS", "LEE", 1).ok());
    const ToolRun run = list();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    // ИВАНОВ: 200+194+192+205+206+194 = 1191; ЁЖИКОВА А.Б.: 168+198+200+202+206+194+192+32+192+46+193+46
    // = 1869; LEE: 76+69+69 = 214.
    EXPECT_EQ(run.out, u8(QStringLiteral(
                           "Занятие  Фамилия       Пройдено уровней  Оценка               Контрольная сумма  Состояние\n"
                           "ДЕМО     ИВАНОВ        7                 Удовлетворительно    1191               в порядке\n"
                           "ДЕМО     ЁЖИКОВА А.Б.  15                Отлично              1869               в порядке\n"
                           "PHYS     LEE           0                 Неудовлетворительно  214                в порядке\n")));
}

TEST_F(ResultsToolTest, DamagedRecordsAreShownWithTheirKeys)
{
    ASSERT_TRUE(WriteResult(rez, w(u"ДЕМО"), w(u"ИВАНОВ"), 8).ok());
    QByteArray bytes = readBytes(rez);
    bytes += "999=" + xorAd(w(u"ИВАНОВ|7|Удовлетворительно")) + "\r\n";  // checksum is not the key
    bytes += "5=" + xorAd("cut") + "\r\n";                                // no separators
    bytes += "6=" + xorAd(w(u"X|16|Хорошо")) + "\r\n";                    // more than 15 levels
    bytes += "7=" + xorAd(w(u"Y|3|Прекрасно")) + "\r\n";                  // unknown grade
    writeBytes(rez, bytes);
    std::vector<ResultEntry> entries = ReadResultEntries(readBytes(rez));
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].state, ResultEntry::State::Intact);
    EXPECT_EQ(StateText(entries[1]), QStringLiteral("повреждена: контрольная сумма фамилии 1191 не равна ключу"));
    EXPECT_EQ(StateText(entries[2]), QStringLiteral("повреждена: запись не разбирается"));
    EXPECT_EQ(StateText(entries[3]), QStringLiteral("повреждена: число уровней — не число от 0 до 15"));
    EXPECT_EQ(StateText(entries[4]), QStringLiteral("повреждена: неизвестная оценка"));
    // The game writes the count without leading zeros: "00", "07" or "+7" is not its record.
    for (const char *count : {"00", "07", "+7", " 7"}) {
        entries = ReadResultEntries("[L]\r\n1191=" + xorAd(w(u"ИВАНОВ|") + count + w(u"|Удовлетворительно")));
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(StateText(entries[0]), QStringLiteral("повреждена: число уровней — не число от 0 до 15")) << count;
    }
    const ToolRun run = list();
    EXPECT_EQ(run.exitCode, 0);
    const QList<QByteArray> rows = run.out.split('\n');
    ASSERT_EQ(rows.size(), 7); // titles, five rows, and the empty rest after the last line end
    EXPECT_EQ(rows[2], u8(QStringLiteral("ДЕМО     ИВАНОВ   7                 Удовлетворительно  999                "
                                         "повреждена: контрольная сумма фамилии 1191 не равна ключу")));
    // Nothing but the lesson, the key and the state: the other columns are blank, each padded to
    // its width (7, 16 and 17) and the two blanks between columns.
    EXPECT_EQ(rows[3], u8(QStringLiteral("ДЕМО") + QString(3 + 2 + 7 + 2 + 16 + 2 + 17 + 2, QLatin1Char(' '))
                          + QStringLiteral("5") + QString(16 + 2, QLatin1Char(' '))
                          + QStringLiteral("повреждена: запись не разбирается")));
}

TEST(ResultsList, ReadsAsTheIniRulesAndFlagsWhatTheGameCannotSee)
{
    const QByteArray text = "  [ L ]  \r\n"
                            " 76 = \"" + xorAd("L|1|" + w(u"Неудовлетворительно")) + "\"\t\r\n"
                            "; a comment\r\n"
                            "76=" + xorAd(w(u"L|2|Неудовлетворительно")) + "\r\n"
                            "[l]\r\n"
                            "77=" + xorAd(w(u"M|12|Неудовлетворительно")) + "\r\n"
                            "garbage\r\n";
    const std::vector<ResultEntry> entries = ReadResultEntries(text);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].lesson, "L");
    EXPECT_EQ(entries[0].key, "76");
    EXPECT_EQ(entries[0].name, "L");
    EXPECT_EQ(entries[0].levels, 1);
    EXPECT_EQ(entries[0].state, ResultEntry::State::Intact);
    EXPECT_EQ(StateText(entries[1]), QStringLiteral("не читается игрой: этот ключ уже есть в строке 2, игра читает ту запись"));
    EXPECT_EQ(StateText(entries[2]), QStringLiteral("не читается игрой: занятие уже было в строке 1, этот раздел игра не читает"));
    EXPECT_EQ(entries[3].line, 7);
    EXPECT_EQ(entries[3].key, "garbage");
    EXPECT_EQ(StateText(entries[3]), QStringLiteral("повреждена: строка без «=»"));
}

TEST(ResultsList, GradeThatDoesNotFollowTheLevelsIsQuestioned)
{
    const auto entries = ReadResultEntries("[L]\r\n76=" + xorAd(w(u"L|3|Отлично")) + "\r\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(StateText(entries[0]), QStringLiteral("под сомнением: оценка не соответствует числу пройденных уровней"));
}

TEST_F(ResultsToolTest, CsvHasABomSemicolonsAndQuotedFields)
{
    ASSERT_TRUE(WriteResult(rez, w(u"ДЕМО"), w(u"ПЕТРОВ;\"А\""), 11).ok());
    const ToolRun run = list({"--csv"});
    EXPECT_EQ(run.exitCode, 0);
    const QByteArray sum = checks(w(u"ПЕТРОВ;\"А\""));
    EXPECT_EQ(run.out, "\xEF\xBB\xBF"
                           + u8(QStringLiteral("Занятие;Фамилия;Пройдено уровней;Оценка;Контрольная сумма;Состояние\r\n"
                                               "ДЕМО;\"ПЕТРОВ;\"\"А\"\"\";10;Хорошо;"))
                           + sum + u8(QStringLiteral(";в порядке\r\n")));
}

TEST(ResultsTable, CsvFieldsAreQuotedOnlyWhenNeeded)
{
    EXPECT_EQ(CsvField(QStringLiteral("plain text")), QStringLiteral("plain text"));
    EXPECT_EQ(CsvField(QStringLiteral("a;b")), QStringLiteral("\"a;b\""));
    EXPECT_EQ(CsvField(QStringLiteral("say \"hi\"")), QStringLiteral("\"say \"\"hi\"\"\""));
    EXPECT_EQ(CsvField(QStringLiteral("two\nlines")), QStringLiteral("\"two\nlines\""));
    EXPECT_EQ(CsvField(QStringLiteral("cr\r")), QStringLiteral("\"cr\r\""));
}

// A name typed as a formula stays text in the spreadsheet: it is not worked out there.
TEST_F(ResultsToolTest, CsvKeepsANameThatLooksLikeAFormulaAsText)
{
    for (const char *name : {"=1+2", "+7", "-A1", "@SUM(A1)"})
        ASSERT_TRUE(WriteResult(rez, "L", name, 3).ok());
    const QList<QByteArray> rows = list({"--csv"}).out.split('\n');
    ASSERT_EQ(rows.size(), 6);
    EXPECT_TRUE(rows[1].startsWith("L;'=1+2;2;")) << rows[1].constData();
    EXPECT_TRUE(rows[2].startsWith("L;'+7;2;")) << rows[2].constData();
    EXPECT_TRUE(rows[3].startsWith("L;'-A1;2;")) << rows[3].constData();
    EXPECT_TRUE(rows[4].startsWith("L;'@SUM(A1);2;")) << rows[4].constData();
    EXPECT_EQ(CsvField(QStringLiteral("=A1;B1")), QStringLiteral("\"'=A1;B1\""));
    EXPECT_EQ(CsvField(QStringLiteral("\t=A1")), QStringLiteral("'\t=A1"));
    EXPECT_EQ(CsvField(QStringLiteral("a=b")), QStringLiteral("a=b"));
}

TEST_F(ResultsToolTest, EmptyMissingAndUnreadableFiles)
{
    writeBytes(rez, "");
    EXPECT_EQ(list().out, u8(QStringLiteral("Записей нет.\n")));
    EXPECT_EQ(list({"--csv"}).out,
              "\xEF\xBB\xBF" + u8(QStringLiteral("Занятие;Фамилия;Пройдено уровней;Оценка;Контрольная сумма;Состояние\r\n")));
    QFile::remove(rez);
    const ToolRun missing = list();
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, u8(QStringLiteral("Нет файла «tallory.rez»\n")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("tallory.rez"));
    EXPECT_EQ(list().exitCode, 1);
    EXPECT_EQ(runTool("tallory-results", {"list"}, dir.path()).exitCode, 2);
    EXPECT_EQ(runTool("tallory-results", {"show", "tallory.rez"}, dir.path()).exitCode, 2);
}
