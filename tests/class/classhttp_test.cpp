// The class server as a browser meets it: the real tallory-class on a copy of the demo folder.

#include "runningclass.h"
#include "cp1251.h"
#include "faq.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QJsonObject act(const QString &token, int step, const QString &what, int button = 0)
{
    QJsonObject body{{QStringLiteral("token"), token}, {QStringLiteral("step"), step}, {QStringLiteral("do"), what}};
    if (button != 0)
        body.insert(QStringLiteral("button"), button);
    return body;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString error(const Answer &answer)
{
    return answer.body.value(QStringLiteral("error")).toString();
}

class ClassHttp : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.start({QStringLiteral("--teacher-key-file"), keyFile()})) << qPrintable(server.errors()); }
    QString keyFile() const { return server.folder() + QStringLiteral("key"); }

    RunningClass server;
};

} // namespace

TEST_F(ClassHttp, JoinAnswerVerdictAndAReplayAnsweredAlikeAndWrittenOnce)
{
    const Answer joined = server.post(QStringLiteral("api/join"), QJsonObject{{QStringLiteral("lesson"), QStringLiteral("демо")},
                                                                              {QStringLiteral("name"), QStringLiteral("иванов и.и.")}});
    ASSERT_EQ(joined.status, 200) << joined.bytes.constData();
    EXPECT_EQ(joined.type, QByteArrayLiteral("application/json; charset=utf-8"));
    EXPECT_EQ(joined.cache, QByteArrayLiteral("no-store"));
    const QString token = joined.body.value(QStringLiteral("token")).toString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(token).hasMatch()) << qPrintable(token);

    // Answer 1 at level 1: right or wrong, a verdict that names the right button.
    const Answer verdict = server.post(QStringLiteral("api/act"), act(token, 0, QStringLiteral("answer"), 1));
    ASSERT_EQ(verdict.status, 200) << verdict.bytes.constData();
    EXPECT_EQ(verdict.body[QStringLiteral("event")][QStringLiteral("kind")].toString(), QStringLiteral("verdict"));
    EXPECT_EQ(verdict.body[QStringLiteral("game")][QStringLiteral("step")].toInt(), 1);
    const QByteArray results = fileBytes(server.folder() + QStringLiteral("tallory.rez"));

    const Answer replay = server.post(QStringLiteral("api/act"), act(token, 0, QStringLiteral("answer"), 1));
    EXPECT_EQ(replay.status, 200);
    EXPECT_EQ(replay.bytes, verdict.bytes);
    EXPECT_EQ(fileBytes(server.folder() + QStringLiteral("tallory.rez")), results);
}

TEST_F(ClassHttp, TheLessonIsAskedBeforeTheName)
{
    const Answer open = server.post(QStringLiteral("api/lesson"), QJsonObject{{QStringLiteral("lesson"), QStringLiteral("демо")}});
    EXPECT_EQ(open.status, 200) << open.bytes.constData();
    EXPECT_EQ(open.body, (QJsonObject{{QStringLiteral("lesson"), QStringLiteral("ДЕМО")}}));
    const Answer closed = server.post(QStringLiteral("api/lesson"), QJsonObject{{QStringLiteral("lesson"), QStringLiteral("нет")}});
    EXPECT_EQ(closed.status, 404);
    EXPECT_EQ(error(closed), QStringLiteral("Занятие «НЕТ» не открыто."));
}

TEST_F(ClassHttp, BadRequestsAreRefusedInRussianAndWriteNothing)
{
    const QString token = server.join(QStringLiteral("петров"));
    ASSERT_FALSE(token.isEmpty());
    const QByteArray results = fileBytes(server.folder() + QStringLiteral("tallory.rez"));
    const QByteArray longBody = RunningClass::toJson({{QStringLiteral("token"), token},
                                                     {QStringLiteral("pad"), QString(20000, QLatin1Char('x'))}});
    struct Case {
        const char *path;
        QByteArray body;
        int status;
        QString error;
    };
    const Case cases[] = {
        {"api/game", longBody, 413, QStringLiteral("Слишком длинный запрос.")},
        {"api/act", QByteArrayLiteral("{\"token\": "), 400, QStringLiteral("Запрос не разобран.")},
        {"api/join", QByteArrayLiteral("[1, 2]"), 400, QStringLiteral("Запрос не разобран.")},
        {"api/game", RunningClass::toJson({{QStringLiteral("token"), QString(32, QLatin1Char('0'))}}), 404,
         QStringLiteral("Игра не найдена. Откройте страницу заново.")},
        {"api/act", RunningClass::toJson(act(token, 5, QStringLiteral("answer"), 2)), 409,
         QStringLiteral("Этот шаг уже пройден.")},
        {"api/teacher/room", QByteArrayLiteral("{}"), 403, QStringLiteral("Нет доступа.")},
    };
    for (const Case &c : cases) {
        const Answer answer = server.post(QString::fromLatin1(c.path), c.body);
        EXPECT_EQ(answer.status, c.status) << c.path << " " << answer.bytes.constData();
        EXPECT_EQ(error(answer), c.error) << c.path;
        EXPECT_EQ(answer.cache, QByteArrayLiteral("no-store")) << c.path;
    }
    // The game is where it was: step 0, the question unanswered.
    const Answer game = server.post(QStringLiteral("api/game"), QJsonObject{{QStringLiteral("token"), token}});
    EXPECT_EQ(game.body[QStringLiteral("game")][QStringLiteral("step")].toInt(), 0);
    EXPECT_EQ(fileBytes(server.folder() + QStringLiteral("tallory.rez")), results);
}

TEST_F(ClassHttp, AHugeBodyIsRefusedBeforeItIsSent)
{
    // Only the head is sent: an answer proves the server did not wait for the megabytes.
    QTcpSocket socket;
    const QUrl url(server.url());
    socket.connectToHost(url.host(), quint16(url.port()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write("POST /api/join HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                 "Content-Length: 50000000\r\n\r\n{\"lesson\": \"");
    QByteArray answer;
    while (!answer.contains("}") && socket.waitForReadyRead(5000))
        answer += socket.readAll();
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 413")) << answer.constData();
    EXPECT_TRUE(answer.contains("Слишком длинный запрос.")) << answer.constData();
}

TEST_F(ClassHttp, AFloodIsRefusedWhileAnotherStudentPlaysOn)
{
    const QString flooder = server.join(QStringLiteral("сидоров"));
    const QString other = server.join(QStringLiteral("кузнецов"));
    ASSERT_FALSE(flooder.isEmpty());
    ASSERT_FALSE(other.isEmpty());
    const QList<Answer> flood = server.postMany(QStringLiteral("api/game"), {{QStringLiteral("token"), flooder}}, 150);
    int refused = 0;
    for (const Answer &answer : flood) {
        if (answer.status == 429) {
            ++refused;
            EXPECT_EQ(error(answer), QStringLiteral("Слишком много запросов."));
        }
    }
    EXPECT_GT(refused, 0);
    const Answer played = server.post(QStringLiteral("api/act"), act(other, 0, QStringLiteral("answer"), 3));
    EXPECT_EQ(played.status, 200) << played.bytes.constData();

    // Requests without a game spend the client's own budget.
    const QList<Answer> joins = server.postMany(QStringLiteral("api/join"), {}, 100);
    EXPECT_TRUE(std::any_of(joins.begin(), joins.end(), [](const Answer &a) { return a.status == 429; }));
}

TEST_F(ClassHttp, TheTeachersKeyOpensTheRoom)
{
    QFile file(keyFile());
    EXPECT_EQ(file.permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray key = file.readAll().trimmed();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(QString::fromLatin1(key)).hasMatch());
    const QString token = server.join(QStringLiteral("смирнов"));

    const Answer room = server.post(QStringLiteral("api/teacher/room"), QByteArrayLiteral("{}"), key);
    ASSERT_EQ(room.status, 200) << room.bytes.constData();
    EXPECT_EQ(room.body[QStringLiteral("address")].toString(), server.url());
    const QJsonArray students = room.body[QStringLiteral("students")].toArray();
    ASSERT_EQ(students.size(), 1);
    const QJsonObject id{{QStringLiteral("id"), students[0][QStringLiteral("id")]}};
    EXPECT_EQ(server.post(QStringLiteral("api/teacher/allow"), RunningClass::toJson(id), key).status, 200);
    const Answer ended = server.post(QStringLiteral("api/teacher/end"), RunningClass::toJson(id), key);
    EXPECT_EQ(ended.status, 200) << ended.bytes.constData();
    const Answer game = server.post(QStringLiteral("api/game"), QJsonObject{{QStringLiteral("token"), token}});
    EXPECT_EQ(game.body[QStringLiteral("game")][QStringLiteral("end")][QStringLiteral("how")].toString(), QStringLiteral("teacher"));
    QByteArray wrong = key;
    wrong[0] = wrong[0] == '0' ? '1' : '0';
    EXPECT_EQ(server.post(QStringLiteral("api/teacher/room"), QByteArrayLiteral("{}"), wrong).status, 403);
}

TEST_F(ClassHttp, OnlyTheGamesClipsAndPicturesAreServed)
{
    struct Case {
        const char *path;
        int status;
        QByteArray type;
    };
    const Case cases[] = {
        {"", 200, "text/html; charset=utf-8"},
        {"web/game.js", 200, "text/javascript; charset=utf-8"},
        {"web/net.js", 200, "text/javascript; charset=utf-8"},
        {"web/nothing.js", 404, "application/json; charset=utf-8"},
        {"wav/GONG.wav", 200, "audio/wav"},
        {"wav/fon1.WAV", 200, "audio/wav"},
        {"wav/tallory.ini", 404, "application/json; charset=utf-8"},
        {"wav/..%2Ftallory.ini", 404, ""},  // no route leads there
        {"img/dr14", 200, "image/png"},
        {"img/vedok.png", 200, "image/png"},
        {"img/board", 404, "application/json; charset=utf-8"},
        {"api/picture?token=0&step=0", 404, "application/json; charset=utf-8"},
    };
    for (const Case &c : cases) {
        const Answer answer = server.get(QString::fromLatin1(c.path));
        EXPECT_EQ(answer.status, c.status) << c.path;
        if (!c.type.isEmpty()) {
            EXPECT_EQ(answer.type, c.type) << c.path;
        }
    }
    EXPECT_EQ(server.get(QStringLiteral("wav/gong.wav")).bytes, fileBytes(server.folder() + QStringLiteral("wav/gong.wav")));
}

// A clean stop keeps the game: the program started again on the folder serves the same token at
// the same step, and the game's rows go on in the one journal game.
TEST_F(ClassHttp, SigtermKeepsTheGameForTheNextStart)
{
    const QString token = server.join(QStringLiteral("попов"));
    ASSERT_FALSE(token.isEmpty());
    const Answer verdict = server.post(QStringLiteral("api/act"), act(token, 0, QStringLiteral("answer"), 1));
    ASSERT_EQ(verdict.status, 200);
    server.process().terminate();
    ASSERT_TRUE(server.process().waitForFinished(10000));
    EXPECT_EQ(server.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.process().exitCode(), 0);
    EXPECT_EQ(QDir(server.folder() + QStringLiteral("journal")).entryList({QStringLiteral("*.class-games")}).size(), 1);

    ASSERT_TRUE(server.start()) << qPrintable(server.errors());
    const Answer game = server.post(QStringLiteral("api/game"), QJsonObject{{QStringLiteral("token"), token}});
    ASSERT_EQ(game.status, 200) << game.bytes.constData();
    EXPECT_EQ(game.body[QStringLiteral("game")].toObject(), verdict.body[QStringLiteral("game")].toObject());
    // The answer sent again after the restart is answered as it was before it.
    EXPECT_EQ(server.post(QStringLiteral("api/act"), act(token, 0, QStringLiteral("answer"), 1)).bytes, verdict.bytes);

    const QStringList journals = QDir(server.folder() + QStringLiteral("journal")).entryList({QStringLiteral("*.sqlite")});
    ASSERT_EQ(journals.size(), 1);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("sigterm"));
        db.setDatabaseName(server.folder() + QStringLiteral("journal/") + journals.front());
        ASSERT_TRUE(db.open());
        QSqlQuery query(QStringLiteral("SELECT COUNT(*), COUNT(ended) FROM games"), db);
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toInt(), 1);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("sigterm"));
}

TEST(ClassProgram, ServesTheFoldersOwnPicturesOnlyAndLinksToTheWeb)
{
    RunningClass server;
    QTemporaryDir elsewhere;
    const QByteArray png = QByteArrayLiteral("\x89PNG\r\n\x1a\n a picture");
    QFile own(server.folder() + QStringLiteral("own.png"));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly) && own.write(png) == png.size());
    own.close();
    QFile::copy(own.fileName(), elsewhere.filePath(QStringLiteral("away.png")));
    QFile::link(elsewhere.filePath(QStringLiteral("away.png")), server.folder() + QStringLiteral("link.png"));
    struct Case {
        QString lesson;
        QString illustration;
        int status;
        QByteArray location;
    };
    const Case cases[] = {
        {QStringLiteral("СВОЙ"), QStringLiteral("own.png"), 200, {}},
        {QStringLiteral("СЕТЬ"), QStringLiteral("www.example.org/a.png"), 303, "http://www.example.org/a.png"},
        {QStringLiteral("ЧУЖОЙ"), QStringLiteral("link.png"), 404, {}},
    };
    // The teacher's own presenter, named in any letter case, takes the built-in one's place.
    QString settings = QStringLiteral("[настройки]\r\nВедущий=Учитель.PNG\r\n");
    QDir().mkpath(server.folder() + QStringLiteral("FOTO"));
    QFile::copy(own.fileName(), server.folder() + QStringLiteral("FOTO/учитель.png"));
    for (const Case &c : cases) {
        settings += QStringLiteral("[%1]\r\nВопросник=%1.faq\r\n").arg(c.lesson);
        QByteArray bank;
        for (int level = 1; level <= 15; ++level) {
            const QString line = QStringLiteral("Вопрос %1|Да|Нет|Нет|Нет|%2|").arg(level).arg(c.illustration);
            bank += "[" + QByteArray::number(level) + "]\r\n" + ScrambleText(*cp1251::encode(line)) + "\r\n";
        }
        QFile file(server.folder() + c.lesson + QStringLiteral(".faq"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bank) == bank.size());
    }
    QFile ini(server.folder() + QStringLiteral("tallory.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly) && ini.write(*cp1251::encode(settings)) > 0);
    ini.close();
    ASSERT_TRUE(server.start()) << qPrintable(server.errors());
    EXPECT_EQ(server.get(QStringLiteral("img/vedok")).bytes, png);

    for (const Case &c : cases) {
        const Answer joined = server.post(QStringLiteral("api/join"), QJsonObject{{QStringLiteral("lesson"), c.lesson},
                                                                                  {QStringLiteral("name"), QStringLiteral("орлов")}});
        const QString picture = joined.body[QStringLiteral("game")][QStringLiteral("question")][QStringLiteral("picture")].toString();
        ASSERT_TRUE(picture.startsWith(QStringLiteral("/api/picture?"))) << joined.bytes.constData();
        const Answer answer = server.get(picture.mid(1));
        EXPECT_EQ(answer.status, c.status) << qPrintable(c.lesson);
        EXPECT_EQ(answer.location, c.location) << qPrintable(c.lesson);
        if (c.status == 200) {
            EXPECT_EQ(answer.bytes, png);
        }
    }
}

TEST(ClassProgram, RefusesToStartAndSaysWhy)
{
    RunningClass copy;
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    QFile(copy.folder() + QStringLiteral("plain")).open(QIODevice::WriteOnly);
    QDir().mkpath(copy.folder() + QStringLiteral("empty"));
    struct Case {
        QStringList arguments;
        QString says;
    };
    const QString port = QString::number(taken.serverPort());
    const Case cases[] = {
        {{QStringLiteral("--port"), port}, QStringLiteral("Порт %1 занят").arg(port)},
        {{QStringLiteral("--lesson"), QStringLiteral("химия")}, QStringLiteral("«химия»")},
        {{QStringLiteral("--folder"), copy.folder() + QStringLiteral("plain")}, QStringLiteral("не папка")},
        {{QStringLiteral("--folder"), copy.folder() + QStringLiteral("none")}, QStringLiteral("Нет папки")},
        {{QStringLiteral("--folder"), copy.folder() + QStringLiteral("empty")}, QStringLiteral("tallory.ini")},
    };
    for (const Case &c : cases) {
        // The last --folder given wins, so each case may name its own.
        const QStringList arguments = QStringList{QStringLiteral("--folder"), copy.folder(), QStringLiteral("--address"),
                                                  QStringLiteral("127.0.0.1")}
                                      + c.arguments;
        EXPECT_EQ(copy.runRefused(arguments), 2) << qPrintable(c.says);
        EXPECT_TRUE(copy.errors().contains(c.says)) << qPrintable(copy.errors());
    }
}
