#include "serverschema.h"

#include "serverconnection.h"
#include "sqlscript.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <functional>

namespace {

QString errorText(const QSqlError &error)
{
    return DescribeServerError(error);
}

/// The first value of a statement's first row, or the error.
Result<QVariant> scalar(QSqlDatabase &db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(db);
    if (!q.prepare(sql))
        return Result<QVariant>::failure(errorText(q.lastError()));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        return Result<QVariant>::failure(errorText(q.lastError()));
    return Result<QVariant>::success(q.next() ? q.value(0) : QVariant());
}

QString ownerProblem(QSqlDatabase &db, const QString &service)
{
    const auto owner = scalar(db, QStringLiteral(
        "SELECT CASE WHEN d.datdba = u.oid THEN '' ELSE pg_catalog.pg_get_userbyid(d.datdba) END "
        "FROM pg_catalog.pg_database d, pg_catalog.pg_roles u "
        "WHERE d.datname = pg_catalog.current_database() AND u.rolname = CURRENT_USER"));
    if (!owner.ok())
        return owner.error;
    if (owner.value.toString().isEmpty())
        return QString();
    return QStringLiteral("Служба «%1» подключается не от имени владельца базы: схему создаёт и обновляет "
                          "владелец, «%2». Укажите его в описании службы (user).")
        .arg(service, owner.value.toString());
}

// Roles belong to the whole cluster: a database owner may make them only with CREATEROLE.
QString rolesProblem(QSqlDatabase &db)
{
    const auto missing = scalar(db, QStringLiteral(
        "SELECT NOT (r.rolcreaterole OR r.rolsuper) AND "
        "(SELECT count(*) FROM pg_catalog.pg_roles WHERE rolname IN ('tallory_game', 'tallory_teacher')) < 2 "
        "FROM pg_catalog.pg_roles r WHERE r.rolname = CURRENT_USER"));
    if (!missing.ok())
        return missing.error;
    if (!missing.value.toBool())
        return QString();
    return QStringLiteral("Ролей tallory_game и tallory_teacher на сервере ещё нет, а владельцу базы не дано "
                          "право их создать (CREATEROLE). Пусть администратор сервера создаст их: "
                          "CREATE ROLE tallory_game NOLOGIN; CREATE ROLE tallory_teacher NOLOGIN;");
}

Result<QString> migrationText(const ServerMigration &m)
{
    QFile file(m.path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QString>::failure(QStringLiteral("Нет текста версии %1 схемы («%2»).").arg(m.version).arg(m.path));
    return Result<QString>::success(QString::fromUtf8(file.readAll()));
}

// Runs the versions above `from` and records each; the caller holds the transaction.
Status apply(QSqlDatabase &db, int from, const std::vector<ServerMigration> &migrations)
{
    for (const ServerMigration &m : migrations) {
        if (m.version <= from)
            continue;
        const auto text = migrationText(m);
        if (!text.ok())
            return Status::failure(text.error);
        for (const QString &statement : SplitSqlScript(text.value)) {
            QSqlQuery q(db);
            if (!q.exec(statement))
                return Status::failure(QStringLiteral("Версия %1 схемы не применилась: %2")
                                           .arg(m.version).arg(errorText(q.lastError())));
        }
        const auto recorded = scalar(db, QStringLiteral("INSERT INTO tallory.schema_history (version) VALUES (?)"),
                                     {m.version});
        if (!recorded.ok())
            return Status::failure(recorded.error);
    }
    return Status::success();
}

Status inTransaction(QSqlDatabase &db, const std::function<Status()> &work)
{
    if (!db.transaction())
        return Status::failure(errorText(db.lastError()));
    const Status done = work();
    if (!done.ok()) {
        db.rollback();
        return done;
    }
    return db.commit() ? Status::success() : Status::failure(errorText(db.lastError()));
}

} // namespace

std::vector<ServerMigration> ServerMigrations()
{
    // Files named NNN_what.sql: the number is the version. A gap would be a version lost in
    // the build, so the list stops before it.
    std::vector<ServerMigration> list;
    const QDir dir(QStringLiteral(":/server/schema"));
    for (const QString &name : dir.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name)) {
        if (name.left(3).toInt() != static_cast<int>(list.size()) + 1)
            break;
        list.push_back({static_cast<int>(list.size()) + 1, dir.filePath(name)});
    }
    return list;
}

int ServerSchemaVersion()
{
    return static_cast<int>(ServerMigrations().size());
}

Result<ServerSchemaState> ReadServerSchema(QSqlDatabase &db, const QString &service)
{
    const auto present = scalar(db, QStringLiteral(
        "SELECT EXISTS (SELECT FROM pg_catalog.pg_namespace WHERE nspname = 'tallory')"));
    if (!present.ok())
        return Result<ServerSchemaState>::failure(present.error);
    if (!present.value.toBool())
        return Result<ServerSchemaState>::success({});
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT tallory.schema_version()"))) {
        const QString state = q.lastError().nativeErrorCode();
        if (state == QLatin1String("42501"))
            return Result<ServerSchemaState>::failure(
                QStringLiteral("Пользователю службы «%1» не выдана ни роль tallory_game, ни tallory_teacher: "
                               "выдайте нужную (GRANT tallory_game TO пользователь;).").arg(service));
        if (state != QLatin1String("42883"))
            return Result<ServerSchemaState>::failure(errorText(q.lastError()));
    } else if (q.next() && !q.value(0).isNull()) {
        return Result<ServerSchemaState>::success({true, q.value(0).toInt()});
    }
    return Result<ServerSchemaState>::failure(
        QStringLiteral("В базе службы «%1» есть схема tallory, но не созданная этой программой (у неё нет "
                       "версии): переименуйте её или возьмите другую базу.").arg(service));
}

QString SchemaProblem(const QString &service, const ServerSchemaState &state, int known)
{
    if (!state.present)
        return QStringLiteral("В базе службы «%1» нет схемы Таллори: владелец базы создаёт её командой "
                              "tallory-results server init %1").arg(service);
    if (state.version < known)
        return QStringLiteral("Схема Таллори в базе службы «%1» устарела (версия %2, программе нужна %3): "
                              "владелец базы обновляет её командой tallory-results server upgrade %1")
            .arg(service).arg(state.version).arg(known);
    if (state.version > known)
        return QStringLiteral("Схема Таллори в базе службы «%1» новее этой программы (версия %2, программа "
                              "знает версии до %3): обновите программу.").arg(service).arg(state.version).arg(known);
    return QString();
}

Status CreateServerSchema(QSqlDatabase &db, const QString &service, const std::vector<ServerMigration> &migrations)
{
    const auto state = ReadServerSchema(db, service);
    if (!state.ok())
        return Status::failure(state.error);
    if (state.value.present)
        return Status::failure(QStringLiteral("В базе службы «%1» схема Таллори уже есть (версия %2): создавать "
                                              "нечего. Обновить её: tallory-results server upgrade %1")
                                   .arg(service).arg(state.value.version));
    for (const QString &problem : {ownerProblem(db, service), rolesProblem(db)}) {
        if (!problem.isEmpty())
            return Status::failure(problem);
    }
    return inTransaction(db, [&] { return apply(db, 0, migrations); });
}

Result<int> UpgradeServerSchema(QSqlDatabase &db, const QString &service, const std::vector<ServerMigration> &migrations)
{
    const auto state = ReadServerSchema(db, service);
    if (!state.ok())
        return Result<int>::failure(state.error);
    const int known = static_cast<int>(migrations.size());
    if (!state.value.present || state.value.version > known)
        return Result<int>::failure(SchemaProblem(service, state.value, known));
    if (state.value.version == known)
        return Result<int>::success(0);
    if (const QString problem = ownerProblem(db, service); !problem.isEmpty())
        return Result<int>::failure(problem);
    int applied = 0;
    const Status done = inTransaction(db, [&] {
        // Two upgrades at once: the second waits here, then finds the first one's version.
        QSqlQuery lock(db);
        if (!lock.exec(QStringLiteral("LOCK TABLE tallory.schema_history IN EXCLUSIVE MODE")))
            return Status::failure(errorText(lock.lastError()));
        const auto current = scalar(db, QStringLiteral("SELECT tallory.schema_version()"));
        if (!current.ok())
            return Status::failure(current.error);
        applied = std::max(0, known - current.value.toInt());
        return apply(db, current.value.toInt(), migrations);
    });
    return done.ok() ? Result<int>::success(applied) : Result<int>::failure(done.error);
}
