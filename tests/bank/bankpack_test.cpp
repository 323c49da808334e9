// Packing a plain text into a bank: exact bytes, every refusal with its line, input encodings.

#include "bankpacker.h"
#include "plaintext.h"
#include "toolstest.h"

#include <QFileInfo>
#include <QTemporaryDir>

using namespace toolstest;

namespace {

// "Q|a|b|c|d|" and "Да|a|b|c|d|pic.png" scrambled by hand: Q^AD = FC, "|"^AD = D1, a^AD = CC,
// b^AD = CF, c^AD = CE, d^AD = C9, Д (C4)^AD = 69 "i", а (E0)^AD = 4D "M", p = DD, i = C4,
// "." = 83, n = C3, g = CA.
const QByteArray kSmallBank = QByteArrayLiteral(
    "[1]\r\n"
    "\xFC\xD1\xCC\xD1\xCF\xD1\xCE\xD1\xC9\xD1\r\n"
    "[2]\r\n"
    "iM\xD1\xCC\xD1\xCF\xD1\xCE\xD1\xC9\xD1\xDD\xC4\xCE\x83\xDD\xC3\xCA\r\n");

const char kSmallText[] = "[1]\nQ|a|b|c|d|\n\n[2]\nДа|a|b|c|d|pic.png\n";

PackOutcome pack(const QByteArray &bytes)
{
    return PackBank(DecodePlainText(bytes));
}

// The errors of a packing as "line: text", in order.
QStringList errors(const PackOutcome &out)
{
    QStringList list;
    for (const Diagnostic &d : out.diagnostics) {
        if (d.severity == Diagnostic::Severity::Error)
            list.append(QString::number(d.line) + QStringLiteral(": ") + d.text);
    }
    return list;
}

} // namespace

TEST(PackBank, KnownTextGivesExactBytesAndCounts)
{
    const PackOutcome out = pack(kSmallText);
    ASSERT_TRUE(out.ok()) << FormatDiagnostics("t", out.diagnostics).toStdString();
    EXPECT_EQ(out.bank, kSmallBank);
    EXPECT_EQ(out.counts[1], 1);
    EXPECT_EQ(out.counts[2], 1);
    EXPECT_EQ(out.counts[3], 0);
    EXPECT_EQ(out.total(), 2);
}

TEST(PackBank, ScrambledLinesMatchAnIndependentXor)
{
    const QString line = QStringLiteral("Сколько будет 2 + 2?|4|3|5|22|рис1.jpg");
    const PackOutcome out = pack(QByteArrayLiteral("[7]\r\n") + line.toUtf8());
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out.bank, "[7]\r\n" + xorAd(cp1251::encode(line).value()) + "\r\n");
}

TEST(PackBank, Utf8WithBomAndWindows1251GiveTheSameBank)
{
    const QString text = QStringLiteral("[1]\nЁжик «в» тумане — 100 °C?|Да|Нет|Не знаю|Может быть|\n");
    const QByteArray utf8 = text.toUtf8();
    QByteArray windows = cp1251::encode(text).value();
    windows.replace("\n", "\r");
    const PackOutcome plain = pack(utf8);
    ASSERT_TRUE(plain.ok());
    EXPECT_EQ(pack(QByteArrayLiteral("\xEF\xBB\xBF") + utf8).bank, plain.bank);
    EXPECT_EQ(pack(windows).bank, plain.bank);
    EXPECT_FALSE(DecodePlainText(windows).utf8);
    EXPECT_TRUE(DecodePlainText(utf8).utf8);
    // One Windows-1251 letter at the very end reads as a cut UTF-8 sequence: still not UTF-8,
    // and the letter is kept.
    const PlainText cut = DecodePlainText(cp1251::encode(QStringLiteral("Q|a|b|c|Я")).value());
    EXPECT_FALSE(cut.utf8);
    EXPECT_EQ(cut.lines.value(0).text, QStringLiteral("Q|a|b|c|Я"));
}

TEST(PackBank, EveryRefusalNamesItsLineAndNothingIsPacked)
{
    const PackOutcome out = pack("Q|a|b|c|d|\n"               // 1: a question before any header
                                 "[1]\n"
                                 "Q|a|b|c|d\n"                 // 3: four separators
                                 "Q|a|b|c|d|e|f\n"             // 4: a field holding "|"
                                 "Q\u00A7|a|b|c|d|\n"          // 5: scrambles to LF
                                 "Q|a\u00AD|b\u00A0|c|d|\n"    // 6: NUL and CR
                                 "Q\u263A|a|b|c|d|\n"          // 7: outside the code page
                                 "цвет?|a|b|c|d|\n"            // 8: scrambled it begins with "["
                                 "Q|a|b|c|d|Пётр\n"            // 9: scrambled it ends with "]"
                                 "[02]\n"                      // 10: leading zero
                                 "[16]\n"                      // 11: no such level
                                 "[1]\n");                     // 12: level again
    EXPECT_TRUE(out.bank.isEmpty());
    const QStringList lines = errors(out);
    ASSERT_EQ(lines.size(), 12) << lines.join('\n').toStdString();
    const char *const starts[] = {"1: вопрос стоит до первого", "3: в строке 4 знака", "4: в строке 6 знаков",
                                  "5: символ «§» (U+00A7) нельзя", "6: символ U+00AD (мягкий перенос)",
                                  "6: символ U+00A0 (неразрывный пробел)", "7: символ «☺» (U+263A) не входит",
                                  "8: строка начинается с «ц»", "9: строка кончается на «р»",
                                  "10: заголовок «[02]»", "11: заголовок «[16]»", "12: уровень 1 уже начат в строке 2"};
    for (qsizetype i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].startsWith(QString::fromUtf8(starts[i]))) << lines[i].toStdString();
}

TEST(PackBank, BlankLinesAreLeftOutAndPaddedHeadersRefused)
{
    EXPECT_EQ(pack("\n  \t\n[1]\r\n\r\n\tQ|a|b|c|d|\r\n").bank, "[1]\r\n" + xorAd("\tQ|a|b|c|d|") + "\r\n");
    const PackOutcome padded = pack("[1] \nQ|a|b|c|d|\n");
    ASSERT_EQ(errors(padded).size(), 1);
    EXPECT_EQ(errors(padded)[0], QStringLiteral("1: вокруг заголовка «[1]» есть пробелы: заголовок должен "
                                                "занимать строку целиком"));
}

TEST(PackBank, EmptyLevelsAndFieldsAreWarnedNotRefused)
{
    const PackOutcome out = pack("[2]\n[1]\nQ|a||c|d|\n");
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out.bank, "[2]\r\n[1]\r\n" + xorAd("Q|a||c|d|") + "\r\n");
    EXPECT_EQ(FormatDiagnostics(QStringLiteral("t.txt"), out.diagnostics),
              QStringLiteral("t.txt:1: предупреждение: в уровне 2 нет вопросов\n"
                             "t.txt:3: предупреждение: пустое поле: первый неверный ответ\n"
                             "t.txt: предупреждение: в тексте нет уровней 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, "
                             "13, 14, 15: в игре на них не будет вопросов\n"));
}

TEST(BankTool, PackWritesTheBankAndReportsTheLevels)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("small.txt"), kSmallText);
    const ToolRun run = runTool("tallory-bank", {"pack", "small.txt", "small.faq"}, dir.path());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(readBytes(dir.filePath("small.faq")), kSmallBank);
    QString expected = QStringLiteral("Вопросник «small.faq» записан: 2 вопроса.\n"
                                      "Уровень  1: 1 вопрос\nУровень  2: 1 вопрос\n");
    for (int level = 3; level <= 9; ++level)
        expected += QStringLiteral("Уровень  %1: 0 вопросов\n").arg(level);
    for (int level = 10; level <= 15; ++level)
        expected += QStringLiteral("Уровень %1: 0 вопросов\n").arg(level);
    EXPECT_EQ(run.out, u8(expected));
    EXPECT_EQ(run.err, u8(QStringLiteral("small.txt: предупреждение: в тексте нет уровней 3, 4, 5, 6, 7, 8, 9, "
                                         "10, 11, 12, 13, 14, 15: в игре на них не будет вопросов\n")));
}

TEST(BankTool, RefusedPackLeavesTheOldBankAlone)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("bad.txt"), "[1]\nQ|a|b|c|d\n[01]\n");
    writeBytes(dir.filePath("old.faq"), "old bank");
    const ToolRun run = runTool("tallory-bank", {"pack", "bad.txt", "old.faq"}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, u8(QStringLiteral(
                           "bad.txt:2: ошибка: в строке 4 знака «|», а нужно ровно пять: "
                           "вопрос|верный ответ|неверный|неверный|неверный|рисунок\n"
                           "bad.txt:3: ошибка: заголовок «[01]» не обозначает уровень: уровни обозначаются "
                           "[1] … [15], без нулей впереди\n"
                           "bad.txt: предупреждение: в тексте нет уровней 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, "
                           "13, 14, 15: в игре на них не будет вопросов\n"
                           "Вопросник «old.faq» не записан: исправьте текст и повторите.\n")));
    EXPECT_EQ(readBytes(dir.filePath("old.faq")), "old bank");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("new.faq")));
    EXPECT_EQ(runTool("tallory-bank", {"pack", "bad.txt", "new.faq"}, dir.path()).exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("new.faq")));
}

TEST(BankTool, UsageErrorsAndMissingFiles)
{
    QTemporaryDir dir;
    for (const QStringList &args : {QStringList{}, QStringList{"pack", "a"}, QStringList{"check"},
                                    QStringList{"unpack", "a", "b"}, QStringList{"frobnicate", "a"}}) {
        const ToolRun run = runTool("tallory-bank", args, dir.path());
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(u8(QStringLiteral("Использование:")))) << run.err.toStdString();
        EXPECT_EQ(run.out, "");
    }
    const ToolRun missing = runTool("tallory-bank", {"check", "none.faq"}, dir.path());
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, u8(QStringLiteral("Нет файла «none.faq»\n")));
}

TEST(PackBank, TitleAndNotesBeforeTheFirstHeaderAreStoredPlain)
{
    const PackOutcome out = pack("Химия, 8 класс, четверть 2\n\n  [не заголовок: только начало\n"
                                 "Рубрика | раздел § 3]\n[1]\nQ|a|b|c|d|\n");
    ASSERT_TRUE(out.ok()) << FormatDiagnostics("t", out.diagnostics).toStdString();
    EXPECT_EQ(out.bank, w(u"Химия, 8 класс, четверть 2\r\n  [не заголовок: только начало\r\n"
                          u"Рубрика | раздел § 3]\r\n[1]\r\n") + xorAd("Q|a|b|c|d|") + "\r\n");
    EXPECT_EQ(out.counts[1], 1);
    EXPECT_EQ(out.total(), 1);
}

TEST(PackBank, NoteThatTheGameWouldTakeForAHeaderIsRefusedWithItsLine)
{
    const PackOutcome out = pack("Title\n[a|b]\nQ\u263A\n[1]\nQ|a|b|c|d|\n");
    EXPECT_TRUE(out.bank.isEmpty());
    const QStringList lines = errors(out);
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("2: строка до первого заголовка начинается с «[»")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("3: символ «☺» (U+263A) не входит")));
}

TEST(PackBank, NulIsRefusedWithItsLineInQuestionsAndNotes)
{
    static const char bytes[] = "Title\0x\n[1]\nQ|a|b\0|c|d|\nQ|a|b|c|d|\n";
    const QByteArray text(bytes, sizeof bytes - 1);
    const PackOutcome out = pack(text);
    EXPECT_TRUE(out.bank.isEmpty());
    EXPECT_EQ(errors(out), QStringList({QStringLiteral("1: символ U+0000 (NUL) недопустим: игра обрывает на нём текст"),
                                        QStringLiteral("3: символ U+0000 (NUL) недопустим: игра обрывает на нём текст")}));
    QByteArray windows = cp1251::encode(QStringLiteral("[1]\nВопрос|a|b|c|d|\n")).value();
    windows.insert(10, '\0');
    EXPECT_EQ(errors(pack(windows)), QStringList({QStringLiteral("2: символ U+0000 (NUL) недопустим: игра обрывает на нём текст")}));
}
