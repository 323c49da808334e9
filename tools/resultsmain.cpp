// tallory-results: lists every record of a results file, for reading or for a spreadsheet.

#include "resultslist.h"
#include "resultstable.h"
#include "cmdline.h"
#include "userfile.h"
#include "console.h"
#include "servercommand.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString usage()
{
    return QStringLiteral(
        "Использование:\n"
        "  tallory-results list tallory.rez          таблица результатов\n"
        "  tallory-results list tallory.rez --csv    то же в CSV для электронной таблицы\n"
        "%1"
        "\n"
        "  -h, --help      эта справка\n"
        "  -v, --version   версия программы\n").arg(ServerCommandUsage());
}

int list(const QString &path, bool csv)
{
    const auto input = ReadInputFile(path);
    if (!input.ok()) {
        PrintError(input.error + QLatin1Char('\n'));
        return 1;
    }
    const std::vector<ResultEntry> entries = ReadResultEntries(input.value);
    PrintBytes(csv ? FormatResultsCsv(entries) : FormatResultsTable(entries));
    return 0;
}

int run(const QStringList &arguments)
{
    ToolCommandLine line(QStringLiteral("tallory-results"), usage());
    const QCommandLineOption csvOption(QStringLiteral("csv"));
    line.parser.addOption(csvOption);
    if (const auto status = line.read(arguments))
        return *status;
    const QStringList args = line.parser.positionalArguments();
    if (args.isEmpty())
        return line.usageError(QStringLiteral("не указана команда"));
    if (args[0] == QLatin1String("server"))
        return RunServerCommand(line, args.mid(1));
    if (args[0] != QLatin1String("list"))
        return line.usageError(QStringLiteral("неизвестная команда «%1»").arg(args[0]));
    if (args.size() != 2)
        return line.usageError(QStringLiteral("list: нужно одно имя файла результатов"));
    return list(args[1], line.parser.isSet(csvOption));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments());
}
