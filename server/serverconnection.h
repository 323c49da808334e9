#pragma once
// A connection to the school's server, named by a libpq service (pg_service.conf): host, port,
// database, user and TLS live there, the password in ~/.pgpass or the service file, never in
// tallory.ini. Connecting is bounded; every failure is a Russian message naming what to fix.

#include "result.h"

#include <QSqlDatabase>
#include <QString>

#include <memory>

class QSqlError;

/// What stopped a connection, for callers that act on it (the game falls back to its file).
enum class ServerFailure {
    None,
    NoDriver,       ///< Qt's QPSQL driver is not installed
    BadServiceName, ///< a name libpq's option string cannot carry
    UnknownService, ///< no such service in any pg_service.conf libpq reads
    NoPassword,     ///< the server asked for a password and none was found
    WrongPassword,  ///< the server refused the password
    NotAllowed,     ///< pg_hba.conf has no line that lets this connection in
    NoDatabase,     ///< the service names a database the server does not have
    NoUser,         ///< the service names a user the server does not have
    Tls,            ///< the server's certificate was not trusted, or TLS failed
    NotAnswering,   ///< nobody answered at the address in time
    Other,
};

struct ServerProblem {
    ServerFailure failure = ServerFailure::None;
    QString message; ///< Russian, names the service and what to fix, the driver's words after it
};

/// How long a connection may wait. libpq counts connect_timeout in whole seconds, at least 2.
struct ServerConnectOptions {
    int connectTimeoutSeconds = 2;
    int statementTimeoutMs = 0; ///< every statement's bound once connected; 0 = none
    /// Where the service is described. Empty: wherever libpq looks (PGSERVICEFILE, then
    /// ~/.pg_service.conf, then the system's file), as a teacher's programs do. The game names
    /// the system's file: a student's own file must not point the game elsewhere.
    QString serviceFile = {};
};

/// The machine's own service file, which only its administrator may change: the file libpq
/// reads last, in the folder Debian's libpq is built with.
QString SystemServiceFile();

/// Forgets every PG* variable of the environment, so that nothing a user sets in his own
/// session (a host, a port, TLS options, a password file) reaches the game's connections.
void ForgetPostgresEnvironment();

/// Names a failed connection from libpq's message (in English, or in Russian where libpq and the
/// server speak it). Kept apart from connecting so that every wording can be tested.
ServerProblem ClassifyConnectError(const QString &service, const QString &driverText);

/// An open connection of its own (a unique Qt connection name), closed and removed when destroyed.
class ServerConnection
{
public:
    /// Connects to the service; on failure the problem says why.
    static std::unique_ptr<ServerConnection> open(const QString &service, const ServerConnectOptions &options,
                                                  ServerProblem *problem);
    ~ServerConnection();
    ServerConnection(const ServerConnection &) = delete;
    ServerConnection &operator=(const ServerConnection &) = delete;

    QSqlDatabase database() const;
    const QString &service() const { return m_service; }

private:
    ServerConnection(QString connectionName, QString service);
    QString m_connectionName;
    QString m_service;
};

/// The service a program folder's settings name: "[сервер] Служба=NAME" in tallory.ini, trimmed;
/// empty when no server is named (no section, no key, or an empty value). Reading it loads no
/// driver, so a folder without a server costs nothing more at start-up.
QString ServerServiceOf(const QString &programFolder);

/// Why a statement failed, in Russian, with the server's own words after it.
QString DescribeServerError(const QSqlError &error);
