#pragma once
// What "tallory-results server check" reports: the connection, the schema's version, and whether
// the two roles and the attempt guard are there with the rights they should have, no more.

#include "result.h"
#include "serverschema.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct ServerRoleAudit {
    QString role;
    bool exists = false;
    QStringList members;   ///< the logins (or groups) it is granted to
    QStringList wrongs;    ///< each right it has and should not, or lacks and should have
};

struct ServerAudit {
    QString user;
    QString database;
    QString serverVersion;
    ServerSchemaState schema;
    bool guardPresent = false;
    ServerRoleAudit game;
    ServerRoleAudit teacher;

    /// Everything in place: schema current, guard there, both roles with exactly their rights.
    bool healthy(int knownVersion) const;
};

/// Reads the facts above; any login may ask (the catalog and the privilege functions are public).
Result<ServerAudit> AuditServer(QSqlDatabase &db, const QString &service);
