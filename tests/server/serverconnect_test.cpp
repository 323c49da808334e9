// Connecting by a service name: each way it can fail is a Russian message naming what to fix.

#include "pgcluster.h"
#include "cp1251.h"
#include "files.h"
#include "inifile.h"
#include "serverconnection.h"
#include "toolstest.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using pgtest::cluster;

namespace {

ServerProblem failureOf(const QString &service)
{
    ServerProblem problem;
    const auto connection = ServerConnection::open(service, {}, &problem);
    EXPECT_FALSE(connection);
    return problem;
}

class ServerConnect : public pgtest::ServerTest
{
};

} // namespace

TEST_F(ServerConnect, UnknownServiceSaysWhereLibpqLooks)
{
    const ServerProblem problem = failureOf(QStringLiteral("no_such_service"));
    EXPECT_EQ(problem.failure, ServerFailure::UnknownService) << problem.message.toStdString();
    EXPECT_TRUE(problem.message.startsWith(QStringLiteral("Служба «no_such_service» не описана")))
        << problem.message.toStdString();
    EXPECT_TRUE(problem.message.contains(QStringLiteral("PGSERVICEFILE"))) << problem.message.toStdString();
}

TEST_F(ServerConnect, WrongPasswordSaysToCheckThePassword)
{
    cluster().addService(QStringLiteral("wrong_password"), m_database, QStringLiteral("school_owner"),
                         QStringLiteral("not-the-password"));
    const ServerProblem problem = failureOf(QStringLiteral("wrong_password"));
    EXPECT_EQ(problem.failure, ServerFailure::WrongPassword) << problem.message.toStdString();
    EXPECT_TRUE(problem.message.startsWith(QStringLiteral("Сервер службы «wrong_password» не принял пароль")))
        << problem.message.toStdString();
}

TEST_F(ServerConnect, ServerThatIsNotThereSaysItDoesNotAnswer)
{
    cluster().addService(QStringLiteral("nobody_home"), m_database, QStringLiteral("school_owner"),
                         pgtest::kOwnerPassword, cluster().deadSocketDir());
    const ServerProblem problem = failureOf(QStringLiteral("nobody_home"));
    EXPECT_EQ(problem.failure, ServerFailure::NotAnswering) << problem.message.toStdString();
    EXPECT_TRUE(problem.message.startsWith(QStringLiteral("Сервер службы «nobody_home» не отвечает")))
        << problem.message.toStdString();
}

// A port that takes the connection and never says a word, as a server hung or behind a broken
// network does: the kernel completes the handshake, nobody reads.
TEST_F(ServerConnect, ServerThatNeverAnswersIsGivenUpWithinTheBound)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length), 0);
    cluster().addService(QStringLiteral("silent"), m_database, QStringLiteral("school_owner"), pgtest::kOwnerPassword,
                         QStringLiteral("127.0.0.1"), ntohs(address.sin_port));
    QElapsedTimer clock;
    clock.start();
    const ServerProblem problem = failureOf(QStringLiteral("silent"));
    const qint64 waited = clock.elapsed();
    ::close(listener);
    EXPECT_EQ(problem.failure, ServerFailure::NotAnswering) << problem.message.toStdString();
    EXPECT_LT(waited, 4000) << "connect_timeout is 2 s";
}

TEST_F(ServerConnect, StatementsAreBoundedWhenAsked)
{
    ServerProblem problem;
    ServerConnectOptions options;
    options.statementTimeoutMs = 50;
    const auto connection = ServerConnection::open(service("owner"), options, &problem);
    ASSERT_TRUE(connection) << problem.message.toStdString();
    QSqlQuery q(connection->database());
    EXPECT_FALSE(q.exec(QStringLiteral("SELECT pg_sleep(30)")));
    EXPECT_TRUE(DescribeServerError(q.lastError()).startsWith(QStringLiteral("сервер не ответил вовремя")))
        << DescribeServerError(q.lastError()).toStdString();
}

TEST_F(ServerConnect, DatabaseThatIsNotThereIsNamed)
{
    cluster().addService(QStringLiteral("no_database"), QStringLiteral("nowhere"), QStringLiteral("school_owner"),
                         pgtest::kOwnerPassword);
    EXPECT_EQ(failureOf(QStringLiteral("no_database")).failure, ServerFailure::NoDatabase);
}

// Qt passes the options to libpq as they are: a blank in the name would smuggle in options of
// its own (here another password), so such a name never reaches libpq.
TEST(ServerConnectName, NameThatWouldCarryOptionsIsRefused)
{
    ServerProblem problem;
    const auto connection = ServerConnection::open(QStringLiteral("x password=y"), {}, &problem);
    EXPECT_FALSE(connection);
    EXPECT_EQ(problem.failure, ServerFailure::BadServiceName);
    EXPECT_TRUE(problem.message.contains(QStringLiteral("«x password=y»"))) << problem.message.toStdString();
}

// A school's server and the program's own locale may speak Russian: libpq's and the server's
// translated words are understood as well as the English ones.
TEST(ServerConnectWords, RussianMessagesOfLibpqAndTheServerAreUnderstood)
{
    const QString s = QStringLiteral("класс");
    EXPECT_EQ(ClassifyConnectError(s, QStringLiteral("определение службы \"класс\" не найдено")).failure,
              ServerFailure::UnknownService);
    EXPECT_EQ(ClassifyConnectError(s, QStringLiteral("подключиться к серверу \"10.0.0.5\", порту 5432 не удалось: "
                                                     "ВАЖНО:  пользователь \"pc7\" не прошёл проверку подлинности "
                                                     "(по паролю)")).failure,
              ServerFailure::WrongPassword);
    EXPECT_EQ(ClassifyConnectError(s, QStringLiteral("подключиться к серверу \"10.0.0.5\", порту 5432 не удалось: "
                                                     "ВАЖНО:  в pg_hba.conf нет записи для компьютера")).failure,
              ServerFailure::NotAllowed);
    EXPECT_EQ(ClassifyConnectError(s, QStringLiteral("подключиться к серверу \"10.0.0.5\", порту 5432 не удалось: "
                                                     "ВАЖНО:  база данных \"school\" не существует")).failure,
              ServerFailure::NoDatabase);
    EXPECT_EQ(ClassifyConnectError(s, QStringLiteral("подключиться к серверу \"10.0.0.5\", порту 5432 не удалось: "
                                                     "тайм-аут")).failure,
              ServerFailure::NotAnswering);
    EXPECT_EQ(ClassifyConnectError(s, QStringLiteral("подключиться к серверу \"10.0.0.5\", порту 5432 не удалось: "
                                                     "файл корневых сертификатов \"/etc/ssl/ca.pem\" не существует")).failure,
              ServerFailure::Tls);
}

TEST(ServerConnectWords, UntrustedCertificateIsNotTakenForASilentServer)
{
    const ServerProblem problem = ClassifyConnectError(
        QStringLiteral("school"), QStringLiteral("connection to server at \"10.0.0.5\", port 5432 failed: server "
                                                 "certificate for \"db.school.local\" does not match host name "
                                                 "\"10.0.0.5\""));
    EXPECT_EQ(problem.failure, ServerFailure::Tls);
    EXPECT_TRUE(problem.message.startsWith(QStringLiteral("Сервер службы «school» не прошёл проверку TLS")))
        << problem.message.toStdString();
}

TEST(ServerConnectWords, LoginNotAllowedIsNotTakenForAMissingUser)
{
    const ServerProblem problem = ClassifyConnectError(
        QStringLiteral("s"), QStringLiteral("connection to server on socket \"/run/.s.PGSQL.5432\" failed: "
                                            "FATAL:  role \"tallory_game\" is not permitted to log in"));
    EXPECT_EQ(problem.failure, ServerFailure::NotAllowed);
    EXPECT_TRUE(problem.message.contains(QStringLiteral("is not permitted to log in")))
        << "the driver's own words follow the advice: " << problem.message.toStdString();
}

TEST(ServerSetting, TheFolderNamesItsServiceInTheServerSection)
{
    QTemporaryDir folder;
    const QString program = folder.path() + QLatin1Char('/');
    EXPECT_EQ(ServerServiceOf(program), QString()); // no tallory.ini at all
    ASSERT_TRUE(IniWriteString(SettingsFilePath(program), cp1251::text(u"настройки"), "x", "1").ok());
    EXPECT_EQ(ServerServiceOf(program), QString());
    ASSERT_TRUE(IniWriteString(SettingsFilePath(program), cp1251::text(u"сервер"), cp1251::text(u"Служба"),
                               " school-lab ").ok());
    EXPECT_EQ(ServerServiceOf(program), QStringLiteral("school-lab"));
}
