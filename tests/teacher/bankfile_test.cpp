#include "bankfile.h"
#include "faq.h"
#include "randomsource.h"
#include "teachertest.h"
#include "testutil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using teachertest::fullBank;
using testutil::readBytes;
using testutil::w;
using testutil::writeBytes;

class BankFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(BankFileTest, ASavedBankServesItsQuestionThroughTheGamesOwnLoadFaq)
{
    EditorBank bank = fullBank(1);
    bank.levels[4][0] = QuestionFields{QStringLiteral("Столица Франции?"), QStringLiteral("Париж"), QStringLiteral("Лион"),
                                       QStringLiteral("Марсель"), QStringLiteral("Ницца"), QStringLiteral("FOTO/paris.jpg")};
    ASSERT_TRUE(SaveFaq(path("geo.faq"), bank).ok());

    const auto loaded = LoadBankFile(path("geo.faq"));
    ASSERT_TRUE(loaded.ok());
    std::vector<QByteArrayView> section;
    SeededRandom random(7);
    const auto line = LoadFaq(loaded.value, 4, section, random, QStringLiteral("geo.faq"));
    ASSERT_TRUE(line.ok()) << line.error.toStdString();
    EXPECT_EQ(line.value, w(u"Столица Франции?|Париж|Лион|Марсель|Ницца|FOTO/paris.jpg"));
}

TEST_F(BankFileTest, TheTitleStandsPlainBeforeTheFirstLevel)
{
    ASSERT_TRUE(SaveFaq(path("a.faq"), fullBank(1)).ok());
    EXPECT_TRUE(readBytes(path("a.faq")).startsWith(w(u"Алгебра, 7 класс\r\n[1]\r\n")));
}

TEST_F(BankFileTest, ABankReadBackIsTheBankSaved)
{
    const EditorBank bank = fullBank(3);
    ASSERT_TRUE(SaveFaq(path("a.faq"), bank).ok());
    const auto read = ReadBank(path("a.faq"));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(BankText(read.value.bank), BankText(bank));
    EXPECT_TRUE(read.value.warnings.isEmpty());
}

TEST_F(BankFileTest, ABankWithALineTheBankCannotHoldIsNotWrittenAndTheOldFileStays)
{
    writeBytes(path("a.faq"), "old");
    EditorBank bank = fullBank(1);
    bank.levels[2][0].right = QStringLiteral("a|b");
    const Status s = SaveFaq(path("a.faq"), bank);
    EXPECT_FALSE(s.ok());
    EXPECT_TRUE(s.error.contains(QStringLiteral("«|»"))) << s.error.toStdString();
    EXPECT_EQ(readBytes(path("a.faq")), "old");
}

TEST_F(BankFileTest, OnlyWhatTheGameServesIsReadFromAGameBank)
{
    // A second "[2]" and a line ending in "]" are never served by the game: the line the game skips
    // and the question under the repeated header are kept as notes saying where they stood, and
    // both are said.
    QByteArray bytes = w(u"Заметка\r\n[1]\r\n");
    bytes += ScrambleText(w(u"Один?|1|2|3|4|")) + "\r\n[2]\r\n" + ScrambleText(w(u"Два?|1|2|3|4|")) + "\r\n";
    bytes += "skip]\r\n[2]\r\n" + ScrambleText(w(u"Повтор?|1|2|3|4|")) + "\r\n";
    const LoadedBank read = BankFromFaq(bytes);
    EXPECT_EQ(read.bank.notes, (QStringList{QStringLiteral("Заметка"), QStringLiteral("строка 6: skip]"),
                                            QStringLiteral("строка 8: Повтор?|1|2|3|4|")}));
    ASSERT_EQ(read.bank.levels[2].size(), 1);
    EXPECT_EQ(read.bank.levels[2][0].question, QStringLiteral("Два?"));
    EXPECT_TRUE(read.warnings.isEmpty()) << read.warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(read.keptAsNotes, 2);
    ASSERT_EQ(read.damage.size(), 2u);
    EXPECT_EQ(read.damage[0].line, 6);
    EXPECT_EQ(read.damage[1].line, 7);
}

TEST_F(BankFileTest, APlainTextInWindows1251WithRepeatedHeadersIsReadWhole)
{
    const QByteArray text = w(u"Физика\r\n[1]\r\nСила?|Ньютон|Джоуль|Ватт|Паскаль|\r\n\r\n[3]\r\nМасса?|кг|м|с|А|\r\n[1]\r\nТок?|А|В|Ом|Вт|\r\n");
    const LoadedBank read = BankFromPlainText(text);
    EXPECT_EQ(read.bank.notes, QStringList{QStringLiteral("Физика")});
    ASSERT_EQ(read.bank.levels[1].size(), 2);
    EXPECT_EQ(read.bank.levels[1][1].right, QStringLiteral("А"));
    EXPECT_EQ(read.bank.levels[3][0].wrong3, QStringLiteral("А"));
}

TEST_F(BankFileTest, TheExportedTextPacksIntoTheSameBank)
{
    const EditorBank bank = fullBank(2);
    ASSERT_TRUE(ExportPlainText(path("a.txt"), bank).ok());
    ASSERT_TRUE(SaveFaq(path("a.faq"), bank).ok());
    const auto again = ReadBank(path("a.txt"));
    ASSERT_TRUE(again.ok());
    ASSERT_TRUE(SaveFaq(path("b.faq"), again.value.bank).ok());
    EXPECT_EQ(readBytes(path("b.faq")), readBytes(path("a.faq")));
    EXPECT_TRUE(readBytes(path("a.txt")).startsWith("\xD0\x90\xD0\xBB")); // UTF-8 «Ал»
}

TEST_F(BankFileTest, LinesUnderAHeaderNamingNoLevelAreKeptAsNotesOfAPlainText)
{
    const LoadedBank read = BankFromPlainText("[1]\nQ|a|b|c|d|\n[99]\nX|a|b|c|d|\n");
    EXPECT_EQ(read.bank.notes, (QStringList{QStringLiteral("строка 3: [99]"), QStringLiteral("строка 4: X|a|b|c|d|")}));
    EXPECT_EQ(read.bank.levels[1].size(), 1);
    EXPECT_EQ(read.keptAsNotes, 2);
}
