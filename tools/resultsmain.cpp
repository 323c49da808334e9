// tallory-results: lists every record of a results file, and the class's answers to every
// question from the answer journals, for reading or for a spreadsheet.

#include "answeranalysis.h"
#include "answersserver.h"
#include "resultslist.h"
#include "resultstable.h"
#include "cmdline.h"
#include "userfile.h"
#include "console.h"
#include "servercommand.h"
#include "serverresults.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString usage()
{
    return QStringLiteral(
        "Использование:\n"
        "  tallory-results list tallory.rez          таблица результатов\n"
        "  tallory-results list tallory.rez --csv    то же в CSV для электронной таблицы\n"
        "  tallory-results list --server СЛУЖБА [--csv]\n"
        "                                            результаты всей школы с сервера\n"
        "  tallory-results answers ПУТЬ... [--lesson КОД] [--csv]\n"
        "                                            ответы класса по вопросам из журналов:\n"
        "                                            ПУТЬ — файл журнала, папка программы\n"
        "                                            с journal/ или сама папка журналов\n"
        "  tallory-results answers --server СЛУЖБА [--lesson КОД] [--csv]\n"
        "                                            то же со всей школы, с сервера\n"
        "%1"
        "\n"
        "  --lesson КОД    только это занятие (без него — все)\n"
        "  --csv           CSV для электронной таблицы\n"
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

// The school's results from the server, as list shows a file's, with the machine and the time.
int listServer(const QString &service, bool csv)
{
    QString problem;
    const auto connection = OpenSchoolServer(service, ServerConnectOptions{}, &problem);
    if (!connection) {
        PrintError(problem + QLatin1Char('\n'));
        return 1;
    }
    QSqlDatabase db = connection->database();
    const auto rows = ReadServerResults(db);
    if (!rows.ok()) {
        PrintError(rows.error + QLatin1Char('\n'));
        return 1;
    }
    if (rows.value.empty() && !csv) {
        PrintBytes(QByteArrayLiteral("Записей нет.\n"));
        return 0;
    }
    std::vector<QStringList> table{ServerResultColumnTitles()};
    for (const ServerResultRow &row : rows.value)
        table.push_back(ServerResultFields(row));
    PrintBytes(csv ? FormatCsv(table) : FormatTextTable(table));
    return 0;
}

// The journals the paths name; a path that names none is reported.
QStringList journalFiles(const QStringList &paths, int &status)
{
    QStringList files;
    for (const QString &path : paths) {
        const QStringList found = JournalFilesOf(path);
        if (found.isEmpty()) {
            PrintError(QStringLiteral("В «%1» нет журналов ответов.\n").arg(path));
            status = 1;
        }
        files << found;
    }
    return files;
}

int answers(const QStringList &paths, const QString &lesson, bool csv)
{
    int status = 0;
    const AnswerArchive archive(journalFiles(paths, status));
    QStringList lessons = archive.lessons();
    if (!lesson.isEmpty()) {
        // The game keeps lesson codes in capitals, whatever was typed.
        const QString code = lesson.toUpper();
        if (!lessons.contains(code)) {
            PrintError(QStringLiteral("Занятия «%1» в журналах нет.\n").arg(code));
            return 1;
        }
        lessons = QStringList{code};
    }
    QList<LessonAnalysis> analyses;
    for (const QString &code : lessons)
        analyses << archive.analyse(code);
    for (const JournalProblem &problem : archive.problems()) {
        PrintError(problem.file + QStringLiteral(": ") + problem.problem + QLatin1Char('\n'));
        status = 1;
    }
    PrintBytes(csv ? QuestionTableCsv(analyses) : QuestionTableText(analyses));
    return status;
}

int run(const QStringList &arguments)
{
    ToolCommandLine line(QStringLiteral("tallory-results"), usage());
    const QCommandLineOption csvOption(QStringLiteral("csv"));
    const QCommandLineOption lessonOption(QStringLiteral("lesson"), QString(), QStringLiteral("КОД"));
    line.parser.addOption(csvOption);
    line.parser.addOption(lessonOption);
    const QCommandLineOption serverOption(QStringLiteral("server"), QString(), QStringLiteral("СЛУЖБА"));
    line.parser.addOption(serverOption);
    if (const auto status = line.read(arguments))
        return *status;
    const QStringList args = line.parser.positionalArguments();
    if (args.isEmpty())
        return line.usageError(QStringLiteral("не указана команда"));
    if (args[0] == QLatin1String("server"))
        return RunServerCommand(line, args.mid(1));
    const bool csv = line.parser.isSet(csvOption);
    if (args[0] == QLatin1String("answers") && line.parser.isSet(serverOption)) {
        if (args.size() > 1)
            return line.usageError(QStringLiteral("answers: либо --server, либо журналы, не вместе"));
        return PrintServerAnswers(line.parser.value(serverOption), line.parser.value(lessonOption), csv);
    }
    if (args[0] == QLatin1String("answers")) {
        if (args.size() < 2)
            return line.usageError(QStringLiteral("answers: нужен хотя бы один журнал или папка"));
        return answers(args.mid(1), line.parser.value(lessonOption), csv);
    }
    if (args[0] != QLatin1String("list"))
        return line.usageError(QStringLiteral("неизвестная команда «%1»").arg(args[0]));
    if (line.parser.isSet(lessonOption))
        return line.usageError(QStringLiteral("list: параметр «--lesson» бывает только у answers"));
    if (line.parser.isSet(serverOption)) {
        if (args.size() != 1)
            return line.usageError(QStringLiteral("list: с «--server» файл не указывают"));
        return listServer(line.parser.value(serverOption), csv);
    }
    if (args.size() != 2)
        return line.usageError(QStringLiteral("list: нужно одно имя файла результатов"));
    return list(args[1], csv);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments());
}
