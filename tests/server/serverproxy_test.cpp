// The test proxy between a client and the cluster: a session through it is the session without
// it, and a reply lost after a commit leaves the row stored while the client hears of a failure.

#include "pgcluster.h"
#include "pgproxy.h"
#include "serverrows.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

class ServerProxy : public pgtest::ServerTest
{
protected:
    void SetUp() override
    {
        pgtest::ServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_EQ(proxy.error(), QString());
        ASSERT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral("CREATE TABLE kept (id integer PRIMARY KEY)"),
                                                          QStringLiteral("GRANT ALL ON kept TO school_owner")}),
                  QString());
    }

    // The rows of a query, a row a line; as the owner straight to the server unless told.
    QStringList rows(const QString &sql, const QString &through = QString())
    {
        const auto connection = connect(through.isEmpty() ? service("owner") : through);
        QSqlQuery q(connection->database());
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
        QStringList lines;
        while (q.next())
            lines << q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString();
        return lines;
    }

    pgtest::Proxy proxy{pgtest::cluster().socketDir()};
};

QVariantList resultRow(const QString &id)
{
    return {id, QStringLiteral("ФИЗИКА"), QStringLiteral("ИВАНОВ И.И."), 7, QStringLiteral("Удовлетворительно"),
            QStringLiteral("ПК-7"), QStringLiteral("2026-12-09T07:30:00.123Z")};
}

} // namespace

TEST_F(ServerProxy, ForwardsASessionUnchanged)
{
    // Far more than one read of the proxy's buffer, and text that is not ASCII.
    const QString sql = QStringLiteral("SELECT g, repeat('Ёж', g % 50) || md5(g::text) FROM generate_series(1, 20000) g");
    const QStringList direct = rows(sql);
    ASSERT_EQ(direct.size(), 20000);
    EXPECT_EQ(rows(sql, serviceThrough(proxy, "owner")), direct);
    EXPECT_EQ(proxy.commitCuts(), 0);
}

TEST_F(ServerProxy, CommitWhoseReplyIsLostIsStoredWhileTheClientSeesAFailure)
{
    const QString through = serviceThrough(proxy, "owner");
    const auto client = connect(through);
    const auto bystander = connect(through);
    ASSERT_TRUE(client && bystander);
    QSqlDatabase db = client->database();
    ASSERT_TRUE(db.transaction());
    QSqlQuery insert(db);
    ASSERT_TRUE(insert.exec(QStringLiteral("INSERT INTO kept VALUES (1)"))) << insert.lastError().text().toStdString();
    proxy.cutAfterNextCommit();
    EXPECT_FALSE(db.commit());
    EXPECT_NE(db.lastError().type(), QSqlError::NoError);
    EXPECT_EQ(proxy.commitCuts(), 1);
    EXPECT_EQ(rows(QStringLiteral("SELECT id, count(*) FROM kept GROUP BY id")), QStringList{QStringLiteral("1 1")});
    QSqlQuery other(bystander->database());
    EXPECT_TRUE(other.exec(QStringLiteral("SELECT 1"))) << "only the connection that committed is cut";
}

TEST_F(ServerProxy, RowResentAfterALostReplyIsStoredOnce)
{
    initSchema();
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString through = serviceThrough(proxy, "game");
    proxy.cutAfterNextCommit(true);
    {
        const auto lost = connect(through);
        ASSERT_TRUE(lost);
        QSqlDatabase db = lost->database();
        const auto sent = SendRow(db, ServerTable::Results, pgtest::row(ServerTable::Results, resultRow(id)));
        EXPECT_FALSE(sent.ok());
        EXPECT_TRUE(sent.error.startsWith(QStringLiteral("связь с сервером потеряна"))) << sent.error.toStdString();
    }
    EXPECT_EQ(proxy.commitCuts(), 1);
    const auto again = connect(through);
    ASSERT_TRUE(again);
    QSqlDatabase db = again->database();
    const auto resent = SendRow(db, ServerTable::Results, pgtest::row(ServerTable::Results, resultRow(id)));
    ASSERT_TRUE(resent.ok()) << resent.error.toStdString();
    EXPECT_FALSE(resent.value) << "the row was there already";
    EXPECT_EQ(rows(QStringLiteral("SELECT id, count(*) FROM tallory.results GROUP BY id")), QStringList{id + " 1"});
}

TEST_F(ServerProxy, CutAllLosesEveryConnection)
{
    const auto client = connect(serviceThrough(proxy, "owner"));
    ASSERT_TRUE(client);
    QSqlQuery q(client->database());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT 1")));
    proxy.cutAll();
    EXPECT_FALSE(q.exec(QStringLiteral("SELECT 1")));
    EXPECT_EQ(q.lastError().type(), QSqlError::StatementError);
    const QString why = DescribeServerError(q.lastError());
    EXPECT_TRUE(why.startsWith(QStringLiteral("связь с сервером потеряна (server closed the connection"))) << why.toStdString();
    EXPECT_EQ(proxy.commitCuts(), 0);
}

// libpq names a connection it lost without an SQLSTATE, in English or, under a Russian locale, in Russian.
TEST(ServerLostWords, ALostConnectionIsNamedSoInEitherLanguage)
{
    for (const char *words : {"server closed the connection unexpectedly", "no connection to the server",
                              "could not receive data from server: Connection reset by peer",
                              "сервер неожиданно закрыл соединение", "нет соединения с сервером",
                              "не удалось передать данные серверу: Broken pipe"}) {
        const QSqlError error(QString(), QString::fromUtf8(words), QSqlError::StatementError);
        EXPECT_TRUE(DescribeServerError(error).startsWith(QStringLiteral("связь с сервером потеряна"))) << words;
    }
    const QSqlError rejected(QString(), QStringLiteral("value too long"), QSqlError::StatementError, QStringLiteral("22001"));
    EXPECT_TRUE(DescribeServerError(rejected).startsWith(QStringLiteral("ошибка сервера")));
}

TEST_F(ServerProxy, RefusingProxyTurnsNewConnectionsAway)
{
    const QString through = serviceThrough(proxy, "owner");
    proxy.setRefusing(true);
    ServerProblem problem;
    EXPECT_FALSE(ServerConnection::open(through, {}, &problem));
    proxy.setRefusing(false);
    EXPECT_TRUE(connect(through));
}
