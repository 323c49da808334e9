// Whole games through the room's calls, as a page makes them: the verdicts, lifelines and ends
// a student sees, and what lands in tallory.rez and the journal, read from the files.

#include "classfixture.h"

namespace {

/// A game as the student plays it: R a right answer (again when the host teases), W a wrong one,
/// 5 fifty-fifty, A the audience, F a friend dialled and hung up, T a friend whose time runs out,
/// S a stop.
struct RoomGame {
    const char *name;
    const char *steps;
    const char *how;     ///< the end's "how"
    const char *record;  ///< tallory.rez's record of the player, "" for none
    int answerRows;      ///< the journal's rows of the game's questions
    const char *ending;  ///< the journal's games.ending
};

void PrintTo(const RoomGame &c, std::ostream *os)
{
    *os << c.name;
}

const RoomGame kGames[] = {
    {"WrongAtOnce", "W", "wrong", "ИГРОК|0|Неудовлетворительно", 1, "wrong"},
    {"StopAtTheFirstMilestone", "RRRRRS", "stop", "ИГРОК|5|Удовлетворительно", 6, "stop"},
    {"EveryLifelineThenWrong", "5AFW", "wrong", "ИГРОК|0|Неудовлетворительно", 1, "wrong"},
    {"TheCallRunsOutThenRight", "RTRRW", "wrong", "ИГРОК|3|Неудовлетворительно", 4, "wrong"},
    {"AllFifteen", "RRRRRRRRRRRRRRR", "won", "ИГРОК|15|Отлично", 15, "won"},
};

class RoomGames : public ClassFixture, public ::testing::WithParamInterface<RoomGame>
{
};

} // namespace

TEST_P(RoomGames, PlayThroughTheRoomAndRecord)
{
    const RoomGame &c = GetParam();
    open();
    const QString token = join(QStringLiteral("игрок"));
    QJsonObject game = view(token);
    QJsonObject end;
    for (const char *s = c.steps; *s; ++s) {
        const int step = game.value("step").toInt();
        const int right = rightButton(game);
        ClassReply r;
        switch (*s) {
        case 'R': case 'W': {
            r = act(token, step, "answer", {{"button", *s == 'R' ? right : right % 4 + 1}});
            const QJsonObject event = r.body.value("event").toObject();
            ASSERT_EQ(event.value("kind").toString(), QStringLiteral("verdict"));
            if (event.value("teased").toBool()) {
                --s;
            } else {
                EXPECT_EQ(event.value("right").toBool(), *s == 'R');
                EXPECT_EQ(event.value("correct").toInt(), right);
                EXPECT_FALSE(event.value("remark").toString().isEmpty());
                EXPECT_FALSE(event.value("clip").toString().isEmpty());
                end = event.value("end").toObject();
            }
            break;
        }
        case '5': {
            r = act(token, step, "fifty");
            const QJsonArray blank = r.body.value("event").toObject().value("blank").toArray();
            ASSERT_EQ(blank.size(), 2);
            EXPECT_NE(blank[0].toInt(), right);
            EXPECT_NE(blank[1].toInt(), right);
            break;
        }
        case 'A':
            r = act(token, step, "audience");
            EXPECT_EQ(r.body.value("event").toObject().value("votes").toArray().size(), 4);
            break;
        case 'F': case 'T': {
            r = act(token, step, "friend");
            ASSERT_EQ(r.status, 200);
            const QString number = r.body.value("event").toObject().value("number").toString();
            EXPECT_EQ(r.body.value("game").toObject().value("state").toString(), QStringLiteral("call"));
            if (*s == 'T') {
                now += 30'000;
                room->tick();
                EXPECT_EQ(view(token).value("state").toString(), QStringLiteral("question"));
                r = act(token, step + 1, "dial", {{"digits", number}});
                EXPECT_EQ(r.status, 409);
                break;
            }
            r = act(token, step + 1, "dial", {{"digits", number}});
            EXPECT_TRUE(r.body.value("event").toObject().value("matched").toBool());
            EXPECT_FALSE(r.body.value("game").toObject().value("call").toObject().value("reply").toString().isEmpty());
            r = act(token, step + 2, "hangup");
            break;
        }
        case 'S':
            r = act(token, step, "stop");
            end = r.body.value("event").toObject().value("end").toObject();
            break;
        }
        ASSERT_EQ(r.status, *s == 'T' ? 409 : 200) << r.body.value("error").toString().toStdString();
        game = view(token);
    }
    EXPECT_EQ(game.value("state").toString(), QStringLiteral("finished"));
    EXPECT_EQ(end.value("how").toString(), QString::fromUtf8(c.how));
    EXPECT_EQ(end.value("message").toString(), QStringLiteral("Оценка: ") + QString::fromUtf8(c.record).section('|', 2));
    EXPECT_EQ(record(QStringLiteral("ИГРОК")), QString::fromUtf8(c.record));
    EXPECT_EQ(journalRows("SELECT ending FROM games"), QStringList{QString::fromUtf8(c.ending)});
    EXPECT_EQ(journalRows("SELECT count(*) FROM answers").value(0).toInt(), c.answerRows);
}

INSTANTIATE_TEST_SUITE_P(Table, RoomGames, ::testing::ValuesIn(kGames),
                         [](const auto &info) { return std::string(info.param.name); });
