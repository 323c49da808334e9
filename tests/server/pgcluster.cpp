#include "pgcluster.h"

#include "pgproxy.h"

#include "serverschema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pgtest {

namespace {

// Debian 12's PostgreSQL; TALLORY_PG_BIN names another folder of initdb and pg_ctl.
const QString kBin = qEnvironmentVariable("TALLORY_PG_BIN", QStringLiteral("/usr/lib/postgresql/15/bin"));
const char *const kSystemUser = "tallory-pg";
const QString kAdminPassword = QStringLiteral("admin-secret");

Cluster *const theCluster = static_cast<Cluster *>(::testing::AddGlobalTestEnvironment(new Cluster));

// The server runs as this user and must own its folders; root reaches its socket anyway.
QString handOver(const QString &path, const passwd *user)
{
    if (user && ::chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid) != 0)
        return QStringLiteral("cannot give %1 to %2").arg(path, QString::fromLatin1(kSystemUser));
    return QString();
}

const passwd *systemUser(QString *why)
{
    if (const passwd *user = ::getpwnam(kSystemUser))
        return user;
    QProcess add;
    add.start(QStringLiteral("useradd"), {QStringLiteral("--system"), QStringLiteral("--no-create-home"),
                                          QStringLiteral("--home-dir"), QStringLiteral("/nonexistent"),
                                          QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"),
                                          QString::fromLatin1(kSystemUser)});
    add.waitForFinished(30000);
    if (const passwd *user = ::getpwnam(kSystemUser))
        return user;
    *why = QStringLiteral("cannot create the system user %1 to run PostgreSQL as: %2")
               .arg(QString::fromLatin1(kSystemUser), QString::fromLocal8Bit(add.readAllStandardError()));
    return nullptr;
}

// The login and the password of a test database's "owner", "game" or "teacher".
std::pair<QString, QString> loginOf(const char *who)
{
    const QString name = QLatin1String(who);
    if (name == QLatin1String("game"))
        return {QStringLiteral("school_game"), kGamePassword};
    if (name == QLatin1String("teacher"))
        return {QStringLiteral("school_teacher"), kTeacherPassword};
    return {QStringLiteral("school_owner"), kOwnerPassword};
}

} // namespace

Cluster &cluster()
{
    return *theCluster;
}

QString Cluster::run(const QStringList &command, const QString &what)
{
    QProcess p;
    // Files, not pipes: the server pg_ctl leaves running would hold a pipe open.
    p.setStandardOutputFile(m_dir.filePath(what + QStringLiteral(".out")));
    p.setStandardErrorFile(m_dir.filePath(what + QStringLiteral(".out")), QIODevice::Append);
    const QStringList line = m_asUser + command;
    p.start(line.first(), line.mid(1));
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        QFile out(m_dir.filePath(what + QStringLiteral(".out")));
        out.open(QIODevice::ReadOnly);
        return QStringLiteral("%1 failed: %2").arg(what, QString::fromLocal8Bit(out.readAll()));
    }
    return QString();
}

QString Cluster::prepareFolders()
{
    const passwd *user = nullptr;
    QString why;
    if (::geteuid() == 0) {
        if (!(user = systemUser(&why)))
            return why;
        m_asUser = {QStringLiteral("runuser"), QStringLiteral("-u"), QString::fromLatin1(kSystemUser), QStringLiteral("--")};
    }
    QDir().mkpath(socketDir());
    QDir().mkpath(deadSocketDir());
    QFile pw(m_dir.filePath(QStringLiteral("pw")));
    pw.open(QIODevice::WriteOnly);
    pw.write(kAdminPassword.toUtf8() + '\n');
    pw.close();
    for (const QString &path : {m_dir.path(), socketDir(), pw.fileName()}) {
        if (!(why = handOver(path, user)).isEmpty())
            return why;
    }
    return QString();
}

QString Cluster::create()
{
    if (!QFileInfo(kBin + QStringLiteral("/initdb")).isExecutable()
        || !QFileInfo(kBin + QStringLiteral("/pg_ctl")).isExecutable())
        return QStringLiteral("PostgreSQL 15 is not installed (%1/initdb): scripts/setup installs it").arg(kBin);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return QStringLiteral("Qt's QPSQL driver is not installed: scripts/setup installs libqt6sql6-psql");
    if (!m_dir.isValid())
        return QStringLiteral("no temporary folder");
    QString why = prepareFolders();
    if (!why.isEmpty())
        return why;
    const QString data = m_dir.filePath(QStringLiteral("data"));
    why = run({kBin + QStringLiteral("/initdb"), QStringLiteral("-D"), data, QStringLiteral("-U"),
               QStringLiteral("tallory_admin"), QStringLiteral("--pwfile=") + m_dir.filePath(QStringLiteral("pw")),
               QStringLiteral("-A"), QStringLiteral("scram-sha-256"), QStringLiteral("-E"), QStringLiteral("UTF8"),
               QStringLiteral("--locale=C.UTF-8"), QStringLiteral("-N")},
              QStringLiteral("initdb"));
    if (!why.isEmpty())
        return why;
    return start();
}

QString Cluster::start()
{
    // No TCP at all; durability does not matter to a cluster that lives for one test program.
    const QString why = run({kBin + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
                             QStringLiteral("-l"), m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
                             QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-o"),
                             QStringLiteral("-k %1 -c listen_addresses='' -c fsync=off -c full_page_writes=off")
                                 .arg(socketDir()),
                             QStringLiteral("start")},
                            QStringLiteral("pg_ctl-start"));
    m_started = why.isEmpty();
    return why;
}

QString Cluster::stop()
{
    const QString why = run({kBin + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
                             QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")},
                            QStringLiteral("pg_ctl-stop"));
    m_started = !why.isEmpty();
    return why;
}

void Cluster::SetUp()
{
    m_unavailable = create();
    if (!m_unavailable.isEmpty())
        return;
    // libpq reads nothing of the machine's own: only this cluster's services and no password file.
    for (const char *name : {"PGHOST", "PGPORT", "PGUSER", "PGDATABASE", "PGPASSWORD", "PGSERVICE", "PGSSLMODE",
                             "PGCONNECT_TIMEOUT", "PGOPTIONS"})
        qunsetenv(name);
    qputenv("PGSERVICEFILE", QFile::encodeName(m_dir.filePath(QStringLiteral("pg_service.conf"))));
    qputenv("PGPASSFILE", QFile::encodeName(m_dir.filePath(QStringLiteral("no-pgpass"))));
    addService(QStringLiteral("admin"), QStringLiteral("postgres"), QStringLiteral("tallory_admin"), kAdminPassword);
    m_unavailable = adminSql(QStringLiteral("postgres"),
                             {QStringLiteral("CREATE ROLE school_owner LOGIN CREATEROLE PASSWORD '%1'").arg(kOwnerPassword),
                              // The class's login has a limit, as a school sets it up.
                              QStringLiteral("CREATE ROLE school_game LOGIN CONNECTION LIMIT 60 PASSWORD '%1'")
                                  .arg(kGamePassword),
                              QStringLiteral("CREATE ROLE school_teacher LOGIN PASSWORD '%1'").arg(kTeacherPassword)});
}

void Cluster::TearDown()
{
    if (m_started)
        run({kBin + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
             QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")},
            QStringLiteral("pg_ctl-stop"));
    m_started = false;
}

void Cluster::addService(const QString &name, const QString &database, const QString &user, const QString &password,
                         const QString &host, int port)
{
    m_services << QStringLiteral("[%1]\nhost=%2\nport=%3\ndbname=%4\nuser=%5\npassword=%6\n")
                      .arg(name, host.isEmpty() ? socketDir() : host)
                      .arg(port)
                      .arg(database, user, password);
    writeServiceFile();
}

void Cluster::writeServiceFile()
{
    QFile file(m_dir.filePath(QStringLiteral("pg_service.conf")));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(m_services.join(QLatin1Char('\n')).toUtf8());
}

QString Cluster::adminSql(const QString &database, const QStringList &statements)
{
    const QString service = QStringLiteral("admin_") + database;
    if (!m_services.join(QString()).contains(QLatin1Char('[') + service + QLatin1Char(']')))
        addService(service, database, QStringLiteral("tallory_admin"), kAdminPassword);
    ServerProblem problem;
    const auto connection = ServerConnection::open(service, {}, &problem);
    if (!connection)
        return problem.message;
    QSqlQuery q(connection->database());
    for (const QString &sql : statements) {
        if (!q.exec(sql))
            return sql + QStringLiteral(": ") + q.lastError().text();
    }
    return QString();
}

void ServerTest::SetUp()
{
    if (!cluster().unavailable().isEmpty())
        GTEST_SKIP() << "No PostgreSQL for this test: " << cluster().unavailable().toStdString();
    static int count = 0;
    m_database = QStringLiteral("t%1").arg(++count);
    ASSERT_EQ(createDatabase(m_database), QString());
}

QString createDatabase(const QString &database)
{
    const QString created =
        cluster().adminSql(QStringLiteral("postgres"), {QStringLiteral("CREATE DATABASE %1 OWNER school_owner").arg(database)});
    if (!created.isEmpty())
        return created;
    const QString prefix = database + QLatin1Char('_');
    for (const char *who : {"owner", "game", "teacher"})
        cluster().addService(prefix + QLatin1String(who), database, loginOf(who).first, loginOf(who).second);
    return QString();
}

QString createSchema(const QString &database)
{
    const QString service = database + QStringLiteral("_owner");
    ServerProblem problem;
    const auto owner = ServerConnection::open(service, {}, &problem);
    if (!owner)
        return problem.message;
    QSqlDatabase db = owner->database();
    const Status created = CreateServerSchema(db, service);
    if (!created.ok())
        return created.error;
    return cluster().adminSql(QStringLiteral("postgres"), {QStringLiteral("GRANT tallory_game TO school_game"),
                                                         QStringLiteral("GRANT tallory_teacher TO school_teacher")});
}

QString ServerTest::serviceThrough(const Proxy &proxy, const char *who)
{
    const QString name = service(who) + QStringLiteral("_proxy");
    cluster().addService(name, m_database, loginOf(who).first, loginOf(who).second, proxy.socketDir(), proxy.port());
    return name;
}

std::unique_ptr<ServerConnection> ServerTest::connect(const QString &service)
{
    ServerProblem problem;
    auto connection = ServerConnection::open(service, {}, &problem);
    EXPECT_TRUE(connection) << problem.message.toStdString();
    return connection;
}

void ServerTest::initSchema()
{
    ASSERT_EQ(createSchema(m_database), QString());
}

} // namespace pgtest
