// Games kept across a clean stop of the room: the next room on the folder goes on with them as
// they stood, and what cannot be taken back is said and left as it is.

#include "classfixture.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr qint64 kHourMs = 60 * 60 * 1000;

QString keepFile(const QString &folder)
{
    return JournalFolder(folder) + QStringLiteral("КЛАСС.class-games");
}

} // namespace

// Stopped at the second question with fifty-fifty used and the audience asked: the next room
// shows the same question in the same order with the same blanks and votes, answers the last
// request again as it did, and the game's rows go on in the one journal game.
TEST_F(ClassFixture, AGameStoppedMidQuestionGoesOnAfterTheRestart)
{
    open();
    const QString token = join(QStringLiteral("игрок"), QStringLiteral("10.0.0.7"));
    const int firstRight = rightButton(view(token));
    ASSERT_EQ(act(token, 0, "answer", {{"button", firstRight}}).status, 200);
    ASSERT_EQ(act(token, 1, "fifty").status, 200);
    const ClassReply asked = act(token, 2, "audience");
    ASSERT_EQ(asked.status, 200);
    const QJsonObject before = view(token);
    const QJsonObject student = room->room().value("students").toArray()[0].toObject();
    room->shutdown();
    room.reset();
    // It holds every student's token: the server's own account reads it, nobody else.
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                      | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFileInfo(keepFile(folder)).permissions() & (others | QFile::ReadOwner | QFile::WriteOwner),
              QFile::ReadOwner | QFile::WriteOwner);

    now = 50; // a new run: its own steady clock, and other chance for new games
    open(99);
    EXPECT_FALSE(QFileInfo::exists(keepFile(folder)));
    EXPECT_EQ(view(token), before);
    EXPECT_EQ(room->room().value("students").toArray()[0].toObject(), student);
    EXPECT_EQ(act(token, 2, "audience").body, asked.body);
    EXPECT_EQ(act(token, 3, "fifty").status, 409);
    const ClassReply answered = act(token, 3, "answer", {{"button", rightButton(before)}});
    ASSERT_EQ(answered.status, 200);
    EXPECT_TRUE(answered.body.value("event").toObject().value("right").toBool());
    EXPECT_EQ(answered.body.value("game").toObject().value("level").toInt(), 3);
    // A new game gets the next id, never one of the kept.
    join(QStringLiteral("другой"));
    EXPECT_EQ(room->room().value("students").toArray()[1].toObject().value("id").toString(), QStringLiteral("g2"));

    EXPECT_EQ(journalRows("SELECT COUNT(*), COUNT(ended) FROM games"), QStringList{"2|0"});
    EXPECT_EQ(journalRows("SELECT level, chosen, fifty_blanked IS NOT NULL, votes_a IS NOT NULL, "
                          "game = (SELECT MIN(id) FROM games WHERE student = 'ИГРОК') FROM answers ORDER BY level"),
              (QStringList{"1|1|0|0|1", "2|1|1|1|1"}));
}

// A call going on when the room stopped is over when it comes back, and its lifeline is spent.
TEST_F(ClassFixture, ACallInProgressIsHungUpOnTheRestart)
{
    open();
    const QString token = join(QStringLiteral("игрок"));
    ASSERT_EQ(act(token, 0, "friend").status, 200);
    room.reset();
    open();
    const QJsonObject game = view(token);
    EXPECT_EQ(game.value("state").toString(), QStringLiteral("question"));
    EXPECT_TRUE(game.value("call").isNull());
    EXPECT_TRUE(game.value("lifelines").toObject().value("friend").toBool());
    EXPECT_EQ(act(token, 1, "friend").status, 409);
    EXPECT_EQ(act(token, 1, "answer", {{"button", rightButton(game)}}).status, 200);
}

// Kept for a lesson's time the game goes on; kept longer, it is left as the desktop leaves a
// game on quit: unfinished, its question shown and unanswered, no grade.
struct KeptAway {
    qint64 awayMs;
    bool goesOn;
};

class KeptGamesAway : public ClassFixture, public ::testing::WithParamInterface<KeptAway>
{
};

TEST_P(KeptGamesAway, AreLeftWhenKeptLongerThanTwelveHours)
{
    const KeptAway c = GetParam();
    wall = 1'800'000'000'000;
    open();
    const QString token = join(QStringLiteral("игрок"));
    ASSERT_EQ(act(token, 0, "fifty").status, 200);
    room.reset();
    *wall += c.awayMs;
    open();
    EXPECT_EQ(room->game({{"token", token}}).status, c.goesOn ? 200 : 404);
    EXPECT_EQ(journalRows("SELECT clicked_button IS NULL, fifty_blanked IS NOT NULL FROM answers"),
              c.goesOn ? QStringList() : QStringList{"1|1"});
    EXPECT_EQ(journalRows("SELECT COUNT(*), COUNT(ended) FROM games"), QStringList{"1|0"});
    EXPECT_EQ(reports.size(), c.goesOn ? 0 : 1) << reports.join(' ').toStdString();
    EXPECT_EQ(record(QStringLiteral("ИГРОК")), QString());
}

INSTANTIATE_TEST_SUITE_P(ClassKeep, KeptGamesAway,
                         ::testing::Values(KeptAway{11 * kHourMs, true}, KeptAway{12 * kHourMs + 1000, false}));

// A kept file that cannot be read back is said and kept beside, never taken for no games and
// written over; the room opens without the games.
TEST_F(ClassFixture, ADamagedKeepFileIsReportedAndKept)
{
    const QByteArray damaged = "{\"format\": 1, \"kept\": 17, \"games\": [{\"tok";
    testutil::writeBytes(keepFile(folder), damaged);
    open();
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains(QStringLiteral("повреждён"))) << reports[0].toStdString();
    const QString copy = JournalFolder(folder) + QStringLiteral("КЛАСС (повреждённый).class-games");
    EXPECT_EQ(testutil::readBytes(copy), damaged);
    EXPECT_TRUE(reports[0].contains(QDir::toNativeSeparators(copy)));
    EXPECT_EQ(room->problem(), QString());
    join(QStringLiteral("игрок"));
    room.reset();
    EXPECT_EQ(testutil::readBytes(copy), damaged);
    EXPECT_TRUE(QFileInfo::exists(keepFile(folder)));
}
