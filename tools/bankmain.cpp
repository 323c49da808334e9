// tallory-bank: packs a teacher's plain text into a question bank, unpacks a bank back into
// plain text, checks a bank the way the game reads it, and imports questions from other quiz
// systems.

#include "bankcheck.h"
#include "bankpacker.h"
#include "bankunpack.h"
#include "cmdline.h"
#include "importcommand.h"
#include "plaintext.h"
#include "userfile.h"
#include "console.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString usage()
{
    return QStringLiteral(
        "Использование:\n"
        "  tallory-bank pack ТЕКСТ ВОПРОСНИК.faq   упаковать текст вопросов в вопросник\n"
        "  tallory-bank unpack ВОПРОСНИК.faq       вывести текст вопросника (UTF-8)\n"
        "  tallory-bank check ВОПРОСНИК.faq        проверить вопросник так, как его читает игра\n"
        "  tallory-bank import ФАЙЛ ВОПРОСНИК.faq [--level N] [--format gift|moodle|aiken|csv] [--append|--replace]\n"
        "                                          взять вопросы из файла другой системы тестов\n"
        "                                          (в ТЕКСТ.txt вместо ВОПРОСНИК.faq — текстом вопросника)\n"
        "\n"
        "Текст: UTF-8 или Windows-1251; заголовки уровней [1] … [15], под каждым строки\n"
        "вопрос|верный ответ|неверный|неверный|неверный|рисунок (рисунок можно не указывать).\n"
        "Строки до первого заголовка (название, заметки) хранятся незашифрованными; игра их не читает.\n"
        "\n"
        "Импорт берёт вопросы с одним верным и тремя неверными ответами и перечисляет каждый\n"
        "невзятый вопрос с причиной. Форматы: GIFT (уровень задаёт категория, оканчивающаяся\n"
        "числом 1–15: $CATEGORY: Химия/Уровень 3; выше по пути — ближайшая «Уровень N»),\n"
        "Moodle XML (экспорт банка вопросов Moodle: вопросы «множественный выбор» с одним\n"
        "верным ответом; уровень — по категории, как в GIFT), Aiken (ровно четыре варианта A–D\n"
        "и ANSWER:),\n"
        "CSV из электронной таблицы (UTF-8 или Windows-1251, «;» или «,»; столбцы: уровень;\n"
        "вопрос; верный; неверный; неверный; неверный; рисунок). Без --format формат узнаётся\n"
        "по содержимому файла.\n"
        "  --level N       уровень (1–15) для вопросов, у которых в файле нет своего; без него — 1\n"
        "  --format ФОРМАТ gift, moodle (Moodle XML), aiken или csv\n"
        "  --append        добавить вопросы к уровням вопросника, который уже есть (его название,\n"
        "                  заметки и вопросы остаются)\n"
        "  --replace       заменить вопросник, который уже есть, вопросами из файла (прежний\n"
        "                  остаётся рядом копией: «имя (до замены).faq», повреждённый —\n"
        "                  «имя (повреждённый).faq»)\n"
        "Без --append и --replace вопросник, который уже есть, не меняется.\n"
        "\n"
        "  -h, --help      эта справка\n"
        "  -v, --version   версия программы\n");
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

// The level given by --level, or 0 when it is not a level.
int levelArgument(const QString &text)
{
    bool number = false;
    const int level = text.toInt(&number);
    return number && level >= 1 && level <= kBankLevels ? level : 0;
}

std::optional<ImportFormat> formatArgument(const QString &text)
{
    const QString name = text.toLower();
    if (name == QLatin1String("gift"))
        return ImportFormat::Gift;
    if (name == QLatin1String("aiken"))
        return ImportFormat::Aiken;
    if (name == QLatin1String("csv"))
        return ImportFormat::Csv;
    if (name == QLatin1String("moodle"))
        return ImportFormat::MoodleXml;
    return std::nullopt;
}

struct ImportOptions {
    QCommandLineOption level{QStringLiteral("level"), QString(), QStringLiteral("N")};
    QCommandLineOption format{QStringLiteral("format"), QString(), QStringLiteral("ФОРМАТ")};
    QCommandLineOption append{QStringLiteral("append")};
    QCommandLineOption replace{QStringLiteral("replace")};

    QList<QCommandLineOption> all() const { return {level, format, append, replace}; }
};

int runImport(const ToolCommandLine &line, const QStringList &args, const ImportOptions &options)
{
    if (args.size() != 3)
        return line.usageError(QStringLiteral("import: нужны два имени файлов"));
    ImportRequest request{args[1], args[2]};
    if (line.parser.isSet(options.level))
        request.defaultLevel = levelArgument(line.parser.value(options.level));
    if (request.defaultLevel == 0)
        return line.usageError(QStringLiteral("--level: нужно число от 1 до 15, а не «%1»").arg(line.parser.value(options.level)));
    const auto format = line.parser.isSet(options.format) ? formatArgument(line.parser.value(options.format)) : ImportFormat::Auto;
    if (!format)
        return line.usageError(QStringLiteral("--format: нужно gift, moodle, aiken или csv, а не «%1»").arg(line.parser.value(options.format)));
    request.format = *format;
    const bool append = line.parser.isSet(options.append);
    const bool replace = line.parser.isSet(options.replace);
    if (append && replace)
        return line.usageError(QStringLiteral("--append и --replace вместе не бывают: выберите одно"));
    request.existing = append ? ExistingBank::Append : replace ? ExistingBank::Replace : ExistingBank::Refuse;
    return ImportCommand(request);
}

int run(const QStringList &arguments)
{
    ToolCommandLine line(QStringLiteral("tallory-bank"), usage());
    const ImportOptions importOptions;
    line.parser.addOptions(importOptions.all());
    if (const auto status = line.read(arguments))
        return *status;
    const QStringList args = line.parser.positionalArguments();
    if (args.isEmpty())
        return line.usageError(QStringLiteral("не указана команда"));
    const QString &command = args[0];
    if (command == QLatin1String("import"))
        return runImport(line, args, importOptions);
    for (const QCommandLineOption &option : importOptions.all()) {
        if (line.parser.isSet(option))
            return line.usageError(QStringLiteral("--level, --format, --append и --replace бывают только у команды import"));
    }
    if (command == QLatin1String("pack"))
        return args.size() == 3 ? pack(args[1], args[2]) : line.usageError(QStringLiteral("pack: нужны два имени файлов"));
    if (command == QLatin1String("unpack"))
        return args.size() == 2 ? unpack(args[1]) : line.usageError(QStringLiteral("unpack: нужно одно имя файла"));
    if (command == QLatin1String("check"))
        return args.size() == 2 ? check(args[1]) : line.usageError(QStringLiteral("check: нужно одно имя файла"));
    return line.usageError(QStringLiteral("неизвестная команда «%1»").arg(command));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments());
}
