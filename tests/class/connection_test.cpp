// The benchmark's keep-alive client against a server that misbehaves as a real one may: an answer
// that comes in pieces, a connection closed between requests, and one closed on a request before
// any of its answer was sent. Nothing may be lost or answered twice, and each request must reach
// the server once more at most.

#include "classprogram.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace {

/// Answers each request with its number; how it treats the connection after the k-th request
/// (counting from 1) is chosen by the test.
class FlakyServer
{
public:
    enum class After { Keep, Close, DropUnanswered };
    explicit FlakyServer(std::function<After(int)> after) : m_after(std::move(after))
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                ++connections;
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { serve(s); });
            }
        });
    }
    QUrl base() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort())); }
    int requests = 0;
    int connections = 0;

private:
    void serve(QTcpSocket *s)
    {
        QByteArray &got = m_got[s];
        got += s->readAll();
        const qsizetype head = got.indexOf("\r\n\r\n");
        const qsizetype length = got.mid(got.indexOf("Content-Length: ") + 16).split('\r').value(0).toLongLong();
        if (head < 0 || got.size() < head + 4 + length)
            return;
        got.remove(0, head + 4 + length);
        const int k = ++requests;
        const After after = m_after(k);
        if (after == After::DropUnanswered) {
            s->disconnectFromHost();
            return;
        }
        const QByteArray body = "{\"n\": " + QByteArray::number(k) + "}";
        // The head and the body in two writes, the body's first byte alone: the client must wait
        // for the whole length.
        s->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body.left(1));
        s->flush();
        s->write(body.mid(1));
        if (after == After::Close)
            s->disconnectFromHost();
    }

    std::function<After(int)> m_after;
    QTcpServer m_server;
    std::map<QTcpSocket *, QByteArray> m_got;
};

/// Sends count requests one after another on one connection; the numbers the answers carried.
std::vector<int> sendAll(classtest::Connection &c, int count)
{
    std::vector<int> numbers;
    for (int i = 0; i < count; ++i)
        c.post(QStringLiteral("/api/game"), {{QStringLiteral("i"), i}}, [&](const classtest::Reply &r) {
            numbers.push_back(r.status == 200 ? r.json.value(QStringLiteral("n")).toInt() : -r.status);
        });
    QDeadlineTimer deadline(10000);
    while (numbers.size() < size_t(count) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return numbers;
}

TEST(KeepAliveConnection, AnswersEveryRequestInTurnWhateverTheServerDoesWithTheConnection)
{
    using After = FlakyServer::After;
    struct Case {
        const char *what;
        std::function<After(int)> after;
        std::vector<int> numbers; ///< as the client receives them
        int requests;             ///< as the server counted them
        int connections;
        int reopened; ///< -1: either way (a request written as the server's close comes in is sent again)
    };
    const std::vector<Case> cases{
        {"kept open", [](int) { return After::Keep; }, {1, 2, 3}, 3, 1, 0},
        {"closed after each answer", [](int) { return After::Close; }, {1, 2, 3}, 3, 3, -1},
        {"closed on the second request unanswered",
         [](int k) { return k == 2 ? After::DropUnanswered : After::Keep; }, {1, 3, 4}, 4, 2, 1},
        {"closed unanswered every time", [](int) { return After::DropUnanswered; }, {0, 0, 0}, 6, 6, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FlakyServer server(c.after);
        classtest::Connection connection(QStringLiteral("127.0.0.1"), server.base());
        EXPECT_EQ(sendAll(connection, 3), c.numbers);
        EXPECT_EQ(server.requests, c.requests);
        EXPECT_EQ(server.connections, c.connections);
        if (c.reopened >= 0) {
            EXPECT_EQ(connection.reopened(), c.reopened);
        }
    }
}

} // namespace
