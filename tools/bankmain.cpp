// tallory-bank: packs a teacher's plain text into a question bank, unpacks a bank back into
// plain text, and checks a bank the way the game reads it.

#include "bankcheck.h"
#include "bankpacker.h"
#include "bankunpack.h"
#include "plaintext.h"
#include "toolio.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

constexpr int kUsageStatus = 2;

QString usage()
{
    return QStringLiteral(
        "Использование:\n"
        "  tallory-bank pack ТЕКСТ ВОПРОСНИК.faq   упаковать текст вопросов в вопросник\n"
        "  tallory-bank unpack ВОПРОСНИК.faq       вывести текст вопросника (UTF-8)\n"
        "  tallory-bank check ВОПРОСНИК.faq        проверить вопросник так, как его читает игра\n"
        "\n"
        "Текст: UTF-8 или Windows-1251; заголовки уровней [1] … [15], под каждым строки\n"
        "вопрос|верный ответ|неверный|неверный|неверный|рисунок (рисунок можно не указывать).\n"
        "Строки до первого заголовка (название, заметки) хранятся незашифрованными; игра их не читает.\n");
}

int usageError(const QString &why)
{
    PrintError(QStringLiteral("tallory-bank: ") + why + QStringLiteral("\n\n") + usage());
    return kUsageStatus;
}

QString questions(int n)
{
    return RussianCount(n, QStringLiteral("вопрос"), QStringLiteral("вопроса"), QStringLiteral("вопросов"));
}

QString levelLine(int level, const QString &text)
{
    return QStringLiteral("Уровень %1: %2\n").arg(level, 2).arg(text);
}

int pack(const QString &plainPath, const QString &bankPath)
{
    const auto input = ReadInputFile(plainPath);
    if (!input.ok()) {
        PrintError(input.error + QLatin1Char('\n'));
        return 1;
    }
    const PackOutcome packed = PackBank(DecodePlainText(input.value));
    PrintError(FormatDiagnostics(plainPath, packed.diagnostics));
    if (!packed.ok()) {
        PrintError(QStringLiteral("Вопросник «%1» не записан: исправьте текст и повторите.\n").arg(bankPath));
        return 1;
    }
    const Status written = WriteOutputFile(bankPath, packed.bank);
    if (!written.ok()) {
        PrintError(written.error + QLatin1Char('\n'));
        return 1;
    }
    QString report = QStringLiteral("Вопросник «%1» записан: %2.\n").arg(bankPath, questions(packed.total()));
    for (int level = 1; level <= kBankLevels; ++level)
        report += levelLine(level, questions(packed.counts[static_cast<size_t>(level)]));
    PrintOut(report);
    return 0;
}

int unpack(const QString &bankPath)
{
    const auto input = ReadInputFile(bankPath);
    if (!input.ok()) {
        PrintError(input.error + QLatin1Char('\n'));
        return 1;
    }
    const UnpackOutcome unpacked = UnpackBank(input.value);
    PrintError(FormatDiagnostics(bankPath, unpacked.diagnostics));
    PrintBytes(unpacked.text);
    return 0;
}

QString checkLevelText(const CheckOutcome &checked, int level)
{
    const auto at = static_cast<size_t>(level);
    if (checked.headerLine[at] == 0)
        return QStringLiteral("нет вопросов (нет заголовка [%1])").arg(level);
    if (checked.usable[at] == 0)
        return QStringLiteral("нет годных вопросов");
    return questions(checked.usable[at]);
}

int check(const QString &bankPath)
{
    const auto input = ReadInputFile(bankPath);
    if (!input.ok()) {
        PrintError(input.error + QLatin1Char('\n'));
        return 1;
    }
    const CheckOutcome checked = CheckBank(input.value);
    QString report;
    for (const Diagnostic &note : checked.notes)
        report += QStringLiteral("%1:%2: заметка: %3\n").arg(bankPath).arg(note.line).arg(note.text);
    report += FormatDiagnostics(bankPath, checked.problems);
    for (int level = 1; level <= kBankLevels; ++level)
        report += levelLine(level, checkLevelText(checked, level));
    QStringList empty;
    for (int level : checked.emptyLevels())
        empty.append(QString::number(level));
    if (empty.isEmpty())
        report += QStringLiteral("Вопросник годится для игры.\n");
    else
        report += QStringLiteral("Играть по вопроснику нельзя: нет вопросов уровней %1.\n").arg(empty.join(QStringLiteral(", ")));
    PrintOut(report);
    return empty.isEmpty() ? 0 : 1;
}

int run(const QStringList &args)
{
    if (args.size() == 1 && (args[0] == QLatin1String("-h") || args[0] == QLatin1String("--help"))) {
        PrintOut(usage());
        return 0;
    }
    if (args.isEmpty())
        return usageError(QStringLiteral("не указана команда"));
    const QString &command = args[0];
    if (command == QLatin1String("pack"))
        return args.size() == 3 ? pack(args[1], args[2]) : usageError(QStringLiteral("pack: нужны два имени файлов"));
    if (command == QLatin1String("unpack"))
        return args.size() == 2 ? unpack(args[1]) : usageError(QStringLiteral("unpack: нужно одно имя файла"));
    if (command == QLatin1String("check"))
        return args.size() == 2 ? check(args[1]) : usageError(QStringLiteral("check: нужно одно имя файла"));
    return usageError(QStringLiteral("неизвестная команда «%1»").arg(command));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments().mid(1));
}
