#include "serverconnection.h"

#include "gamesettings.h"

#include "cp1251.h"
#include "files.h"
#include "inifile.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace {

// Qt hands the options to libpq as they are, with ';' turned into blanks: a name with a blank,
// a quote or '=' would become options of its own. Service names are short words.
bool isServiceName(const QString &service)
{
    static const QRegularExpression word(QStringLiteral("^[A-Za-z0-9_.-]{1,63}$"));
    return word.match(service).hasMatch();
}

struct Wording {
    ServerFailure failure;
    const char16_t *pattern;
};

// libpq's and the server's own words, in English and as their Russian translations say them.
// Checked in this order: every message of a failed connection begins "connection to server …
// failed:", so "not answering" comes last, for what no earlier line explains.
const Wording kWordings[] = {
    {ServerFailure::UnknownService, u"definition of service|service file|определение службы|файл определений служб"},
    {ServerFailure::NoPassword, u"no password supplied"},
    {ServerFailure::WrongPassword, u"password authentication failed|не прошёл проверку подлинности"},
    {ServerFailure::NotAllowed, u"pg_hba\\.conf|is not permitted to log in|вход запрещён|"
                                u"permission denied for database|доступ к базе"},
    {ServerFailure::NoDatabase, u"database \".*\" does not exist|база данных \".*\" не существует"},
    {ServerFailure::NoUser, u"role \".*\" does not exist|роль \".*\" не существует"},
    {ServerFailure::Tls, u"certificate|сертификат|SSL"},
    {ServerFailure::NotAnswering, u"connection to server|подключиться к серверу|timeout expired|тайм-аут|"
                                  u"could not translate host name|преобразовать имя"},
};

// A connection lost in the middle of a session: libpq says so in its own words, with no SQLSTATE,
// and a sender must tell it from a row the server refused (it waits for the one, not the other).
bool lostConnection(const QSqlError &error)
{
    static const QRegularExpression words(QStringLiteral(
        "server closed the connection|no connection to the server|could not (send|receive) data|"
        "закрыл соединение|нет соединения с сервером|не удалось (передать|получить) данные"));
    return error.nativeErrorCode().isEmpty() && words.match(error.text()).hasMatch();
}

QString advice(ServerFailure failure, const QString &s)
{
    switch (failure) {
    case ServerFailure::UnknownService:
        return QStringLiteral("Служба «%1» не описана: libpq ищет её в файле из переменной PGSERVICEFILE, "
                              "в ~/.pg_service.conf и в системном pg_service.conf. Проверьте имя службы "
                              "или добавьте её описание.").arg(s);
    case ServerFailure::NoPassword:
        return QStringLiteral("Сервер службы «%1» просит пароль, а его нет: запишите пароль в ~/.pgpass "
                              "(или в описание службы).").arg(s);
    case ServerFailure::WrongPassword:
        return QStringLiteral("Сервер службы «%1» не принял пароль: проверьте пользователя и пароль "
                              "в ~/.pgpass или в описании службы.").arg(s);
    case ServerFailure::NotAllowed:
        return QStringLiteral("Сервер службы «%1» не пускает этого пользователя в эту базу: администратору "
                              "сервера нужно разрешить вход (строка в pg_hba.conf, право LOGIN, право "
                              "CONNECT на базу).").arg(s);
    case ServerFailure::NoDatabase:
        return QStringLiteral("На сервере службы «%1» нет базы, названной в её описании (dbname): "
                              "проверьте имя базы или создайте её.").arg(s);
    case ServerFailure::NoUser:
        return QStringLiteral("На сервере службы «%1» нет пользователя, названного в её описании (user): "
                              "проверьте имя или создайте пользователя.").arg(s);
    case ServerFailure::Tls:
        return QStringLiteral("Сервер службы «%1» не прошёл проверку TLS: проверьте в описании службы "
                              "sslrootcert (сертификат центра, подписавшего сертификат сервера) и host "
                              "(имя, на которое выдан сертификат).").arg(s);
    case ServerFailure::NotAnswering:
        return QStringLiteral("Сервер службы «%1» не отвечает: проверьте, что он запущен и доступен "
                              "по сети (host и port в описании службы).").arg(s);
    default:
        return QStringLiteral("Не удалось подключиться к серверу по службе «%1».").arg(s);
    }
}

QString withDetails(const QString &message, const QString &driverText)
{
    const QString words = driverText.simplified();
    return words.isEmpty() ? message : message + QStringLiteral(" Подробности: ") + words;
}

// A libpq value in single quotes, as its option strings take them.
QString quoted(QString value)
{
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

// The service's lines from one file, read as libpq reads pg_service.conf: "[name]" begins a
// service, "key=value" lines follow, "#" begins a comment. Nothing when the file or the service
// is not there.
std::optional<QList<std::pair<QString, QString>>> serviceLines(const QString &file, const QString &service)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<QList<std::pair<QString, QString>>> lines;
    bool inside = false;
    while (!in.atEnd()) {
        const QString line = QString::fromUtf8(in.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            // libpq takes the first section of the name, as this does.
            if (lines)
                break;
            inside = line == QLatin1Char('[') + service + QLatin1Char(']');
            if (inside)
                lines.emplace();
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inside && eq > 0)
            lines->append({line.left(eq).trimmed(), line.mid(eq + 1).trimmed()});
    }
    return lines;
}

// Describes the connection with the service's lines themselves rather than its name, so that
// libpq looks in no other file. The password comes from the service or from a password file
// beside it, never from the user's own ~/.pgpass.
bool describeFromFile(QSqlDatabase &db, const QString &file, const QString &service, QString &options)
{
    const auto lines = serviceLines(file, service);
    if (!lines)
        return false;
    options += QStringLiteral(" passfile=") + quoted(QFileInfo(file).absolutePath() + QStringLiteral("/pgpass"));
    for (const auto &[key, value] : *lines) {
        if (key == QLatin1String("host"))
            db.setHostName(value);
        else if (key == QLatin1String("port"))
            db.setPort(value.toInt());
        else if (key == QLatin1String("dbname"))
            db.setDatabaseName(value);
        else if (key == QLatin1String("user"))
            db.setUserName(value);
        else if (key == QLatin1String("password"))
            db.setPassword(value);
        else if (key != QLatin1String("connect_timeout") && key != QLatin1String("application_name")
                 && !value.contains(QLatin1Char(';')))
            options += QLatin1Char(' ') + key + QLatin1Char('=') + quoted(value);
    }
    return true;
}

QString uniqueConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("tallory-server-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

ServerProblem ClassifyConnectError(const QString &service, const QString &driverText)
{
    for (const Wording &w : kWordings) {
        const QRegularExpression words(QString::fromUtf16(w.pattern), QRegularExpression::CaseInsensitiveOption);
        if (words.match(driverText).hasMatch())
            return {w.failure, withDetails(advice(w.failure, service), driverText)};
    }
    return {ServerFailure::Other, withDetails(advice(ServerFailure::Other, service), driverText)};
}

std::unique_ptr<ServerConnection> ServerConnection::open(const QString &service, const ServerConnectOptions &options,
                                                         ServerProblem *problem)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        *problem = {ServerFailure::NoDriver, QStringLiteral("Нет драйвера PostgreSQL для Qt (QPSQL): "
                                                            "установите пакет libqt6sql6-psql.")};
        return nullptr;
    }
    if (!isServiceName(service)) {
        *problem = {ServerFailure::BadServiceName,
                    QStringLiteral("Имя службы «%1» не подходит: в нём могут быть только латинские буквы, "
                                   "цифры, точка, дефис и подчёркивание.").arg(service)};
        return nullptr;
    }
    std::unique_ptr<ServerConnection> connection(new ServerConnection(uniqueConnectionName(), service));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection->m_connectionName);
    QString connect = QStringLiteral("connect_timeout=%1 application_name=tallory")
                          .arg(std::max(options.connectTimeoutSeconds, 2));
    if (options.serviceFile.isEmpty()) {
        connect += QStringLiteral(" service=") + service;
    } else if (!describeFromFile(db, options.serviceFile, service, connect)) {
        *problem = {ServerFailure::UnknownService,
                    QStringLiteral("Служба «%1» не описана в системном файле служб «%2»: игра берёт службу только "
                                   "оттуда (не из ~/.pg_service.conf ученика). Добавьте её описание в этот файл.")
                        .arg(service, options.serviceFile)};
        return nullptr;
    }
    db.setConnectOptions(connect);
    if (!db.open()) {
        *problem = ClassifyConnectError(service, db.lastError().databaseText());
        return nullptr;
    }
    QSqlQuery q(db);
    // The server's notices would otherwise go to the console of whoever runs us.
    if (!q.exec(QStringLiteral("SET client_min_messages = warning"))
        || (options.statementTimeoutMs > 0
            && !q.exec(QStringLiteral("SET statement_timeout = %1").arg(options.statementTimeoutMs)))) {
        *problem = {ServerFailure::Other, withDetails(advice(ServerFailure::Other, service), q.lastError().text())};
        return nullptr;
    }
    *problem = {};
    return connection;
}

ServerConnection::ServerConnection(QString connectionName, QString service)
    : m_connectionName(std::move(connectionName))
    , m_service(std::move(service))
{
}

ServerConnection::~ServerConnection()
{
    QSqlDatabase::database(m_connectionName, false).close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase ServerConnection::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QString DescribeServerError(const QSqlError &error)
{
    const QString state = error.nativeErrorCode();
    QString why;
    if (state == QLatin1String("42501"))
        why = QStringLiteral("нет прав: этой роли сервер такого не позволяет");
    else if (state == QLatin1String("57014"))
        why = QStringLiteral("сервер не ответил вовремя");
    else if (state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") || lostConnection(error))
        why = QStringLiteral("связь с сервером потеряна");
    else if (state.startsWith(QLatin1String("23")))
        why = QStringLiteral("сервер отверг строку: она не подходит к схеме");
    else
        why = QStringLiteral("ошибка сервера");
    const QString words = (error.databaseText().isEmpty() ? error.text() : error.databaseText()).simplified();
    return words.isEmpty() ? why : why + QStringLiteral(" (") + words + QLatin1Char(')');
}

QString ServerServiceOf(const QString &programFolder)
{
    return ReadGameSettings(programFolder).serverService;
}

QString SystemServiceFile()
{
    return QStringLiteral(TALLORY_PG_SYSCONFDIR "/pg_service.conf");
}

void ForgetPostgresEnvironment()
{
    const QStringList names = QProcessEnvironment::systemEnvironment().keys();
    for (const QString &name : names) {
        if (name.startsWith(QLatin1String("PG")))
            qunsetenv(name.toLocal8Bit().constData());
    }
}
