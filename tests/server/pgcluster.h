#pragma once
// A throw-away PostgreSQL 15 cluster for the server tests: initdb and pg_ctl on a Unix socket in a
// temporary folder, started once per test program (a GoogleTest environment) and stopped at its
// end. The server refuses to run as root, so as root it runs as the system user "tallory-pg".
// Logins: school_owner (owns each test's database, may create roles), school_game and
// school_teacher (granted tallory_game and tallory_teacher once a schema has made them).

#include "serverconnection.h"
#include "serverrows.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace pgtest {

class Proxy;

class Cluster : public ::testing::Environment
{
public:
    void SetUp() override;
    void TearDown() override;

    /// Empty when the cluster runs; otherwise why not, for GTEST_SKIP.
    const QString &unavailable() const { return m_unavailable; }

    /// Adds a service to the pg_service.conf that PGSERVICEFILE names; by default at this
    /// cluster's socket.
    void addService(const QString &name, const QString &database, const QString &user, const QString &password,
                    const QString &host = QString(), int port = 5432);

    /// Runs statements as the cluster's superuser in a database; the error text, empty when done.
    QString adminSql(const QString &database, const QStringList &statements);

    /// The folder of the server's socket file, ".s.PGSQL.5432".
    QString socketDir() const { return m_dir.filePath(QStringLiteral("sock")); }

    /// Stops the server (its connections are cut) and starts it again on the same socket, for
    /// tests of a server that goes away in the middle of a lesson. The error text, empty when done.
    QString stop();
    QString start();

    /// A folder in which no server listens.
    QString deadSocketDir() const { return m_dir.path() + QStringLiteral("/nobody"); }

private:
    QString prepareFolders();
    QString create();
    QString run(const QStringList &command, const QString &what);
    void writeServiceFile();

    QTemporaryDir m_dir{QStringLiteral("/tmp/tallory-pg-XXXXXX")};
    QStringList m_asUser; ///< "runuser -u tallory-pg --" as root, nothing otherwise
    QString m_unavailable;
    QStringList m_services;
    bool m_started = false;
};

/// The cluster of this test program.
Cluster &cluster();

/// Without GoogleTest (a benchmark): cluster().SetUp() starts the cluster, cluster().TearDown()
/// stops it; then these make a database like each test's.
/// Creates a database owned by school_owner and the services "<db>_owner", "<db>_game",
/// "<db>_teacher" to reach it; the error, empty when done.
QString createDatabase(const QString &database);
/// Creates the schema there as the owner and grants the two roles to the game's and the
/// teacher's logins; the error, empty when done.
QString createSchema(const QString &database);

/// The passwords of the logins, as the services carry them.
inline const QString kOwnerPassword = QStringLiteral("owner-secret");
inline const QString kGamePassword = QStringLiteral("game-secret");
inline const QString kTeacherPassword = QStringLiteral("teacher-secret");

/// A test with a fresh database of its own, owned by school_owner, and the services
/// "<db>_owner", "<db>_game", "<db>_teacher" and "<db>_admin" (the superuser) to reach it.
class ServerTest : public ::testing::Test
{
protected:
    void SetUp() override;

    /// The service for one of the logins of this test's database.
    QString service(const char *who) const { return m_database + QLatin1Char('_') + QLatin1String(who); }

    /// Adds "<db>_<who>_proxy": the same login as service(who), through the proxy. Returns its name.
    QString serviceThrough(const Proxy &proxy, const char *who);

    /// Opens a service; fails the test when it cannot.
    std::unique_ptr<ServerConnection> connect(const QString &service);

    /// Creates the schema as the owner and grants the two roles to the game's and the teacher's logins.
    void initSchema();

    QString m_database;
};

/// A row for a server table from its values in the order of the table's columns: a test's
/// shorthand for rows whose names are not what it tests.
inline TableRow row(ServerTable table, const QVariantList &values)
{
    TableRow row;
    const QStringList &columns = ServerColumns(table);
    for (qsizetype i = 0; i < values.size() && i < columns.size(); ++i)
        row.set(columns[i], values[i]);
    return row;
}

} // namespace pgtest
