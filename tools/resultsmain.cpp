// tallory-results: lists every record of a results file, for reading or for a spreadsheet.

#include "resultslist.h"
#include "resultstable.h"
#include "toolio.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

constexpr int kUsageStatus = 2;

QString usage()
{
    return QStringLiteral(
        "Использование:\n"
        "  tallory-results list tallory.rez          таблица результатов\n"
        "  tallory-results list tallory.rez --csv    то же в CSV для электронной таблицы\n");
}

int usageError(const QString &why)
{
    PrintError(QStringLiteral("tallory-results: ") + why + QStringLiteral("\n\n") + usage());
    return kUsageStatus;
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

int run(QStringList args)
{
    if (args.size() == 1 && (args[0] == QLatin1String("-h") || args[0] == QLatin1String("--help"))) {
        PrintOut(usage());
        return 0;
    }
    if (args.isEmpty())
        return usageError(QStringLiteral("не указана команда"));
    if (args.takeFirst() != QLatin1String("list"))
        return usageError(QStringLiteral("неизвестная команда"));
    const bool csv = args.removeAll(QStringLiteral("--csv")) > 0;
    if (args.size() != 1 || args[0].startsWith(QLatin1Char('-')))
        return usageError(QStringLiteral("list: нужно одно имя файла результатов"));
    return list(args[0], csv);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments().mid(1));
}
