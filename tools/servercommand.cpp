#include "servercommand.h"

#include "console.h"
#include "journalload.h"
#include "serveraudit.h"
#include "answeranalysis.h"
#include "results.h"
#include "serverconnection.h"
#include "serverload.h"
#include "serverresults.h"
#include "serverschema.h"

#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace {

std::unique_ptr<ServerConnection> connect(const QString &service)
{
    ServerProblem problem;
    auto connection = ServerConnection::open(service, ServerConnectOptions{}, &problem);
    if (!connection)
        PrintError(problem.message + QLatin1Char('\n'));
    return connection;
}

int init(const QString &service)
{
    const auto connection = connect(service);
    if (!connection)
        return 1;
    QSqlDatabase db = connection->database();
    const Status done = CreateServerSchema(db, service);
    if (!done.ok()) {
        PrintError(done.error + QLatin1Char('\n'));
        return 1;
    }
    PrintOut(QStringLiteral("Схема Таллори версии %1 создана (служба «%2»).\n"
                            "Дальше выдайте роли входам школы, например:\n"
                            "  GRANT tallory_game TO компьютеры_класса;\n"
                            "  GRANT tallory_teacher TO учитель;\n")
                 .arg(ServerSchemaVersion()).arg(service));
    return 0;
}

int upgrade(const QString &service)
{
    const auto connection = connect(service);
    if (!connection)
        return 1;
    QSqlDatabase db = connection->database();
    const auto applied = UpgradeServerSchema(db, service);
    if (!applied.ok()) {
        PrintError(applied.error + QLatin1Char('\n'));
        return 1;
    }
    if (applied.value == 0)
        PrintOut(QStringLiteral("Схема Таллори уже версии %1: обновлять нечего.\n").arg(ServerSchemaVersion()));
    else
        PrintOut(QStringLiteral("Схема Таллори обновлена до версии %1 (применено версий: %2).\n")
                     .arg(ServerSchemaVersion()).arg(applied.value));
    return 0;
}

QString roleLine(const ServerRoleAudit &role, const QString &duty)
{
    if (!role.exists)
        return QStringLiteral("Роль %1: НЕТ. Создайте схему заново или роль: CREATE ROLE %1 NOLOGIN;\n").arg(role.role);
    QString line = QStringLiteral("Роль %1: есть, %2; выдана: %3.\n")
                       .arg(role.role, duty,
                            role.members.isEmpty() ? QStringLiteral("никому (GRANT %1 TO логин;)").arg(role.role)
                                                   : role.members.join(QStringLiteral(", ")));
    for (const QString &wrong : role.wrongs)
        line += QStringLiteral("  НЕПОРЯДОК: %1\n").arg(wrong);
    return line;
}

int check(const QString &service)
{
    const auto connection = connect(service);
    if (!connection)
        return 1;
    QSqlDatabase db = connection->database();
    const auto audit = AuditServer(db, service);
    if (!audit.ok()) {
        PrintError(audit.error + QLatin1Char('\n'));
        return 1;
    }
    const ServerAudit &a = audit.value;
    PrintOut(QStringLiteral("Служба «%1»: база «%2», PostgreSQL %3, вход от имени «%4».\n")
                 .arg(service, a.database, a.serverVersion, a.user));
    const QString problem = SchemaProblem(service, a.schema, ServerSchemaVersion());
    if (!problem.isEmpty()) {
        PrintError(problem + QLatin1Char('\n'));
        return 1;
    }
    PrintOut(QStringLiteral("Схема Таллори: версия %1.\n").arg(a.schema.version));
    PrintOut(QStringLiteral("Проверка попытки tallory.attempt_refusal: %1.\n")
                 .arg(a.guardPresent ? QStringLiteral("есть") : QStringLiteral("НЕТ")));
    PrintOut(roleLine(a.game, QStringLiteral("только добавляет строки и спрашивает о попытке")));
    PrintOut(roleLine(a.teacher, QStringLiteral("читает всё")));
    if (!a.healthy(ServerSchemaVersion())) {
        PrintError(QStringLiteral("На сервере службы «%1» не всё в порядке: см. строки выше.\n").arg(service));
        return 1;
    }
    PrintOut(QStringLiteral("Всё в порядке.\n"));
    return 0;
}

// What a path hands to the loaders: a results file, journals, or a program folder with both.
struct LoadSources {
    QStringList rezFiles;
    QStringList journals;
};

LoadSources loadSourcesOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir()) {
        if (info.suffix().compare(QLatin1String("sqlite"), Qt::CaseInsensitive) == 0)
            return {{}, info.exists() ? QStringList{path} : QStringList()};
        return {{path}, {}};
    }
    LoadSources found{{}, JournalFilesOf(path)};
    const QString rez = ResultsFilePath(info.absoluteFilePath() + QLatin1Char('/'));
    if (QFileInfo::exists(rez))
        found.rezFiles << rez;
    return found;
}

// Each journal whole or not at all: one that fails is named with the reason and the rest go on.
int loadJournals(QSqlDatabase &db, const QStringList &journals)
{
    int status = 0;
    for (const QString &journal : journals) {
        const auto counts = LoadJournalToServer(db, journal);
        if (!counts.ok()) {
            PrintError(counts.error + QLatin1Char('\n'));
            status = 1;
            continue;
        }
        PrintOut(QStringLiteral("%1: %2\n").arg(journal, DescribeJournalCounts(counts.value)));
    }
    return status;
}

int load(const QString &service, const QStringList &paths)
{
    QString problem;
    const auto connection = OpenSchoolServer(service, ServerConnectOptions{}, &problem);
    if (!connection) {
        PrintError(problem + QLatin1Char('\n'));
        return 1;
    }
    QSqlDatabase db = connection->database();
    int status = 0;
    RezLoadCounts total;
    for (const QString &path : paths) {
        const LoadSources sources = loadSourcesOf(path);
        if (sources.rezFiles.isEmpty() && sources.journals.isEmpty()) {
            PrintError(QStringLiteral("В «%1» нет ни файла результатов, ни журналов.\n").arg(path));
            status = 1;
        }
        for (const QString &rez : sources.rezFiles) {
            const auto counts = LoadResultsFile(db, rez);
            if (!counts.ok()) {
                PrintError(counts.error + QLatin1Char('\n'));
                status = 1;
                continue;
            }
            PrintOut(QStringLiteral("%1: %2\n").arg(rez, DescribeLoadCounts(counts.value)));
            total += counts.value;
        }
        status = std::max(status, loadJournals(db, sources.journals));
    }
    if (paths.size() > 1)
        PrintOut(QStringLiteral("Всего. %1\n").arg(DescribeLoadCounts(total)));
    return status;
}

} // namespace

QString ServerCommandUsage()
{
    return QStringLiteral(
        "  tallory-results server init СЛУЖБА       создать схему на сервере школы (от имени владельца базы)\n"
        "  tallory-results server upgrade СЛУЖБА    обновить её до версии этой программы\n"
        "  tallory-results server check СЛУЖБА      проверить её версию, роли и проверку попытки\n"
        "  tallory-results server load СЛУЖБА ПУТЬ...\n"
        "                                            загрузить прежние tallory.rez и журналы на сервер,\n"
        "                                            каждую строку один раз (ПУТЬ — файл или папка программы)\n"
        "  (СЛУЖБА: имя из pg_service.conf)\n");
}

int RunServerCommand(const ToolCommandLine &line, const QStringList &args)
{
    if (!args.isEmpty() && args[0] == QLatin1String("load")) {
        if (args.size() < 3)
            return line.usageError(QStringLiteral("server load: нужны имя службы и хотя бы один файл или папка"));
        return load(args[1], args.mid(2));
    }
    if (args.size() != 2)
        return line.usageError(QStringLiteral("server: нужны действие (init, upgrade или check) и имя службы"));
    const QString &action = args[0];
    if (action == QLatin1String("init"))
        return init(args[1]);
    if (action == QLatin1String("upgrade"))
        return upgrade(args[1]);
    if (action == QLatin1String("check"))
        return check(args[1]);
    return line.usageError(QStringLiteral("server: неизвестное действие «%1»").arg(action));
}
