// Two rooms of one school: two tallory-class programs on two program folders, both naming the
// school's server. The server's attempt guard is the school's, so a student who sat the lesson
// in one room is refused in the other; and each room's rows reach the server once.

#include "classprogram.h"
#include "pgcluster.h"
#include "serverrowcheck.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QJsonArray>
#include <QNetworkProxy>
#include <QThread>

namespace {

const QString kLesson = QStringLiteral("ДЕМО");
const QString kRefusal = QStringLiteral("Нельзя дважды отвечать на вопросы теста!");

class TwoRooms : public pgtest::ServerTest
{
protected:
    void SetUp() override
    {
        pgtest::ServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        initSchema();
        owner = connect(service("owner"));
        ASSERT_TRUE(owner);
        nam.setProxy(QNetworkProxy::NoProxy);
        right = classtest::rightAnswers(QStringLiteral(TALLORY_SOURCE_DIR "/demo/demo-bank.txt"));
        for (int i = 0; i < 2; ++i) {
            folders[i] = tmp.filePath(QStringLiteral("room%1").arg(i + 1));
            ASSERT_EQ(classtest::copyProgramFolder(QStringLiteral(TALLORY_BIN_DIR), folders[i]), QString());
            ASSERT_EQ(classtest::nameSchoolServer(folders[i], service("game")), QString());
            ASSERT_EQ(rooms[i].start(QStringLiteral(TALLORY_CLASS_PROGRAM), folders[i]), QString());
        }
    }

    classtest::Reply join(int room, const QString &name)
    {
        return classtest::post(nam, rooms[room].address(), QStringLiteral("/api/join"),
                               {{QStringLiteral("lesson"), kLesson}, {QStringLiteral("name"), name}});
    }

    /// Joins and answers wrong at once: a graded game of no levels. The game's end as sent.
    QJsonObject sitAndFail(int room, const QString &name)
    {
        const classtest::Reply joined = join(room, name);
        EXPECT_EQ(joined.status, 200) << joined.body.toStdString();
        const QJsonObject view = joined.json.value(QStringLiteral("game")).toObject();
        const QJsonObject q = view.value(QStringLiteral("question")).toObject();
        const QJsonArray answers = q.value(QStringLiteral("answers")).toArray();
        int wrong = 1;
        while (wrong <= 4 && answers[wrong - 1].toString() == right.value(q.value(QStringLiteral("text")).toString()))
            ++wrong;
        const classtest::Reply answered = classtest::post(
            nam, rooms[room].address(), QStringLiteral("/api/act"),
            {{QStringLiteral("token"), joined.json.value(QStringLiteral("token"))},
             {QStringLiteral("step"), view.value(QStringLiteral("step"))},
             {QStringLiteral("do"), QStringLiteral("answer")},
             {QStringLiteral("button"), wrong}});
        EXPECT_EQ(answered.status, 200) << answered.body.toStdString();
        return answered.json.value(QStringLiteral("event")).toObject().value(QStringLiteral("end")).toObject();
    }

    /// Each journal's rows of a table, the rooms' together, sorted as the server's are.
    QStringList journals(ServerTable table)
    {
        QStringList all;
        for (const QString &folder : folders)
            for (const QString &file : QDir(folder + QStringLiteral("/journal")).entryList({QStringLiteral("*.sqlite")}))
                all << rowcheck::journalRows(folder + QStringLiteral("/journal/") + file, table);
        all.sort();
        return all;
    }
    QStringList server(ServerTable table)
    {
        QSqlDatabase db = owner->database();
        return rowcheck::serverRows(db, table);
    }

    /// Each program sends its journal's rows from a thread of its own, at once but not within
    /// the request: the test asks the server until they are there (or for 30 s).
    bool serverHas(const std::function<bool()> &condition)
    {
        for (QDeadlineTimer deadline(30000); !deadline.hasExpired(); QThread::msleep(20))
            if (condition())
                return true;
        return false;
    }

    QTemporaryDir tmp;
    QString folders[2];
    classtest::ClassProgram rooms[2];
    QNetworkAccessManager nam;
    QHash<QString, QString> right;
    std::unique_ptr<ServerConnection> owner;
};

TEST_F(TwoRooms, AStudentWhoSatTheLessonInOneRoomIsRefusedInTheOther)
{
    const QJsonObject end = sitAndFail(0, QStringLiteral("петров п.п."));
    EXPECT_EQ(end.value(QStringLiteral("how")).toString(), QStringLiteral("wrong"));
    ASSERT_TRUE(serverHas([&] { QSqlDatabase db = owner->database(); return rowcheck::count(db, ServerTable::Results) == 1; }));

    const classtest::Reply again = join(1, QStringLiteral("Петров П.П."));
    EXPECT_EQ(again.status, 403);
    EXPECT_EQ(again.json.value(QStringLiteral("error")).toString(), kRefusal);

    // Room B's own student plays; then every row of both rooms is on the server, once.
    sitAndFail(1, QStringLiteral("сидоров с.с."));
    const auto allSent = [&] {
        return server(ServerTable::Games) == journals(ServerTable::Games)
               && server(ServerTable::GameEnds) == journals(ServerTable::GameEnds)
               && server(ServerTable::Answers) == journals(ServerTable::Answers);
    };
    EXPECT_TRUE(serverHas(allSent));
    for (classtest::ClassProgram &room : rooms)
        EXPECT_EQ(room.stop(), QString());
    for (ServerTable t : {ServerTable::Games, ServerTable::GameEnds, ServerTable::Answers})
        EXPECT_EQ(server(t).join(QLatin1Char('\n')).toStdString(), journals(t).join(QLatin1Char('\n')).toStdString());
    EXPECT_EQ(server(ServerTable::Games).size(), 2);
    QSqlDatabase db = owner->database();
    EXPECT_EQ(rowcheck::count(db, ServerTable::Results), 2);
}

} // namespace
