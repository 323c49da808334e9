// Checking and unpacking banks as the game reads them, and the demo bank of the program folder.

#include "bankcheck.h"
#include "bankunpack.h"
#include "inifile.h"
#include "toolstest.h"

#include <QDir>
#include <QTemporaryDir>

using namespace toolstest;

namespace {

// A bank with one question on each level, the given level left out.
QByteArray bankWithout(int missing)
{
    QByteArray bank;
    for (int level = 1; level <= 15; ++level) {
        if (level != missing)
            bank += "[" + QByteArray::number(level) + "]\r\n" + xorAd("Q|a|b|c|d|") + "\r\n";
    }
    return bank;
}

QStringList problemLines(const CheckOutcome &out)
{
    QStringList list;
    for (const Diagnostic &d : out.problems)
        list.append(QString::number(d.line) + QStringLiteral(": ") + d.text);
    return list;
}

} // namespace

TEST(CheckBank, CountsUsableQuestionsAsTheGameReadsThem)
{
    const QByteArray bank = xorAd("lost|a|b|c|d|") + "\r\n"           // 1
                            "[1]\r\n" + xorAd("Q|a|b|c|d|") + "\r\n"  // 2, 3
                            + xorAd("Q|a|b|c") + "\r\n\r\n"           // 4, 5
                            "[skipped\r\nskipped]\r\n"                // 6, 7
                            "[02]\r\n" + xorAd("Q|a|b|c|d|") + "\r\n" // 8, 9
                            "[2]\r\n" + xorAd("Q|a|b|c|d|e|f") + "\r\n" // 10, 11
                            "[1]\r\n" + xorAd("Q|a|b|c|d|") + "\r\n"  // 12, 13
                            "[3]\n" + xorAd("Q|a|b|c|d|") + QByteArray("\0tail", 5);
    const CheckOutcome out = CheckBank(bank);
    EXPECT_EQ(out.usable[1], 1);
    EXPECT_EQ(out.usable[2], 1);
    EXPECT_EQ(out.usable[3], 1);
    EXPECT_EQ(out.usable[4], 0);
    EXPECT_EQ(out.headerLine[1], 2);
    EXPECT_EQ(out.headerLine[4], 0);
    ASSERT_EQ(out.notes.size(), 1u);
    EXPECT_EQ(out.notes[0].line, 1);
    EXPECT_EQ(problemLines(out), QStringList({
        QStringLiteral("4: вопрос уровня 1: 3 знака «|» вместо пяти, игра не сможет его показать"),
        QStringLiteral("5: пустая строка в уровне 1: игра может выбрать её вместо вопроса"),
        QStringLiteral("6: строка начинается с «[»: игра её пропускает"),
        QStringLiteral("7: строка кончается на «]»: игра её пропускает"),
        QStringLiteral("8: заголовок «[02]» не обозначает уровень (нужно [1] … [15]): строки под ним игра не читает"),
        QStringLiteral("11: вопрос уровня 2: 6 знаков «|» вместо пяти"),
        QStringLiteral("12: уровень 1 повторяется (первый заголовок в строке 2): строки под этим заголовком игра не читает"),
        QStringLiteral("15: текст обрывается на байте 132 (NUL): дальше игра ничего не читает"),
    }));
    EXPECT_EQ(bank.indexOf('\0'), 132);
}

TEST(CheckBank, NulAtTheStartOfALineNamesThatLine)
{
    const CheckOutcome out = CheckBank(QByteArray("[1]\r\n\0x", 7));
    ASSERT_EQ(out.problems.size(), 1u);
    EXPECT_EQ(out.problems[0].line, 2);
}

TEST(BankTool, CheckFailsForAMissingLevel)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("b.faq"), bankWithout(9));
    const ToolRun run = runTool("tallory-bank", {"check", "b.faq"}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "");
    QString expected;
    for (int level = 1; level <= 15; ++level) {
        expected += QStringLiteral("Уровень %1: ").arg(level, 2)
                    + (level == 9 ? QStringLiteral("нет вопросов (нет заголовка [9])\n") : QStringLiteral("1 вопрос\n"));
    }
    expected += QStringLiteral("Играть по вопроснику нельзя: нет вопросов уровней 9.\n");
    EXPECT_EQ(run.out, u8(expected));

    writeBytes(dir.filePath("b.faq"), bankWithout(0));
    EXPECT_EQ(runTool("tallory-bank", {"check", "b.faq"}, dir.path()).exitCode, 0);
}

TEST(UnpackBank, GivesThePlainTextAndNamesWhatItLeavesOut)
{
    const QByteArray bank = w(u"Заметка\r\n\r\n[1]\r\n") + xorAd(w(u"Вопрос|Да|Нет|a|b|")) + "\r\n[x\r\n[02]\r\n";
    const UnpackOutcome out = UnpackBank(bank);
    EXPECT_EQ(out.text, u8(QStringLiteral("Заметка\n[1]\nВопрос|Да|Нет|a|b|\n[02]\n")));
    ASSERT_EQ(out.diagnostics.size(), 1u);
    EXPECT_EQ(out.diagnostics[0].line, 5);
}

TEST(CheckBank, TitleAndNotesAreListedAsNotesNotProblems)
{
    const QByteArray bank = w(u"Химия, 8 класс\r\n[только начало\r\n") + xorAd("lost|a|b|c|d|") + "\r\n"
                            + bankWithout(0);
    const CheckOutcome out = CheckBank(bank);
    ASSERT_EQ(out.notes.size(), 3u);
    EXPECT_EQ(out.notes[0].line, 1);
    EXPECT_EQ(out.notes[0].text, QStringLiteral("Химия, 8 класс"));
    EXPECT_EQ(out.notes[1].line, 2);
    EXPECT_EQ(out.notes[1].text, QStringLiteral("[только начало"));
    EXPECT_EQ(out.notes[2].line, 3);
    EXPECT_TRUE(out.problems.empty());
    EXPECT_TRUE(out.playable());
}

TEST(BankTool, TitleSurvivesPackUnpackAndCheckListsIt)
{
    QTemporaryDir dir;
    const QString text = QStringLiteral("Химия, 8 класс, четверть 2\n[1]\nQ|a|b|c|d|\n");
    writeBytes(dir.filePath("plain.txt"), text.toUtf8());
    ASSERT_EQ(runTool("tallory-bank", {"pack", "plain.txt", "b.faq"}, dir.path()).exitCode, 0);
    const ToolRun unpacked = runTool("tallory-bank", {"unpack", "b.faq"}, dir.path());
    EXPECT_EQ(unpacked.exitCode, 0);
    EXPECT_EQ(unpacked.out, text.toUtf8());
    EXPECT_EQ(unpacked.err, "");
    const ToolRun checked = runTool("tallory-bank", {"check", "b.faq"}, dir.path());
    EXPECT_TRUE(checked.out.startsWith(u8(QStringLiteral("b.faq:1: заметка: Химия, 8 класс, четверть 2\n"
                                                         "Уровень  1: 1 вопрос\n"))))
        << checked.out.toStdString();
    EXPECT_EQ(checked.exitCode, 1); // levels 2 to 15 are missing
}

TEST(BankTool, UnpackThenPackGivesTheSameBank)
{
    QTemporaryDir dir;
    const QByteArray bank = "[2]\r\n" + xorAd(w(u"Ёлка — «дерево»?|Да|Нет|a|b|ёлка.png")) + "\r\n[1]\r\n"
                            + xorAd("Q|a|b|c|d|") + "\r\n";
    writeBytes(dir.filePath("in.faq"), bank);
    const ToolRun unpacked = runTool("tallory-bank", {"unpack", "in.faq"}, dir.path());
    ASSERT_EQ(unpacked.exitCode, 0);
    EXPECT_EQ(unpacked.out, u8(QStringLiteral("[2]\nЁлка — «дерево»?|Да|Нет|a|b|ёлка.png\n[1]\nQ|a|b|c|d|\n")));
    writeBytes(dir.filePath("plain.txt"), unpacked.out);
    ASSERT_EQ(runTool("tallory-bank", {"pack", "plain.txt", "out.faq"}, dir.path()).exitCode, 0);
    EXPECT_EQ(readBytes(dir.filePath("out.faq")), bank);
}

TEST(DemoFolder, DemoBankIsPlayableAndRoundTrips)
{
    const QString demo = QStringLiteral(TALLORY_BIN_DIR "/demo.faq");
    const QByteArray bank = readBytes(demo);
    const CheckOutcome out = CheckBank(bank);
    for (int level = 1; level <= 15; ++level)
        EXPECT_GE(out.usable[static_cast<size_t>(level)], 5) << "level " << level;
    EXPECT_TRUE(out.problems.empty());
    QTemporaryDir dir;
    EXPECT_EQ(runTool("tallory-bank", {"check", demo}, dir.path()).exitCode, 0);
    const ToolRun unpacked = runTool("tallory-bank", {"unpack", demo}, dir.path());
    writeBytes(dir.filePath("demo.txt"), unpacked.out);
    ASSERT_EQ(runTool("tallory-bank", {"pack", "demo.txt", "again.faq"}, dir.path()).exitCode, 0);
    EXPECT_EQ(readBytes(dir.filePath("again.faq")), bank);
}

TEST(DemoFolder, SettingsMapTheDemoLessonsToTheDemoBank)
{
    const QString ini = QStringLiteral(TALLORY_BIN_DIR "/tallory.ini");
    EXPECT_EQ(IniReadString(ini, w(u"ДЕМО"), w(u"Вопросник"), "none"), "demo.faq");
    EXPECT_EQ(IniReadString(ini, "DEMO", w(u"Вопросник"), "none"), "demo.faq");
    EXPECT_EQ(IniReadString(ini, w(u"настройки"), w(u"Ведущий"), "none"), "");
    const QByteArray bytes = readBytes(ini);
    EXPECT_TRUE(bytes.startsWith(w(u"[ДЕМО]\r\n")));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));
}

TEST(BankTool, UnpackReadsPastANulAndSaysWhere)
{
    QTemporaryDir dir;
    QByteArray bank = bankWithout(0);
    bank.insert(bank.indexOf("[8]"), '\0');
    writeBytes(dir.filePath("b.faq"), bank);
    const ToolRun run = runTool("tallory-bank", {"unpack", "b.faq"}, dir.path());
    EXPECT_EQ(run.exitCode, 0);
    QByteArray expected;
    for (int level = 1; level <= 15; ++level)
        expected += "[" + QByteArray::number(level) + "]\nQ|a|b|c|d|\n";
    EXPECT_EQ(run.out, expected);
    EXPECT_TRUE(run.err.startsWith(u8(QStringLiteral("b.faq:15: предупреждение: байт NUL на смещении %1").arg(bank.indexOf('\0')))))
        << run.err.toStdString();
}

TEST(CheckBank, ALastLineCutShortIsDamage)
{
    const QByteArray whole = bankWithout(0);
    const QByteArray cut = whole.left(whole.indexOf("[6]") + 7); // "[6]\r\n" and two bytes of its question
    const CheckOutcome out = CheckBank(cut);
    ASSERT_FALSE(problemLines(out).isEmpty());
    EXPECT_TRUE(problemLines(out).contains(QStringLiteral("12: файл обрывается посреди строки (байт %1 — последний): похоже, "
                                                          "он записан не до конца, а обрывок игра примет за вопрос без "
                                                          "ответов").arg(cut.size())))
        << problemLines(out).join(QLatin1Char('\n')).toStdString();
    // A whole last question without its line end is no damage: the game reads it.
    EXPECT_TRUE(CheckBank(whole.chopped(2)).problems.empty());
}
