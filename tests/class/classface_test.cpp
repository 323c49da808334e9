// What the desktop game asks of the room besides what a page asks: the lesson on its own, where a
// join comes from, walking away from a game, and the host's rows with each verdict.

#include "classfixture.h"

#include "phrases.h"

#include <QFileInfo>

namespace {

QString error(const ClassReply &reply)
{
    return reply.body.value("error").toString();
}

} // namespace

TEST_F(ClassFixture, TheLessonIsAskedAloneAndNothingIsWritten)
{
    writeSettings(QStringLiteral("[ПУСТО]\r\nВопросник=нет.faq\r\n"));
    open();
    struct Asked { const char *lesson; int status; const char *said; };
    const Asked cases[] = {
        {"тест", 200, "ТЕСТ"},
        {"  ", 400, "Введите код занятия."},
        {"тест ☺", 400, "Символ"},
        {"другое", 404, "Занятие «ДРУГОЕ» не открыто."},
        {"пусто", 422, "Занятие «ПУСТО»: Код занятия не содержит вопросов!"},
    };
    for (const Asked &c : cases) {
        const ClassReply reply = room->lesson({{"lesson", QString::fromUtf8(c.lesson)}});
        EXPECT_EQ(reply.status, c.status) << c.lesson;
        const QString said = c.status == 200 ? reply.body.value("lesson").toString() : error(reply);
        EXPECT_TRUE(said.startsWith(QString::fromUtf8(c.said))) << c.lesson << " " << said.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("tallory.rez")));
    EXPECT_TRUE(journalRows("SELECT id FROM games").isEmpty());
    EXPECT_TRUE(room->room().value("students").toArray().isEmpty());
}

TEST_F(ClassFixture, TheRoomShowsWhereEachGameIsPlayed)
{
    open();
    struct Joined { const char *name; QJsonObject more; const char *face; QJsonValue machine; };
    const Joined cases[] = {
        {"первый", {}, "browser", QJsonValue()},
        {"второй", {{"face", "desktop"}, {"machine", " LAB-07 "}}, "desktop", "LAB-07"},
        {"третий", {{"face", "телефон"}}, "browser", QJsonValue()},
    };
    for (const Joined &c : cases) {
        QJsonObject request = c.more;
        request.insert("lesson", "тест");
        request.insert("name", QString::fromUtf8(c.name));
        ASSERT_EQ(room->join(request, "10.0.0.9").status, 200) << c.name;
    }
    const QJsonArray students = room->room().value("students").toArray();
    ASSERT_EQ(students.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject s = students[i].toObject();
        EXPECT_EQ(s.value("face").toString(), QString::fromUtf8(cases[i].face)) << cases[i].name;
        EXPECT_EQ(s.value("machine"), cases[i].machine) << cases[i].name;
        EXPECT_EQ(s.value("device").toString(), QStringLiteral("10.0.0.9"));
    }
}

// Walking away from the question as the desktop does: shown and unanswered in the journal, no
// grade, no record, and no second attempt under the same name.
TEST_F(ClassFixture, LeavingAGameEndsItUngradedAndUnrecorded)
{
    open();
    const QString token = join(QStringLiteral("игрок"));
    ASSERT_EQ(act(token, 0, "answer", {{"button", rightButton(view(token))}}).status, 200);
    ASSERT_EQ(act(token, 1, "fifty").status, 200);
    ASSERT_EQ(act(token, 2, "friend").status, 200);
    const ClassReply left = act(token, 3, "leave");
    ASSERT_EQ(left.status, 200) << error(left).toStdString();
    EXPECT_EQ(left.body.value("event").toObject(), (QJsonObject{{"kind", "leave"}}));
    const QJsonObject game = left.body.value("game").toObject();
    EXPECT_EQ(game.value("step").toInt(), 4);
    EXPECT_EQ(game.value("state").toString(), QStringLiteral("finished"));
    const QJsonObject end = game.value("end").toObject();
    EXPECT_EQ(end.value("how").toString(), QStringLiteral("left"));
    EXPECT_TRUE(end.value("grade").isNull());
    EXPECT_EQ(act(token, 3, "leave").body, left.body); // the same request again: the same answer
    EXPECT_EQ(act(token, 4, "answer", {{"button", 1}}).status, 409);

    EXPECT_EQ(record(QStringLiteral("ИГРОК")), QString());
    EXPECT_EQ(journalRows("SELECT ending FROM games"), QStringList{"-"});
    EXPECT_EQ(journalRows("SELECT level, clicked_button IS NULL, fifty_blanked IS NOT NULL, friend_reply IS NOT NULL "
                          "FROM answers ORDER BY level"),
              (QStringList{"1|0|0|0", "2|1|1|1"}));
    EXPECT_EQ(room->room().value("students").toArray()[0].toObject().value("state").toString(), QStringLiteral("вышел"));
    const ClassReply again = room->join({{"lesson", "тест"}, {"name", "игрок"}}, "x");
    EXPECT_EQ(again.status, 403);
    EXPECT_EQ(error(again), QStringLiteral("Нельзя дважды отвечать на вопросы теста!"));
}

// The rows the verdict names are the ones its words and clips come from, so a window that picks
// its own banners and clips by them shows and plays what the page does.
TEST_F(ClassFixture, TheVerdictNamesTheHostsRows)
{
    open();
    const QString token = join(QStringLiteral("игрок"));
    int judged = 0;
    for (int clicks = 0; clicks < 12; ++clicks) {
        const QJsonObject game = view(token);
        const int level = game.value("level").toInt();
        const bool wrong = level == 7;
        const int right = rightButton(game);
        const QJsonObject event = act(token, game.value("step").toInt(), "answer", {{"button", wrong ? right % 4 + 1 : right}})
                                      .body.value("event").toObject();
        if (event.value("teased").toBool()) {
            EXPECT_FALSE(event.contains("remarkRow"));
            continue;
        }
        ++judged;
        EXPECT_EQ(event.value("level").toInt(), level);
        const int milestone = event.value("milestoneLevel").toInt();
        EXPECT_EQ(milestone, level == 5 || level == 10 ? level : 0) << level;
        const QString remark = event.value("remark").toString();
        const int remarkRow = event.value("remarkRow").toInt();
        const int soundRow = event.value("soundRow").toInt();
        if (wrong) {
            EXPECT_EQ(remark, cp1251::decode(WrongPhrases(soundRow))) << level;
            break;
        }
        if (milestone == 0) {
            EXPECT_EQ(remark, cp1251::decode(CorrectPhrases(remarkRow))) << level;
            EXPECT_EQ(event.value("clip").toString(), cp1251::decode(CorrectSounds(soundRow))) << level;
        }
    }
    EXPECT_EQ(judged, 7);
}
