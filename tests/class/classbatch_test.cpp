// Answers that come together wait for one round of writes (their games' records into
// tallory.rez, then the journal's log synced), made off the room's thread: no verdict leaves
// before its answer's row and its game's record are on the disk, while the room goes on
// answering what waits for nothing. A round that fails is noted for the teacher and the games
// go on; a record that could not be written is written again and guards its name meanwhile.
// The room and its HTTP layer run in this process on a port of their own; the clients are
// plain sockets, looked at from below; the disk is held by the test, as a busy disk holds it.

#include "classfixture.h"
#include "classhttp.h"
#include "classlistener.h"
#include "classprogram.h"
#include "journalstore.h"
#include "results.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTcpSocket>

#include <condition_variable>
#include <mutex>

#include <sys/socket.h>

namespace {

/// The disk as the writer's thread sees it: held shut by the test, each step told in order.
struct HeldDisk {
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    QStringList steps; ///< "records N" and "sync", in the order they were made
    bool failRecords = false, failSync = false; ///< the next of each fails
    int waiting = 0;   ///< writes waiting for the disk to be let go

    /// Waits while the disk is held and notes the step; true when it is to fail.
    bool pass(const QString &step, bool HeldDisk::*fail)
    {
        std::unique_lock lock(mutex);
        ++waiting;
        changed.wait(lock, [this] { return !held; });
        --waiting;
        steps << step;
        return std::exchange(this->*fail, false);
    }
    void hold(bool on)
    {
        const std::lock_guard lock(mutex);
        held = on;
        changed.notify_all();
    }
    QStringList taken()
    {
        const std::lock_guard lock(mutex);
        return std::exchange(steps, {});
    }
};

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
        ClassHttpOptions options{folder, {}, {}};
        options.writeRecords = [this](const QString &results, const QList<RecordToWrite> &records) {
            if (disk.pass(QStringLiteral("records %1").arg(records.size()), &HeldDisk::failRecords))
                return Status::failure(QStringLiteral("Результаты игр не записаны: диск недоступен."));
            return WriteResults(results, records);
        };
        options.syncLog = [this](const QString &log) {
            if (disk.pass(QStringLiteral("sync"), &HeldDisk::failSync))
                return QStringLiteral("журнал не записывается на диск: ошибка ввода-вывода");
            return JournalStore::SyncLog(log);
        };
        // The log copied into the journal after every round, as a busy room's long log is.
        options.checkpointMs = 0;
        http = std::make_unique<ClassHttp>(*room, options);
        http->serve(listener);
    }
    void TearDown() override
    {
        disk.hold(false);
        http.reset();
        ClassFixture::TearDown();
    }
    /// "Ученик А", "Ученик Б", ... join one after another, each on its socket: their games.
    QList<QJsonObject> joinAll(const std::vector<QTcpSocket *> &sockets)
    {
        QList<QJsonObject> games;
        for (size_t i = 0; i < sockets.size(); ++i) {
            send(*sockets[i], QStringLiteral("/api/join"),
                 {{"lesson", "тест"}, {"name", QStringLiteral("ученик %1").arg(QChar(char16_t(u'А' + i)))}});
            const QJsonObject joined = answers({sockets[i]}).value(0);
            tokensOf.push_back(joined.value("token").toString());
            games << joined.value("game").toObject();
        }
        return games;
    }
    /// Runs the event loop until a write waits at the held disk.
    void untilWaitingAtTheDisk()
    {
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            const std::lock_guard lock(disk.mutex);
            if (disk.waiting > 0)
                return;
        }
        ADD_FAILURE() << "nothing came to the disk";
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

    HeldDisk disk;
    std::unique_ptr<ClassHttp> http;
    ClassListener *listener = nullptr; ///< the HTTP server's; its children are the served connections
    quint16 port = 0;
    std::vector<QString> tokensOf;
};

} // namespace


TEST_F(ClassBatch, AnswersThatComeTogetherWaitForOneRoundWhileTheRoomAnswersWhatWaitsForNothing)
{
    auto first = connectStudent();
    auto second = connectStudent();
    auto third = connectStudent();
    const std::vector<QTcpSocket *> sockets{first.get(), second.get(), third.get()};
    QList<QJsonObject> games = joinAll(sockets);
    disk.taken();

    // The disk is busy: two answers that come together are decided and wait for it...
    disk.hold(true);
    QList<QJsonObject> two = games.mid(0, 2);
    for (size_t i = 0; i < 2; ++i)
        send(*sockets[i], QStringLiteral("/api/act"),
             {{"token", tokensOf[i]}, {"step", two[qsizetype(i)].value("step")}, {"do", "answer"}, {"button", rightButton(two[qsizetype(i)])}});
    untilWaitingAtTheDisk();
    for (int turn = 0; turn < 20; ++turn)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_FALSE(anyAnswered({first.get(), second.get()})) << "a verdict went out before its row was on the disk";

    // ...while the room answers at once what tells of nothing unwritten: the third student's
    // heartbeat, and a lesson code asked alone.
    send(*third, QStringLiteral("/api/game"), {{"token", tokensOf[2]}});
    EXPECT_EQ(answers({third.get()}).value(0).value("game").toObject().value("step"), games[2].value("step"));
    send(*third, QStringLiteral("/api/lesson"), {{"lesson", "тест"}});
    EXPECT_FALSE(answers({third.get()}).value(0).isEmpty());
    EXPECT_FALSE(anyAnswered({first.get(), second.get()}));

    disk.hold(false);
    const QList<QJsonObject> verdicts = answers({first.get(), second.get()});
    for (const QJsonObject &v : verdicts)
        EXPECT_TRUE(v.value("event").toObject().value("right").toBool());
    EXPECT_EQ(disk.taken(), QStringList{QStringLiteral("sync")}) << "the two answers' rows took a round each";
    EXPECT_EQ(journalRows(QStringLiteral("SELECT count(*) FROM answers")), QStringList{QStringLiteral("2")});

    // A wrong answer ends the game: its record is written first, then the log synced, and only
    // then the verdict goes, with the grade the record holds.
    disk.hold(true);
    const QJsonObject game = verdicts[0].value("game").toObject();
    send(*first, QStringLiteral("/api/act"),
         {{"token", tokensOf[0]}, {"step", game.value("step")}, {"do", "answer"}, {"button", rightButton(game) % 4 + 1}});
    untilWaitingAtTheDisk();
    EXPECT_TRUE(record(QStringLiteral("УЧЕНИК А")).isEmpty());
    EXPECT_FALSE(anyAnswered({first.get()}));
    disk.hold(false);
    const QJsonObject ended = answers({first.get()}).value(0);
    EXPECT_EQ(ended.value("game").toObject().value("state").toString(), QStringLiteral("finished"));
    EXPECT_EQ(disk.taken().mid(0, 2), (QStringList{QStringLiteral("records 1"), QStringLiteral("sync")}));
    EXPECT_EQ(record(QStringLiteral("УЧЕНИК А")), QStringLiteral("УЧЕНИК А|1|Неудовлетворительно"));
    // The game's end follows its record into the journal, as the desktop writes them.
    send(*third, QStringLiteral("/api/game"), {{"token", tokensOf[2]}});
    answers({third.get()});
    EXPECT_EQ(journalRows(QStringLiteral("SELECT ending, grade FROM games WHERE student = 'УЧЕНИК А'")),
              QStringList{QStringLiteral("wrong|Неудовлетворительно")});
}

TEST_F(ClassBatch, ARoundThatFailsIsNotedAndItsRecordIsWrittenAgainGuardingItsNameMeanwhile)
{
    auto first = connectStudent();
    auto second = connectStudent();
    const std::vector<QTcpSocket *> sockets{first.get(), second.get()};
    QList<QJsonObject> games = joinAll(sockets);
    const auto noted = [this] {
        QFile note(ProblemNotePath(folder, QStringLiteral("КЛАСС")));
        return note.open(QIODevice::ReadOnly) ? QString::fromUtf8(note.readAll()) : QString();
    };

    // The first student's wrong answer ends the game, and its record cannot be written: the
    // grade is shown all the same, and the teacher finds the record waiting, named.
    disk.failRecords = true;
    send(*first, QStringLiteral("/api/act"),
         {{"token", tokensOf[0]}, {"step", games[0].value("step")}, {"do", "answer"}, {"button", rightButton(games[0]) % 4 + 1}});
    EXPECT_EQ(answers({first.get()}).value(0).value("game").toObject().value("state").toString(), QStringLiteral("finished"));
    EXPECT_TRUE(record(QStringLiteral("УЧЕНИК А")).isEmpty());
    EXPECT_TRUE(noted().contains(QStringLiteral("ждут и будут записаны снова: УЧЕНИК А (ТЕСТ)"))) << noted().toStdString();
    const QString ending = QStringLiteral("SELECT ending FROM games WHERE student = 'УЧЕНИК А'");
    EXPECT_EQ(journalRows(ending), QStringList{QStringLiteral("-")}) << "the journal ended a game its record does not hold";

    // Meanwhile the name cannot start the lesson again, though tallory.rez does not hold it yet.
    auto again = connectStudent();
    send(*again, QStringLiteral("/api/join"), {{"lesson", "тест"}, {"name", "ученик а"}});
    QByteArray got;
    classtest::Reply refused;
    const QDeadlineTimer deadline(10000);
    while (classtest::takeAnswer(got, refused) <= 0 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        got += again->readAll();
    }
    EXPECT_EQ(refused.status, 403);
    EXPECT_EQ(refused.json.value("error").toString(), QStringLiteral("Нельзя дважды отвечать на вопросы теста!"));

    // The record goes again with the next batch: by the time a later join is answered (its
    // round comes after), it is in tallory.rez.
    auto third = connectStudent();
    send(*third, QStringLiteral("/api/join"), {{"lesson", "тест"}, {"name", "ученик в"}});
    answers({third.get()});
    EXPECT_EQ(record(QStringLiteral("УЧЕНИК А")), QStringLiteral("УЧЕНИК А|0|Неудовлетворительно"));
    EXPECT_EQ(journalRows(ending), QStringList{QStringLiteral("wrong")});

    // A sync of the log that fails is the journal's failure, noted; the student plays on.
    disk.failSync = true;
    QJsonObject game = games[1];
    for (int level = 2; level <= 3; ++level) {
        send(*second, QStringLiteral("/api/act"),
             {{"token", tokensOf[1]}, {"step", game.value("step")}, {"do", "answer"}, {"button", rightButton(game)}});
        game = answers({second.get()}).value(0).value("game").toObject();
        EXPECT_EQ(game.value("level").toInt(), level);
    }
    EXPECT_TRUE(noted().contains(QStringLiteral("не записан (запись ответов)"))) << noted().toStdString();
}

// A room that never falls quiet: the journal's log is copied into the journal's file as the
// rounds go (so that it starts again from its beginning and stays short), where it grew by every
// batch until the room fell quiet, the file itself untouched (73 MB of log beside a 4 KB file
// after half a minute of the bench's room of 200). Nothing is lost on the way: every answer and
// both records are in the journal and the results.
TEST_F(ClassBatch, TheLogIsCopiedIntoTheJournalWhileTheRoomWritesOnAndNothingIsLost)
{
    auto first = connectStudent();
    auto second = connectStudent();
    const std::vector<QTcpSocket *> sockets{first.get(), second.get()};
    QList<QJsonObject> games = joinAll(sockets);
    const QString journal = JournalFilePath(folder, QStringLiteral("КЛАСС"));
    const qint64 joined = QFileInfo(journal).size();
    // Both answer right, one after the other, until both have won (the host's teases ask again).
    const auto won = [](const QJsonObject &game) { return game.value("state").toString() == u"finished"; };
    for (int turn = 0; turn < 4 * kLevels && !(won(games[0]) && won(games[1])); ++turn) {
        for (size_t i = 0; i < sockets.size(); ++i) {
            QJsonObject &game = games[qsizetype(i)];
            if (won(game))
                continue;
            send(*sockets[i], QStringLiteral("/api/act"),
                 {{"token", tokensOf[i]}, {"step", game.value("step")}, {"do", "answer"}, {"button", rightButton(game)}});
            game = answers({sockets[i]}).value(0).value("game").toObject();
        }
    }
    // Each round's copy is over before the next round begins, and every answer waited for a round.
    EXPECT_GT(QFileInfo(journal).size(), joined) << "the journal's file holds nothing of the play: the log only grew";
    EXPECT_EQ(journalRows(QStringLiteral("SELECT count(*) FROM answers")), QStringList{QString::number(2 * kLevels)});
    EXPECT_EQ(record(QStringLiteral("УЧЕНИК А")), QStringLiteral("УЧЕНИК А|15|Отлично"));
    EXPECT_EQ(record(QStringLiteral("УЧЕНИК Б")), QStringLiteral("УЧЕНИК Б|15|Отлично"));
}
