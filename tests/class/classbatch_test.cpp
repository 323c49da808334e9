// Answers that come together wait for one sync of the journal and then go out together: no
// verdict leaves before its answer's row is on the disk, and a sync that fails leaves neither
// answer's row in the journal (the journal's failure is noted, the games go on). The room and
// its HTTP layer run in this process on a port of their own; the clients are plain sockets,
// looked at from below while SQLite syncs (a spy on its files).

#include "classfixture.h"
#include "classhttp.h"
#include "classlistener.h"
#include "classprogram.h"
#include "sqlitespy.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTcpSocket>

#include <sys/socket.h>

namespace {

class ClassBatch : public ClassFixture
{
protected:
    void SetUp() override
    {
        ClassFixture::SetUp();
        open();
        listener = new ClassListener;
        ASSERT_TRUE(listener->listen(QHostAddress::LocalHost, 0));
        port = listener->serverPort();
        http = std::make_unique<ClassHttp>(*room, ClassHttpOptions{folder, {}, {}});
        http->serve(listener);
    }
    void TearDown() override
    {
        spy.beforeSync = {};
        http.reset();
        ClassFixture::TearDown();
    }

    /// A student's keep-alive connection.
    std::unique_ptr<QTcpSocket> connectStudent()
    {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(socket->waitForConnected(5000));
        return socket;
    }
    static void send(QTcpSocket &socket, const QString &path, const QJsonObject &body)
    {
        const QByteArray json = QJsonDocument(body).toJson(QJsonDocument::Compact);
        socket.write("POST " + path.toLatin1() + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
                     + "Content-Length: " + QByteArray::number(json.size()) + "\r\n\r\n" + json);
        EXPECT_TRUE(socket.waitForBytesWritten(5000));
    }
    /// Runs the event loop (the server's too) until each socket holds one whole answer.
    static QList<QJsonObject> answers(const std::vector<QTcpSocket *> &sockets)
    {
        std::vector<QByteArray> got(sockets.size());
        QList<QJsonObject> bodies(static_cast<qsizetype>(sockets.size()));
        const QDeadlineTimer deadline(10000);
        size_t done = 0;
        while (done < sockets.size() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            done = 0;
            for (size_t i = 0; i < sockets.size(); ++i) {
                got[i] += sockets[i]->readAll();
                classtest::Reply r;
                if (classtest::takeAnswer(got[i], r) > 0) {
                    EXPECT_EQ(r.status, 200) << r.body.constData();
                    bodies[static_cast<qsizetype>(i)] = r.json;
                    ++done;
                }
            }
        }
        EXPECT_EQ(done, sockets.size()) << "not every request was answered";
        return bodies;
    }
    /// Whether any answer is on its way: queued on the server's side of a connection (Qt sends
    /// it as the event loop turns) or already at a client (looked at below Qt: nothing is read).
    bool anyAnswered(const std::vector<QTcpSocket *> &sockets) const
    {
        const QList<QTcpSocket *> served = listener->findChildren<QTcpSocket *>();
        for (QTcpSocket *s : served) {
            if (s->bytesToWrite() > 0)
                return true;
        }
        for (QTcpSocket *s : sockets) {
            char byte = 0;
            if (::recv(static_cast<int>(s->socketDescriptor()), &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0)
                return true;
        }
        return false;
    }
    /// Both students answer right at the same moment: the verdicts' events.
    QList<QJsonObject> answerTogether(const std::vector<QTcpSocket *> &sockets, QList<QJsonObject> &games)
    {
        for (size_t i = 0; i < sockets.size(); ++i) {
            const QJsonObject &game = games[static_cast<qsizetype>(i)];
            send(*sockets[i], QStringLiteral("/api/act"),
                 {{"token", tokensOf[i]}, {"step", game.value("step")}, {"do", "answer"}, {"button", rightButton(game)}});
        }
        const QList<QJsonObject> replies = answers(sockets);
        QList<QJsonObject> events;
        for (qsizetype i = 0; i < replies.size(); ++i) {
            games[i] = replies[i].value("game").toObject();
            events << replies[i].value("event").toObject();
        }
        return events;
    }

    sqlitespy::Spy spy; // made before the room's journal opens, so that its connection goes through it
    std::unique_ptr<ClassHttp> http;
    ClassListener *listener = nullptr; ///< the HTTP server's; its children are the served connections
    quint16 port = 0;
    std::vector<QString> tokensOf;
};

} // namespace

TEST_F(ClassBatch, AnswersThatComeTogetherAreSentAfterOneSyncAndAFailedSyncRecordsNeither)
{
    auto first = connectStudent();
    auto second = connectStudent();
    const std::vector<QTcpSocket *> sockets{first.get(), second.get()};
    QList<QJsonObject> games;
    for (size_t i = 0; i < sockets.size(); ++i) {
        send(*sockets[i], QStringLiteral("/api/join"), {{"lesson", "тест"}, {"name", QStringLiteral("ученик %1").arg(QChar(char16_t(u'А' + i)))}});
        const QJsonObject joined = answers({sockets[i]}).value(0);
        tokensOf.push_back(joined.value("token").toString());
        games << joined.value("game").toObject();
    }

    // Each sync of the log: was any answer out by then?
    int logSyncs = 0;
    bool answeredBeforeSync = false;
    bool failNext = false;
    spy.beforeSync = [&](sqlitespy::Kind kind) {
        if (kind != sqlitespy::Log)
            return 0;
        ++logSyncs;
        answeredBeforeSync = answeredBeforeSync || anyAnswered(sockets);
        return std::exchange(failNext, false) ? SQLITE_IOERR_FSYNC : 0;
    };
    const QList<QJsonObject> verdicts = answerTogether(sockets, games);
    for (const QJsonObject &v : verdicts) {
        EXPECT_EQ(v.value("kind").toString(), QStringLiteral("verdict"));
        EXPECT_TRUE(v.value("right").toBool());
    }
    EXPECT_EQ(logSyncs, 1) << "the two answers' rows took a sync each";
    EXPECT_FALSE(answeredBeforeSync) << "a verdict went out before its row was on the disk";
    EXPECT_EQ(journalRows(QStringLiteral("SELECT count(*) FROM answers")), QStringList{QStringLiteral("2")});

    // The next two answers' sync fails: neither row is in the journal, the teacher finds why
    // beside it, and both students still get their verdicts and play on.
    failNext = true;
    const QList<QJsonObject> after = answerTogether(sockets, games);
    for (const QJsonObject &v : after)
        EXPECT_TRUE(v.value("right").toBool());
    EXPECT_EQ(journalRows(QStringLiteral("SELECT count(*) FROM answers")), QStringList{QStringLiteral("2")});
    QFile note(ProblemNotePath(folder, QStringLiteral("КЛАСС")));
    ASSERT_TRUE(note.open(QIODevice::ReadOnly)) << "no note beside the journal";
    EXPECT_TRUE(QString::fromUtf8(note.readAll()).contains(QStringLiteral("не записан (запись ответов)")));
    for (const QJsonObject &game : games)
        EXPECT_EQ(game.value("level").toInt(), 3);
}
