// A room on a program folder that names the school's server: every row of its games, page
// leaves included, reaches the server through the outbox, and a second room on the same server
// refuses a student the first has graded.

#include "classfixture.h"
#include "pgcluster.h"

namespace {

class ClassServer : public pgtest::ServerTest
{
protected:
    void SetUp() override
    {
        pgtest::ServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        initSchema();
    }

    /// A program folder with the test bank, naming this test's game service.
    QString folder(QTemporaryDir &dir)
    {
        const QString f = dir.path() + QLatin1Char('/');
        testutil::writeBytes(f + QStringLiteral("tallory.ini"),
                             *cp1251::encode(QStringLiteral("[ТЕСТ]\r\nВопросник=lesson.faq\r\n[сервер]\r\nСлужба=%1\r\n")
                                                 .arg(service("game"))));
        QByteArray bank;
        for (int level = 1; level <= kLevels; ++level) {
            bank += "[" + QByteArray::number(level) + "]\r\n";
            bank += ScrambleText(*cp1251::encode(QStringLiteral("Вопрос %1|Верно %1|Нет a|Нет b|Нет c|").arg(level))) + "\r\n";
        }
        testutil::writeBytes(f + QStringLiteral("lesson.faq"), bank);
        return f;
    }

    std::unique_ptr<ClassRoom> room(const QString &folder)
    {
        ClassRoomOptions o;
        o.folder = folder;
        o.machine = QStringLiteral("КЛАСС");
        o.serviceFile = qEnvironmentVariable("PGSERVICEFILE");
        return std::make_unique<ClassRoom>(o);
    }

    QStringList rows(const QString &sql)
    {
        const auto db = connect(service("owner"));
        QStringList out;
        QSqlQuery q(db->database());
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        while (q.next())
            out << q.value(0).toString();
        return out;
    }
};

int rightOf(const QJsonObject &game)
{
    const QJsonArray answers = game.value("question").toObject().value("answers").toArray();
    for (int b = 0; b < 4; ++b) {
        if (answers[b].toString().startsWith(QStringLiteral("Верно")))
            return b + 1;
    }
    return 0;
}

} // namespace

TEST_F(ClassServer, RowsReachTheServerAndTheGuardIsSchoolWide)
{
    QTemporaryDir roomA, roomB;
    {
        auto a = room(folder(roomA));
        ASSERT_EQ(a->problem(), QString());
        const ClassReply joined = a->join({{"lesson", "тест"}, {"name", "игрок"}}, "10.0.0.2");
        ASSERT_EQ(joined.status, 200) << joined.body.value("error").toString().toStdString();
        const QString token = joined.body.value("token").toString();
        ASSERT_EQ(a->act({{"token", token}, {"step", 0}, {"do", "hidden"}}).status, 200);
        const int wrong = rightOf(joined.body.value("game").toObject()) % 4 + 1;
        ASSERT_EQ(a->act({{"token", token}, {"step", 0}, {"do", "answer"}, {"button", wrong}}).status, 200);
        a->shutdown(); // the outbox settles before the room is gone
    }
    EXPECT_EQ(rows("SELECT student || '|' || count(*) FROM tallory.games GROUP BY student"), QStringList{"ИГРОК|1"});
    EXPECT_EQ(rows("SELECT count(*) FROM tallory.answers"), QStringList{"1"});
    EXPECT_EQ(rows("SELECT seq || '|' || level FROM tallory.page_leaves"), QStringList{"1|1"});
    EXPECT_EQ(rows("SELECT standing FROM tallory.results"), QStringList{"agrees"});

    auto b = room(folder(roomB));
    const ClassReply refused = b->join({{"lesson", "ТЕСТ"}, {"name", "ИГРОК"}}, "10.0.0.9");
    EXPECT_EQ(refused.status, 403);
    EXPECT_EQ(refused.body.value("error").toString(), QStringLiteral("Нельзя дважды отвечать на вопросы теста!"));
}
