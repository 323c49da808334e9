#pragma once
// Tallory's schema on the school's server: its versions, reading which one a database holds,
// creating it and bringing it up to date. The SQL lives in server/schema/NNN_name.sql, one file
// per version, each bringing the version before it to its own; README describes the tables.

#include "result.h"

#include <QSqlDatabase>
#include <QString>

#include <vector>

/// One version of the schema and the SQL that brings the version before it to it.
struct ServerMigration {
    int version = 0;
    QString path; ///< a resource path, or a file's in tests
};

/// The versions built into this program, in order (version i at index i - 1).
std::vector<ServerMigration> ServerMigrations();

/// The version this program reads and writes: the last of ServerMigrations().
int ServerSchemaVersion();

struct ServerSchemaState {
    bool present = false; ///< the schema "tallory" exists
    int version = 0;      ///< tallory.schema_version(), when present
};

/// Whether the service's database holds the schema and at which version, or why that cannot
/// be told (a login without either role, a foreign schema of the same name).
Result<ServerSchemaState> ReadServerSchema(QSqlDatabase &db, const QString &service);

/// What a program knowing versions up to `known` finds wrong with the schema, in Russian, with
/// the command that fixes it; empty when the schema is the one it knows.
QString SchemaProblem(const QString &service, const ServerSchemaState &state, int known);

/// Creates the schema in a database that has none: every version in one transaction, connected
/// as the database's owner (who then owns it all).
Status CreateServerSchema(QSqlDatabase &db, const QString &service,
                          const std::vector<ServerMigration> &migrations = ServerMigrations());

/// Applies the versions above the database's, in order, in one transaction, as the owner. How
/// many were applied: 0 when the schema is current.
Result<int> UpgradeServerSchema(QSqlDatabase &db, const QString &service,
                                const std::vector<ServerMigration> &migrations = ServerMigrations());
