#include "answersserver.h"

#include "console.h"
#include "serveranswers.h"
#include "serverconnection.h"
#include "serverschema.h"

namespace {

// The schema must be the one this program reads: an older or newer one names the command that
// fixes it rather than failing on a missing column.
bool schemaReadable(QSqlDatabase &db, const QString &service)
{
    const auto state = ReadServerSchema(db, service);
    if (!state.ok()) {
        PrintError(state.error + QLatin1Char('\n'));
        return false;
    }
    const QString problem = SchemaProblem(service, state.value, ServerSchemaVersion());
    if (!problem.isEmpty()) {
        PrintError(problem + QLatin1Char('\n'));
        return false;
    }
    return true;
}

} // namespace

int PrintServerAnswers(const QString &service, const QString &lesson, bool csv)
{
    ServerProblem problem;
    const auto connection = ServerConnection::open(service, ServerConnectOptions{}, &problem);
    if (!connection) {
        PrintError(problem.message + QLatin1Char('\n'));
        return 1;
    }
    QSqlDatabase db = connection->database();
    if (!schemaReadable(db, service))
        return 1;
    const ServerAnswers source(db, service);
    QStringList lessons = source.lessons();
    if (!lesson.isEmpty()) {
        // The game keeps lesson codes in capitals, whatever was typed.
        const QString code = lesson.toUpper();
        if (source.problems().isEmpty() && !lessons.contains(code)) {
            PrintError(QStringLiteral("Занятия «%1» на сервере «%2» нет.\n").arg(code, service));
            return 1;
        }
        lessons = QStringList{code};
    }
    QList<LessonAnalysis> analyses;
    for (const QString &code : lessons)
        analyses << source.analyse(code);
    int status = 0;
    for (const JournalProblem &p : source.problems()) {
        PrintError(QStringLiteral("Сервер «%1» не прочитан: %2\n").arg(service, p.problem));
        status = 1;
    }
    if (status == 0)
        PrintBytes(csv ? QuestionTableCsv(analyses) : QuestionTableText(analyses));
    return status;
}
