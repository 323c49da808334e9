#include "serveraudit.h"

#include "serverconnection.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// The tables of rows the games send; the teacher may add them too, to load a school's old files.
const char *const kTables[] = {"tallory.results", "tallory.games", "tallory.game_ends", "tallory.answers"};
// Sent by the game only: the attempts its own file let in while the server was out of reach.
const char *const kGameOnlyTables[] = {"tallory.unchecked_attempts", "tallory.journal_failures", "tallory.page_leaves"};
const char *const kFunctions[] = {"tallory.attempt_refusal(text, text, boolean)", "tallory.schema_version()"};

struct Expectation {
    const char *object;
    const char *right;
    bool isFunction;
    bool wanted;
};

/// Whether role holds the right on the object; for tables, on the table or any of its columns
/// (the game's INSERT is granted column by column).
Result<bool> holds(QSqlDatabase &db, const QString &role, const Expectation &e)
{
    const QString right = QString::fromLatin1(e.right);
    const bool byColumn = !e.isFunction && right != QLatin1String("DELETE") && right != QLatin1String("TRUNCATE");
    QSqlQuery q(db);
    q.prepare(e.isFunction ? QStringLiteral("SELECT pg_catalog.has_function_privilege(?, ?, ?)")
              : byColumn   ? QStringLiteral("SELECT pg_catalog.has_table_privilege(?, ?, ?) "
                                            "OR pg_catalog.has_any_column_privilege(?, ?, ?)")
                           : QStringLiteral("SELECT pg_catalog.has_table_privilege(?, ?, ?)"));
    for (int pass = 0; pass < (byColumn ? 2 : 1); ++pass) {
        q.addBindValue(role);
        q.addBindValue(QString::fromLatin1(e.object));
        q.addBindValue(right);
    }
    if (!q.exec() || !q.next())
        return Result<bool>::failure(DescribeServerError(q.lastError()));
    return Result<bool>::success(q.value(0).toBool());
}

std::vector<Expectation> expectations(bool game)
{
    std::vector<Expectation> list;
    const auto add = [&](const char *table, bool insert) {
        list.push_back({table, "INSERT", false, insert});
        list.push_back({table, "SELECT", false, !game});
        list.push_back({table, "UPDATE", false, false});
        list.push_back({table, "DELETE", false, false});
        list.push_back({table, "TRUNCATE", false, false});
    };
    for (const char *table : kTables)
        add(table, true);
    for (const char *table : kGameOnlyTables)
        add(table, game);
    for (const char *function : kFunctions)
        list.push_back({function, "EXECUTE", true, true});
    return list;
}

// The class's logins share the server with the teachers: without a limit, machines left on (or a
// student opening sessions by hand) take every connection and lock the teacher out.
Status auditLimits(QSqlDatabase &db, ServerRoleAudit &audit)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT m.rolname, m.rolconnlimit FROM pg_catalog.pg_auth_members a "
                             "JOIN pg_catalog.pg_roles r ON r.oid = a.roleid "
                             "JOIN pg_catalog.pg_roles m ON m.oid = a.member "
                             "WHERE r.rolname = ? AND m.rolcanlogin AND NOT m.rolsuper AND (m.rolconnlimit < 0 OR "
                             "m.rolconnlimit > pg_catalog.current_setting('max_connections')::int "
                             "- pg_catalog.current_setting('superuser_reserved_connections')::int - 5) ORDER BY 1"));
    q.addBindValue(audit.role);
    if (!q.exec())
        return Status::failure(DescribeServerError(q.lastError()));
    while (q.next())
        audit.wrongs << QStringLiteral("нет предела подключений у входа %1, учителю может не хватить подключений "
                                       "(ALTER ROLE %1 CONNECTION LIMIT 60;)").arg(q.value(0).toString());
    return Status::success();
}

Status auditRole(QSqlDatabase &db, ServerRoleAudit &audit, bool game)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT m.rolname FROM pg_catalog.pg_auth_members a "
                             "JOIN pg_catalog.pg_roles r ON r.oid = a.roleid "
                             "JOIN pg_catalog.pg_roles m ON m.oid = a.member WHERE r.rolname = ? ORDER BY 1"));
    q.addBindValue(audit.role);
    if (!q.exec())
        return Status::failure(DescribeServerError(q.lastError()));
    while (q.next())
        audit.members << q.value(0).toString();
    if (game) {
        if (const Status s = auditLimits(db, audit); !s.ok())
            return s;
    }
    for (const Expectation &e : expectations(game)) {
        const auto has = holds(db, audit.role, e);
        if (!has.ok())
            return Status::failure(has.error);
        if (has.value != e.wanted)
            audit.wrongs << QStringLiteral("%1 %2 %3").arg(has.value ? QStringLiteral("лишнее право")
                                                                     : QStringLiteral("нет права"),
                                                           QLatin1String(e.right), QLatin1String(e.object));
    }
    return Status::success();
}

Status readRoles(QSqlDatabase &db, ServerAudit &audit)
{
    for (ServerRoleAudit *role : {&audit.game, &audit.teacher}) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = ?)"));
        q.addBindValue(role->role);
        if (!q.exec() || !q.next())
            return Status::failure(DescribeServerError(q.lastError()));
        role->exists = q.value(0).toBool();
        if (role->exists && audit.schema.present) {
            if (const Status s = auditRole(db, *role, role == &audit.game); !s.ok())
                return s;
        }
    }
    return Status::success();
}

} // namespace

bool ServerAudit::healthy(int knownVersion) const
{
    return schema.present && schema.version == knownVersion && guardPresent && game.exists && teacher.exists
           && game.wrongs.isEmpty() && teacher.wrongs.isEmpty();
}

Result<ServerAudit> AuditServer(QSqlDatabase &db, const QString &service)
{
    ServerAudit audit;
    audit.game.role = QStringLiteral("tallory_game");
    audit.teacher.role = QStringLiteral("tallory_teacher");
    // The schema first: a login without either role may not even look into it, and is told so.
    const auto schema = ReadServerSchema(db, service);
    if (!schema.ok())
        return Result<ServerAudit>::failure(schema.error);
    audit.schema = schema.value;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT CURRENT_USER, pg_catalog.current_database(), "
                               "pg_catalog.current_setting('server_version'), "
                               "pg_catalog.to_regprocedure('tallory.attempt_refusal(text, text, boolean)') IS NOT NULL"))
        || !q.next())
        return Result<ServerAudit>::failure(DescribeServerError(q.lastError()));
    audit.user = q.value(0).toString();
    audit.database = q.value(1).toString();
    audit.serverVersion = q.value(2).toString();
    audit.guardPresent = q.value(3).toBool();
    if (const Status s = readRoles(db, audit); !s.ok())
        return Result<ServerAudit>::failure(s.error);
    return Result<ServerAudit>::success(audit);
}
