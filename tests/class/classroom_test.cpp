// Whole games through the room's calls, as a page makes them: the verdicts, lifelines and ends
// a student sees, and what lands in tallory.rez and the journal, read from the files.

#include "classfixture.h"

#include "gamesession.h"

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
                now += 12'500; // the server's clock, whatever the page's says
                EXPECT_EQ(view(token).value("call").toObject().value("secondsLeft").toInt(), 18);
                now += 17'500;
                room->tick();
                EXPECT_EQ(view(token).value("state").toString(), QStringLiteral("question"));
                r = act(token, step + 1, "dial", {{"digits", number}});
                EXPECT_EQ(r.status, 409);
                break;
            }
            r = act(token, step + 1, "dial", {{"digits", "0000000"}}); // a wrong number rings nobody
            EXPECT_FALSE(r.body.value("event").toObject().value("matched").toBool());
            EXPECT_TRUE(r.body.value("game").toObject().value("call").toObject().value("reply").isNull());
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

namespace {
QByteArray bytes(const ClassReply &r)
{
    return QJsonDocument(r.body).toJson(QJsonDocument::Compact);
}
} // namespace

// A request sent twice gets the first answer again, byte for byte, and nothing more is written;
// any other step is refused with the game as it stands.
TEST_F(ClassFixture, ARepeatedStepIsAnsweredAgainAndWritesNothing)
{
    open();
    const QString token = join(QStringLiteral("игрок"));
    const int right = rightButton(view(token));
    const ClassReply first = act(token, 0, "answer", {{"button", right}});
    ASSERT_EQ(first.status, 200);
    const QStringList rowsAfterFirst = journalRows("SELECT level, clicked_button FROM answers");
    const ClassReply again = act(token, 0, "answer", {{"button", right}});
    EXPECT_EQ(bytes(again), bytes(first));
    EXPECT_EQ(journalRows("SELECT level, clicked_button FROM answers"), rowsAfterFirst);
    EXPECT_EQ(view(token).value("step").toInt(), 1);
    struct Late { int step; const char *what; int button; };
    for (const Late &late : {Late{0, "answer", right % 4 + 1}, Late{0, "fifty", 0}, Late{2, "answer", right}, Late{-1, "stop", 0}}) {
        const ClassReply r = act(token, late.step, late.what, {{"button", late.button}});
        EXPECT_EQ(r.status, 409) << late.step << late.what;
        EXPECT_EQ(r.body.value("error").toString(), QStringLiteral("Этот шаг уже пройден."));
        EXPECT_EQ(r.body.value("game").toObject().value("step").toInt(), 1);
    }
    EXPECT_EQ(journalRows("SELECT level, clicked_button FROM answers"), rowsAfterFirst);
}

// One name, one game: a second device is refused while the game goes on, and takes it over
// (same step, same question) only once the teacher allows; the old token is dead from then.
TEST_F(ClassFixture, ASecondJoinIsRefusedUntilTheTeacherAllowsTheMove)
{
    open();
    const QString token = join(QStringLiteral("игрок"));
    ASSERT_EQ(act(token, 0, "fifty").status, 200);
    const QJsonObject before = view(token);
    const ClassReply refused = room->join({{"lesson", "ТЕСТ"}, {"name", "ИГРОК"}}, "10.0.0.3");
    EXPECT_EQ(refused.status, 403);
    EXPECT_EQ(refused.body.value("error").toString(), QStringLiteral("Нельзя дважды отвечать на вопросы теста!"));
    EXPECT_EQ(room->room().value("students").toArray().size(), 1);
    const QString id = room->room().value("students").toArray()[0].toObject().value("id").toString();
    ASSERT_EQ(room->allowMove({{"id", id}}).status, 200);
    const ClassReply moved = room->join({{"lesson", "тест"}, {"name", "игрок"}}, "10.0.0.3");
    ASSERT_EQ(moved.status, 200);
    const QString newToken = moved.body.value("token").toString();
    EXPECT_NE(newToken, token);
    EXPECT_EQ(moved.body.value("game").toObject(), before);
    EXPECT_EQ(room->game({{"token", token}}).status, 404);
    EXPECT_EQ(act(token, 1, "audience").status, 404);
    EXPECT_EQ(act(newToken, 1, "audience").status, 200);
    // The move is spent: a third device is refused again.
    EXPECT_EQ(room->join({{"lesson", "тест"}, {"name", "игрок"}}, "10.0.0.4").status, 403);
    EXPECT_EQ(journalRows("SELECT count(*) FROM games"), QStringList{"1"});
}

// A join whose answer was lost is sent again with the same key: the page gets its game back.
// Another key (another page typing the same name) is still refused.
TEST_F(ClassFixture, AJoinSentAgainGetsItsGameBack)
{
    open();
    const QJsonObject request{{"lesson", "тест"}, {"name", "игрок"}, {"join", "0123456789abcdef0123456789abcdef"}};
    const ClassReply first = room->join(request, "10.0.0.2");
    ASSERT_EQ(first.status, 200);
    const ClassReply again = room->join(request, "10.0.0.2");
    ASSERT_EQ(again.status, 200);
    EXPECT_EQ(again.body.value("token").toString(), first.body.value("token").toString());
    QJsonObject other = request;
    other["join"] = "fedcba9876543210fedcba9876543210";
    EXPECT_EQ(room->join(other, "10.0.0.2").status, 403);
    EXPECT_EQ(room->join(request, "10.0.0.9").status, 403); // the key alone, from elsewhere
    EXPECT_EQ(journalRows("SELECT count(*) FROM games"), QStringList{"1"});
}

// Bad joins: each refused with the desktop's words (or the lesson named), nothing started.
TEST_F(ClassFixture, JoinRefusals)
{
    testutil::writeBytes(folder + QStringLiteral("tallory.ini"),
                         *cp1251::encode(QStringLiteral("[ТЕСТ]\r\nВопросник=lesson.faq\r\n[ПУСТО]\r\nВопросник=нет.faq\r\n")));
    open();
    struct Refusal { const char *lesson; const char *name; int status; const char *error; };
    const Refusal refusals[] = {
        {" ", "игрок", 400, "Введите код занятия."},
        {"ДРУГОЕ", "игрок", 404, "Занятие «ДРУГОЕ» не открыто."},
        {"тест", "  ", 400, "Фамилия и инициалы студента обязательны для заполнения!"},
        {"тест", "игрок ☺", 400, "Символ"},
        {"пусто", "игрок", 422, "Занятие «ПУСТО»: Код занятия не содержит вопросов!"},
    };
    for (const Refusal &r : refusals) {
        const ClassReply reply = room->join({{"lesson", QString::fromUtf8(r.lesson)}, {"name", QString::fromUtf8(r.name)}}, "x");
        EXPECT_EQ(reply.status, r.status) << r.lesson << " " << r.name;
        EXPECT_TRUE(reply.body.value("error").toString().startsWith(QString::fromUtf8(r.error)))
            << reply.body.value("error").toString().toStdString();
    }
    EXPECT_TRUE(room->room().value("students").toArray().isEmpty());
    EXPECT_EQ(room->openLessons(), (QStringList{"ТЕСТ", "ПУСТО"}));
}

// The teacher's end is the stop's: the grade reached recorded, the page told at its next
// request, and the room shows the student finished with the grade.
TEST_F(ClassFixture, TheTeacherEndsAGameAsAStopDoes)
{
    open();
    const QString token = join(QStringLiteral("игрок"));
    ASSERT_EQ(act(token, 0, "answer", {{"button", rightButton(view(token))}}).status, 200);
    ASSERT_EQ(act(token, 1, "friend").status, 200);
    const QString id = room->room().value("students").toArray()[0].toObject().value("id").toString();
    ASSERT_EQ(room->endGame({{"id", id}}).status, 200);
    EXPECT_EQ(room->endGame({{"id", id}}).status, 409);
    EXPECT_EQ(record(QStringLiteral("ИГРОК")), QStringLiteral("ИГРОК|1|Неудовлетворительно"));
    EXPECT_EQ(journalRows("SELECT ending, levels_passed FROM games"), QStringList{"stop|1"});
    const ClassReply late = act(token, 2, "hangup");
    EXPECT_EQ(late.status, 409);
    const QJsonObject end = late.body.value("game").toObject().value("end").toObject();
    EXPECT_EQ(end.value("how").toString(), QStringLiteral("teacher"));
    const QJsonObject student = room->room().value("students").toArray()[0].toObject();
    EXPECT_EQ(student.value("state").toString(), QStringLiteral("закончил"));
    EXPECT_EQ(student.value("grade").toInt(), 2);
}

// The program stops mid-question and the game cannot be kept (something the room cannot read
// lies where it keeps games): the game stays unfinished, its question shown and unanswered, no
// grade is recorded, and what was in the way is left alone.
TEST_F(ClassFixture, ShutdownLeavesTheGameUnfinishedWhenItCannotBeKept)
{
    const QString inTheWay = JournalFolder(folder) + QStringLiteral("КЛАСС.class-games");
    ASSERT_TRUE(QDir().mkpath(inTheWay));
    open();
    EXPECT_EQ(reports.size(), 1);
    const QString token = join(QStringLiteral("игрок"));
    ASSERT_EQ(act(token, 0, "answer", {{"button", rightButton(view(token))}}).status, 200);
    ASSERT_EQ(act(token, 1, "fifty").status, 200);
    room->shutdown();
    EXPECT_EQ(journalRows("SELECT ending FROM games"), QStringList{"-"});
    EXPECT_EQ(journalRows("SELECT level, clicked_button IS NULL, fifty_blanked IS NOT NULL FROM answers ORDER BY level"),
              (QStringList{"1|0|0", "2|1|1"}));
    EXPECT_EQ(record(QStringLiteral("ИГРОК")), QString());
    EXPECT_EQ(room->join({{"lesson", "тест"}, {"name", "другой"}}, "x").status, 503);
    EXPECT_TRUE(QFileInfo(inTheWay).isDir());
    EXPECT_EQ(reports.size(), 2);
}

// Leaving the page during a question counts and is journalled; silence past 15 s is "нет связи".
TEST_F(ClassFixture, LeavesAndSilenceShowInTheRoom)
{
    open();
    const QString token = join(QStringLiteral("игрок"));
    const auto state = [&] { return room->room().value("students").toArray()[0].toObject(); };
    EXPECT_EQ(state().value("state").toString(), QStringLiteral("в игре"));
    EXPECT_TRUE(state().value("grade").isNull()); // there, and null while the game goes on
    ASSERT_EQ(act(token, 0, "hidden").status, 200);
    ASSERT_EQ(act(token, 0, "hidden").status, 200); // the same leave told twice
    EXPECT_EQ(state().value("state").toString(), QStringLiteral("ушёл со страницы"));
    ASSERT_EQ(act(token, 0, "visible").status, 200);
    ASSERT_EQ(act(token, 0, "hidden").status, 200);
    EXPECT_EQ(state().value("leaves").toInt(), 2);
    EXPECT_EQ(view(token).value("step").toInt(), 0);
    EXPECT_EQ(journalRows("SELECT seq, level FROM page_leaves ORDER BY seq"), (QStringList{"1|1", "2|1"}));
    now += 15'001;
    EXPECT_EQ(state().value("state").toString(), QStringLiteral("нет связи"));
    view(token); // the heartbeat
    EXPECT_EQ(state().value("state").toString(), QStringLiteral("ушёл со страницы"));
}

// The view never names the right answer while the question is open, through every lifeline.
TEST_F(ClassFixture, TheOpenQuestionNeverCarriesItsAnswer)
{
    open();
    const QString token = join(QStringLiteral("игрок"));
    QStringList seen;
    for (const char *what : {"fifty", "audience", "friend", "hangup"}) {
        const ClassReply r = act(token, view(token).value("step").toInt(), what);
        ASSERT_EQ(r.status, 200) << what;
        seen << QString::fromUtf8(bytes(r)) << QString::fromUtf8(QJsonDocument(view(token)).toJson());
    }
    for (const QString &text : seen) {
        EXPECT_FALSE(text.contains(QStringLiteral("\"correct\""))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("\"answered\""))) << text.toStdString();
    }
}

// A room's game draws what a desktop game seeded alike draws: the same questions, the same
// answer orders, the same blanks, since both ask the session in the same order. Each starts
// from a fresh store of the host's counters (which keep the bank's places between games).
TEST_F(ClassFixture, ASeededGameDrawsAsTheDesktopSessionDoes)
{
    open(11);
    const QString token = join(QStringLiteral("игрок"));
    const auto answers = [&] { return view(token).value("question").toObject().value("answers").toArray(); };
    QList<QJsonArray> room{answers()};
    const QJsonArray blank = act(token, 0, "fifty").body.value("event").toObject().value("blank").toArray();
    ASSERT_EQ(act(token, 1, "answer", {{"button", rightButton(view(token))}}).status, 200);
    room << answers();
    // The desktop game is a process of its own, which the room's counters kept in memory never reach.
    this->room.reset();

    qputenv("XDG_CONFIG_HOME", (program.path() + QStringLiteral("/desktop-cfg")).toUtf8());
    SeededRandom random(11);
    NoGameRecorder recorder;
    GameSession desktop(folder, random, recorder);
    ASSERT_TRUE(desktop.admit(QStringLiteral("тест"), [] { return QStringLiteral("другой"); }, {}).allowed());
    ASSERT_TRUE(desktop.begin({}).ok());
    const auto captions = [](const LevelQuestion &q) {
        QJsonArray a;
        for (size_t p = 1; p <= 4; ++p)
            a.append(cp1251::decode(q.captions[p]));
        return a;
    };
    QList<QJsonArray> shown{captions(desktop.nextQuestion())};
    std::array<int, 2> blanks = desktop.fiftyFifty();
    std::sort(blanks.begin(), blanks.end());
    desktop.click(desktop.state().CorrectButton);
    desktop.secure();
    desktop.moveUp();
    shown << captions(desktop.nextQuestion());
    EXPECT_EQ(room, shown);
    EXPECT_EQ((std::array<int, 2>{blank[0].toInt(), blank[1].toInt()}), blanks);
}

// Two students at once: each game's rows apart in the one journal, each record its own.
TEST_F(ClassFixture, GamesAtOnceKeepTheirRowsApart)
{
    open();
    const QString first = join(QStringLiteral("первый"));
    const QString second = join(QStringLiteral("второй"));
    for (int i = 0; i < 2; ++i) {
        for (const QString &token : {first, second})
            ASSERT_EQ(act(token, i, "answer", {{"button", rightButton(view(token))}}).status, 200);
    }
    ASSERT_EQ(act(second, 2, "answer", {{"button", rightButton(view(second)) % 4 + 1}}).status, 200);
    EXPECT_EQ(journalRows("SELECT g.student, count(a.level), coalesce(g.ending, '-') FROM games g "
                          "JOIN answers a ON a.game = g.id GROUP BY g.id ORDER BY g.student"),
              (QStringList{"ВТОРОЙ|3|wrong", "ПЕРВЫЙ|2|-"}));
    EXPECT_EQ(record(QStringLiteral("ВТОРОЙ")), QStringLiteral("ВТОРОЙ|2|Неудовлетворительно"));
    EXPECT_EQ(record(QStringLiteral("ПЕРВЫЙ")), QString());
}

// A bank with no question for a level ends the game there without a grade, naming the lesson,
// and the student may sit the lesson again once the bank is mended.
TEST_F(ClassFixture, ALevelWithoutQuestionsEndsTheGameUngraded)
{
    QByteArray bank;
    for (int level = 1; level <= 2; ++level) {
        bank += "[" + QByteArray::number(level) + "]\r\n";
        bank += ScrambleText(*cp1251::encode(QStringLiteral("Вопрос %1|Верно %1|Нет a|Нет b|Нет c|").arg(level))) + "\r\n";
    }
    testutil::writeBytes(folder + QStringLiteral("lesson.faq"), bank);
    open();
    const QString token = join(QStringLiteral("игрок"));
    ASSERT_EQ(act(token, 0, "answer", {{"button", rightButton(view(token))}}).status, 200);
    const ClassReply last = act(token, 1, "answer", {{"button", rightButton(view(token))}});
    const QJsonObject end = last.body.value("event").toObject().value("end").toObject();
    EXPECT_EQ(end.value("how").toString(), QStringLiteral("noquestion"));
    EXPECT_TRUE(end.value("grade").isNull());
    EXPECT_TRUE(end.value("message").toString().startsWith(QStringLiteral("Занятие «ТЕСТ»"))) << end.value("message").toString().toStdString();
    EXPECT_EQ(record(QStringLiteral("ИГРОК")), QString());
    EXPECT_EQ(journalRows("SELECT ending FROM games"), QStringList{"noquestion"});
    EXPECT_EQ(room->join({{"lesson", "тест"}, {"name", "игрок"}}, "x").status, 200);
}

// What the face plays after each answer is what the desktop shows and plays: the host's remark
// and jingle in turn, the milestones' words, the tease at the twelfth click, the win's banner.
TEST_F(ClassFixture, VerdictsCarryTheDesktopsWordsAndClips)
{
    open();
    const QString token = join(QStringLiteral("игрок"));
    QStringList heard;
    QJsonObject end;
    for (int clicks = 0; clicks < 20 && end.isEmpty(); ++clicks) {
        const QJsonObject game = view(token);
        const QJsonObject event = act(token, game.value("step").toInt(), "answer", {{"button", rightButton(game)}})
                                      .body.value("event").toObject();
        heard << QStringLiteral("%1 %2 %3 %4").arg(game.value("level").toInt())
                     .arg(event.value("teased").toBool() ? event.value("tease").toString() : event.value("remark").toString(),
                          event.value("clips").toVariant().toStringList().join(QLatin1Char(',')),
                          event.value("milestone").toString());
        end = event.value("end").toObject();
    }
    EXPECT_EQ(heard.value(0), QStringLiteral("1 П р а в и л ь н о !!! btnclick,pause,appl,change "));
    EXPECT_EQ(heard.value(1), QStringLiteral("2 У г а д а л !!! btnclick,pause,yes,change "));
    EXPECT_EQ(heard.value(4), QStringLiteral("5  ВАШИ ЗНАНИЯ ОЦЕНЕНЫ НА УДОВЛЕТВОРИТЕЛЬНО! btnclick,pause,summa,change Удовлетворительно"));
    EXPECT_EQ(heard.value(5), QStringLiteral("6 Можно только позавидовать Вашей эрудиции! btnclick,pause,yes,change "));
    EXPECT_EQ(heard.value(9), QStringLiteral("10  ВЫ ЗАРАБОТАЛИ ОЦЕНКУ ХОРОШО! btnclick,pause,summa,change Хорошо"));
    EXPECT_EQ(heard.value(11), QStringLiteral("12 Возможно я ошибаюсь, но по-моему это не так! btnclick,pause "));
    EXPECT_EQ(heard.size(), 16);
    EXPECT_EQ(end.value("banner").toString(), QStringLiteral("Это фантастика! Поздравляем! Вы получили ПЯТЕРКУ!"));
    EXPECT_EQ(end.value("clips").toVariant().toStringList(), (QStringList{"MILLION", "begin"}));
    EXPECT_EQ(end.value("grade").toInt(), 5);
}

// A room that cannot open says why, naming what is missing; the lessons asked for are the ones open.
TEST_F(ClassFixture, WhatARoomCannotOpen)
{
    writeSettings(QStringLiteral("[ДРУГОЕ]\r\nВопросник=lesson.faq\r\n[настройки]\r\nЗал=класс\r\n"));
    struct Case { QStringList lessons; const char *problem; QStringList open; };
    const Case cases[] = {
        {{}, "", {"ТЕСТ", "ДРУГОЕ"}},
        {{"другое"}, "", {"ДРУГОЕ"}},
        {{"тест", "нет"}, "В tallory.ini нет занятия «нет».", {}},
    };
    for (const Case &c : cases) {
        ClassRoomOptions o;
        o.folder = folder;
        o.lessons = c.lessons;
        const ClassRoom r(o);
        EXPECT_EQ(r.problem(), QString::fromUtf8(c.problem));
        EXPECT_EQ(r.openLessons(), c.open);
    }
    QFile::remove(folder + QStringLiteral("tallory.ini"));
    EXPECT_TRUE(ClassRoom(ClassRoomOptions{folder}).problem().contains(QStringLiteral("нет файла tallory.ini")));
}

// With "Зал=класс" the audience is the class: the answers the room's students have given to the
// question (twenty of them, every one right) are the chart, read from the journal being written.
TEST_F(ClassFixture, TheHallIsTheClassInTheRoomToo)
{
    writeSettings(QStringLiteral("[настройки]\r\nЗал=класс\r\n"));
    open();
    for (int i = 0; i < 20; ++i) {
        const QString token = join(QStringLiteral("ученик %1").arg(i));
        ASSERT_EQ(act(token, 0, "answer", {{"button", rightButton(view(token))}}).status, 200);
    }
    const QString token = join(QStringLiteral("игрок"));
    const int right = rightButton(view(token));
    const QJsonArray votes = act(token, 0, "audience").body.value("event").toObject().value("votes").toArray();
    QJsonArray expected{0, 0, 0, 0};
    expected[right - 1] = 50;
    EXPECT_EQ(votes, expected);
}

// The room's requests wait for no write they need not: the host's counters reach their file only
// as the room flushes them (a second after they change, and at the end), and the journal's log
// is copied into its file only once the room falls quiet, not as each student joins.
TEST_F(ClassFixture, CountersAndTheJournalsCheckpointWaitForTheRoomsTick)
{
    const QString counters = QStringLiteral("%1/cfg/Quarnel.ini").arg(program.path());
    const QString journal = JournalFilePath(folder, QStringLiteral("КЛАСС"));
    const auto bytes = [](const QString &path) { return QFile::exists(path) ? testutil::readBytes(path) : QByteArray(); };
    open();
    const QString first = join(QStringLiteral("первый"));
    ASSERT_EQ(act(first, 0, "answer", {{"button", rightButton(view(first))}}).status, 200);
    const QByteArray journalBefore = bytes(journal);
    now += 500;
    const QString second = join(QStringLiteral("второй"));
    ASSERT_EQ(act(second, 0, "answer", {{"button", rightButton(view(second))}}).status, 200);
    // Two games and their first questions: nothing in the counters file, the journal's file as it was.
    EXPECT_EQ(bytes(counters), QByteArray());
    EXPECT_EQ(bytes(journal), journalBefore);

    now += 500; // a second since the room opened: the tick flushes every move at once
    room->tick();
    const QByteArray flushed = bytes(counters);
    EXPECT_FALSE(flushed.isEmpty());
    ASSERT_EQ(act(first, 1, "answer", {{"button", rightButton(view(first))}}).status, 200);
    room->tick();
    EXPECT_EQ(bytes(counters), flushed);
    EXPECT_EQ(bytes(journal), journalBefore);

    now += 3000; // the room falls quiet
    room->tick();
    EXPECT_NE(bytes(journal), journalBefore);
    EXPECT_NE(bytes(counters), flushed);
    const QByteArray settled = bytes(counters);
    // A game that ends leaves the host's counters for the next; the end of the room writes them.
    ASSERT_EQ(act(second, 1, "answer", {{"button", rightButton(view(second)) % 4 + 1}}).status, 200);
    room->shutdown();
    EXPECT_NE(bytes(counters), settled);
}
