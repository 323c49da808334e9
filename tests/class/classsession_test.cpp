// The desktop game's rules asked of the real tallory-class (started on a copy of the demo folder
// at a free port): whole games with every lifeline, the server's refusals word for word, a game
// the teacher ends or moves, a server that stops answering for a while, and what reaches the lab
// machine before a verdict held against the right answer's place.

#include "classsession.h"

#include "classprogram.h"
#include "cp1251.h"
#include "faq.h"
#include "inifile.h"
#include "leakstats.h"
#include "results.h"
#include "runningclass.h"

#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const QString kTwice = QStringLiteral("Нельзя дважды отвечать на вопросы теста!");
const QString kWaiting = QStringLiteral("Нет связи с сервером класса, ждём…");

QByteArray stored(const QString &text)
{
    return cp1251::upper(cp1251::encode(text).value_or(QByteArray()));
}

class ClassSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start({QStringLiteral("--teacher-key-file"), keyFile()})) << qPrintable(server.errors());
        right = classtest::rightAnswers(QStringLiteral(TALLORY_SOURCE_DIR "/demo/demo-bank.txt"));
        ASSERT_GE(right.size(), 100);
    }

    QString keyFile() const { return server.folder() + QStringLiteral("key"); }
    QByteArray teacherKey() const
    {
        QFile f(keyFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
    }

    std::unique_ptr<ClassSession> session(int timeoutMs = 5000, int heartbeatMs = 60000)
    {
        ClassSessionOptions o;
        o.server = QUrl(server.url());
        o.programFolder = lab.path() + QLatin1Char('/');
        o.machine = QStringLiteral("ПК-7");
        o.retryMs = 10;
        o.timeoutMs = timeoutMs;
        o.heartbeatMs = heartbeatMs;
        return std::make_unique<ClassSession>(o);
    }

    Admission admit(ClassSession &s, const QString &lesson, const QString &name, bool *asked = nullptr)
    {
        return s.admit(lesson, [&] {
            if (asked)
                *asked = true;
            return name;
        }, {});
    }

    /// The button (1..4) showing the right answer of the question, 0 when none does.
    int rightButton(const LevelQuestion &q) const
    {
        const QString answer = right.value(cp1251::decode(q.question));
        for (int b = 1; b <= 4; ++b)
            if (!answer.isEmpty() && cp1251::decode(q.captions[static_cast<size_t>(b)]) == answer)
                return b;
        return 0;
    }

    /// Nothing of the right answer on this side before the verdict.
    static void expectNothingKnown(const ClassSession &s)
    {
        EXPECT_EQ(s.state().CorrectButton, 0);
        for (const QByteArray &text : s.state().AnswerTexts)
            EXPECT_TRUE(text.isEmpty());
    }

    /// Clicks button until the host judges it (a tease keeps the question): the verdict.
    static Verdict judged(ClassSession &s, int button, int *teases = nullptr)
    {
        Verdict v = s.click(button);
        for (int again = 0; v.teased && again < 5; ++again) {
            if (teases)
                ++*teases;
            v = s.click(button);
        }
        return v;
    }

    QString studentId(const QString &name)
    {
        const Answer room = server.post(QStringLiteral("api/teacher/room"), "{}", teacherKey());
        for (const QJsonValue &student : room.body.value(QStringLiteral("students")).toArray())
            if (student[QStringLiteral("name")].toString() == name)
                return student[QStringLiteral("id")].toString();
        return {};
    }

    RunningClass server;
    QTemporaryDir lab;
    QHash<QString, QString> right;
};

struct Script {
    const char *tag; ///< the test's name
    const char *name;
    int wrongAt;  ///< the level answered wrong; 0 for none
    int stopAt;   ///< the level stopped at; 0 for none
    GameEnding end;
    int lastLevel; ///< the level the grade is of
};

class WholeGame : public ClassSessionTest, public ::testing::WithParamInterface<Script>
{
};

TEST_P(WholeGame, EveryLifelineVerdictAndGradeComeFromTheServerAndItKeepsTheRecord)
{
    const Script script = GetParam();
    const QString name = QString::fromUtf8(script.name);
    auto s = session();
    ASSERT_TRUE(admit(*s, QStringLiteral("демо"), name).allowed());
    ASSERT_TRUE(s->begin({}).ok());
    EXPECT_EQ(s->state().PlayerName, stored(name));
    EXPECT_EQ(s->state().LessonCode, stored(QStringLiteral("ДЕМО")));
    Status finished = Status::failure(QStringLiteral("not ended"));
    int teases = 0;
    for (;;) {
        const int level = s->state().CurrentLevel;
        const LevelQuestion q = s->nextQuestion();
        ASSERT_TRUE(q.error.isEmpty()) << qPrintable(q.error);
        const int r = rightButton(q);
        ASSERT_GT(r, 0) << "level " << level << ": " << qPrintable(cp1251::decode(q.question));
        EXPECT_EQ(s->state().MusicName, level <= 5 ? "fon1" : level <= 10 ? "fon2" : "fon3");
        if (level == 1) {
            const auto blanks = s->fiftyFifty();
            EXPECT_TRUE(blanks[0] != blanks[1] && blanks[0] != r && blanks[1] != r && blanks[0] >= 1 && blanks[1] <= 4);
        } else if (level == 2) {
            const auto votes = s->askAudience();
            EXPECT_EQ(votes[1] + votes[2] + votes[3] + votes[4], 50);
        } else if (level == 3) {
            const Result<FriendCall> call = s->phoneFriend();
            ASSERT_TRUE(call.ok()) << qPrintable(call.error);
            EXPECT_TRUE(call.value.friendIndex >= 1 && call.value.friendIndex <= 14);
            EXPECT_EQ(call.value.number.size(), 7);
            EXPECT_FALSE(s->dial(call.value.number.left(6) + (call.value.number.endsWith('0') ? "1" : "0")));
            const auto reply = s->dial(call.value.number);
            ASSERT_TRUE(reply.has_value());
            EXPECT_FALSE(reply->isEmpty());
            s->hangUp();
        }
        expectNothingKnown(*s);
        if (script.stopAt == level) {
            ASSERT_TRUE(s->mayStop());
            finished = s->finishGame(GameEnding::Stop);
            break;
        }
        const int button = script.wrongAt == level ? r % 4 + 1 : r;
        const Verdict v = judged(*s, button, &teases);
        ASSERT_FALSE(v.teased);
        EXPECT_EQ(v.level, level);
        EXPECT_EQ(v.correctButton, r);
        EXPECT_EQ(s->state().CorrectButton, r);
        EXPECT_EQ(v.right, button == r);
        if (!v.right) {
            EXPECT_TRUE(v.sound >= 1 && v.sound <= 4) << v.sound;
            finished = s->finishGame(GameEnding::Wrong);
            break;
        }
        EXPECT_EQ(v.milestone, level == 5 || level == 10 ? level : 0);
        if (v.milestone == 0) {
            EXPECT_TRUE(v.remark >= 1 && v.remark <= 9 && v.sound >= 1 && v.sound <= 4) << v.remark << " " << v.sound;
        }
        s->secure();
        EXPECT_EQ(s->state().SecuredPoints, PointsTable(level));
        if (s->moveUp()) {
            finished = s->finishGame(GameEnding::Won);
            break;
        }
    }
    EXPECT_TRUE(finished.ok()) << qPrintable(finished.error);
    EXPECT_EQ(s->state().CurrentLevel, script.lastLevel);
    EXPECT_FALSE(s->questionOpen());
    // The grade is the server's record, in the server's folder; the lab's folder is left alone.
    EXPECT_EQ(IniReadString(ResultsFilePath(server.folder()), stored(QStringLiteral("ДЕМО")), checks(stored(name)), {}),
              ScrambleText(ResultRecord(stored(name), script.lastLevel)));
    EXPECT_TRUE(QDir(lab.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    // Ten levels past the fifth cycle the host's remarks through the tease at least once.
    if (script.end == GameEnding::Won) {
        EXPECT_GE(teases, 1);
    }
    // And the same student is refused the lesson again, by the server.
    EXPECT_EQ(admit(*s, QStringLiteral("демо"), name).refusal, kTwice);
}

INSTANTIATE_TEST_SUITE_P(ClassSession, WholeGame,
                         ::testing::Values(Script{"Won", "Победов", 0, 0, GameEnding::Won, 16},
                                           Script{"WrongAt7", "Ошибкин", 7, 0, GameEnding::Wrong, 7},
                                           Script{"StoppedAt6", "Стопов", 0, 6, GameEnding::Stop, 6}),
                         [](const auto &info) { return std::string(info.param.tag); });

TEST_F(ClassSessionTest, TheServersRefusalsAreShownWordForWord)
{
    // A game in progress under the name, from a browser.
    ASSERT_FALSE(server.join(QStringLiteral("Занятов")).isEmpty());
    auto s = session();
    // A game left at its first question (a new game, the window closed): no grade, no record,
    // and no second attempt.
    ASSERT_TRUE(admit(*s, QStringLiteral("демо"), QStringLiteral("Ушедший")).allowed());
    ASSERT_TRUE(s->begin({}).ok());
    ASSERT_TRUE(s->nextQuestion().error.isEmpty());
    s->leave();
    EXPECT_FALSE(s->questionOpen());
    const Answer room = server.post(QStringLiteral("api/teacher/room"), "{}", teacherKey());
    const QJsonArray students = room.body.value(QStringLiteral("students")).toArray();
    const auto left = std::find_if(students.begin(), students.end(), [](const QJsonValue &student) {
        return student[QStringLiteral("name")].toString() == QStringLiteral("УШЕДШИЙ");
    });
    ASSERT_NE(left, students.end()) << room.bytes.constData();
    EXPECT_EQ((*left)[QStringLiteral("state")].toString(), QStringLiteral("вышел"));
    EXPECT_EQ((*left)[QStringLiteral("face")].toString(), QStringLiteral("desktop"));
    EXPECT_EQ((*left)[QStringLiteral("machine")].toString(), QStringLiteral("ПК-7"));
    EXPECT_FALSE(QFile::exists(ResultsFilePath(server.folder())));
    const struct {
        QString lesson;
        QString name;
        QString refusal;
        bool nameAsked;
    } cases[] = {
        {QStringLiteral("демо"), QStringLiteral("занятов"), kTwice, true},
        {QStringLiteral("демо"), QStringLiteral("ушедший"), kTwice, true},
        {QStringLiteral("химия"), QStringLiteral("Новиков"), QStringLiteral("Занятие «ХИМИЯ» не открыто."), false},
        {QStringLiteral("  "), QStringLiteral("Новиков"), QStringLiteral("Код занятия не содержит вопросов!"), false},
        {QStringLiteral("демо"), QStringLiteral("   "), QStringLiteral("Фамилия и инициалы студента обязательны для заполнения!"), true},
    };
    for (const auto &c : cases) {
        bool asked = false;
        const Admission a = admit(*s, c.lesson, c.name, &asked);
        EXPECT_EQ(a.refusal, c.refusal) << qPrintable(c.lesson + QLatin1Char('/') + c.name);
        EXPECT_EQ(asked, c.nameAsked) << qPrintable(c.lesson + QLatin1Char('/') + c.name);
        EXPECT_TRUE(s->token().isEmpty());
        EXPECT_FALSE(s->questionOpen());
    }
}

TEST_F(ClassSessionTest, TheQuestionsPictureIsTheServersAddressForIt)
{
    // The demo lesson's bank, replaced by one whose every question has a picture beside it.
    QByteArray bank;
    for (int level = 1; level <= kLevels; ++level) {
        bank += "[" + QByteArray::number(level) + "]\r\n";
        bank += ScrambleText(cp1251::encode(QStringLiteral("Вопрос %1?|Верно|Нет|Никак|Иначе|картинка.png").arg(level))
                                 .value_or(QByteArray()))
                + "\r\n";
    }
    const QByteArray png = QByteArrayLiteral("\x89PNG\r\n\x1a\n") + QByteArray(64, 'p');
    for (const auto &[name, bytes] : {std::pair{QStringLiteral("demo.faq"), bank}, std::pair{QStringLiteral("картинка.png"), png}}) {
        QFile f(server.folder() + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
    }
    auto s = session();
    ASSERT_TRUE(admit(*s, QStringLiteral("демо"), QStringLiteral("Смотрящих")).allowed());
    ASSERT_TRUE(s->begin({}).ok());
    const LevelQuestion q = s->nextQuestion();
    EXPECT_EQ(cp1251::decode(q.question), QStringLiteral("Вопрос 1?"));
    const QString address = QString::fromLatin1(q.illustration);
    ASSERT_TRUE(address.startsWith(server.url() + QStringLiteral("api/picture?"))) << qPrintable(address);
    const Answer picture = server.get(address.mid(server.url().size()));
    EXPECT_EQ(picture.status, 200);
    EXPECT_EQ(picture.bytes, png);
}

TEST_F(ClassSessionTest, AGameEndedByTheTeacherOrMovedElsewhereIsGone)
{
    const QString name = QStringLiteral("Ушедших");
    // Ended by the teacher while the window waits: the heartbeat finds out and says so.
    {
        auto s = session(5000, 20);
        ASSERT_TRUE(admit(*s, QStringLiteral("демо"), name).allowed());
        ASSERT_TRUE(s->begin({}).ok());
        ASSERT_TRUE(s->nextQuestion().error.isEmpty());
        int told = 0;
        QEventLoop loop;
        s->onGone = [&] {
            ++told;
            loop.quit();
        };
        const QString id = studentId(QStringLiteral("УШЕДШИХ"));
        ASSERT_FALSE(id.isEmpty());
        ASSERT_EQ(server.post(QStringLiteral("api/teacher/end"), RunningClass::toJson({{QStringLiteral("id"), id}}), teacherKey())
                      .status,
                  200);
        // A bound for a client that never notices, not a pause: the heartbeat ends the loop first.
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        // The teacher's request waits in a loop of its own, where a beat may already have come.
        if (told == 0)
            loop.exec();
        EXPECT_EQ(told, 1);
        EXPECT_TRUE(s->gone().startsWith(QStringLiteral("Игру завершил учитель."))) << qPrintable(s->gone());
        EXPECT_FALSE(s->questionOpen());
    }
    // Moved to another device with the teacher's leave: the next click finds the game gone, and
    // onGone is not told from inside the call.
    {
        auto s = session();
        ASSERT_TRUE(admit(*s, QStringLiteral("демо"), QStringLiteral("Переезжих")).allowed());
        ASSERT_TRUE(s->begin({}).ok());
        const LevelQuestion q = s->nextQuestion();
        bool told = false;
        s->onGone = [&] { told = true; };
        const QString id = studentId(QStringLiteral("ПЕРЕЕЗЖИХ"));
        ASSERT_EQ(server.post(QStringLiteral("api/teacher/allow"), RunningClass::toJson({{QStringLiteral("id"), id}}), teacherKey())
                      .status,
                  200);
        ASSERT_FALSE(server.join(QStringLiteral("Переезжих")).isEmpty());
        const Verdict v = s->click(rightButton(q));
        EXPECT_TRUE(v.teased);
        EXPECT_EQ(v.correctButton, 0);
        EXPECT_FALSE(s->gone().isEmpty());
        EXPECT_FALSE(s->questionOpen());
        EXPECT_FALSE(told);
    }
}

/// How the server stops answering for a while: SIGSTOP (requests wait unanswered until their
/// time is out) or a clean stop and start on the same folder and port (connections refused).
enum class Outage { Stopped, Restarted };

class ServerOutage : public ClassSessionTest, public ::testing::WithParamInterface<Outage>
{
protected:
    void interrupt()
    {
        if (GetParam() == Outage::Stopped) {
            ASSERT_EQ(::kill(static_cast<pid_t>(server.process().processId()), SIGSTOP), 0);
            return;
        }
        server.process().terminate();
        ASSERT_TRUE(server.process().waitForFinished(10000));
        ASSERT_EQ(server.process().exitCode(), 0);
    }
    void resume()
    {
        if (GetParam() == Outage::Stopped) {
            ASSERT_EQ(::kill(static_cast<pid_t>(server.process().processId()), SIGCONT), 0);
            return;
        }
        const QString url = server.url();
        ASSERT_TRUE(server.start({QStringLiteral("--port"), QString::number(QUrl(url).port())})) << qPrintable(server.errors());
        ASSERT_EQ(server.url(), url);
    }
};

TEST_P(ServerOutage, IsWaitedForAndTheGameGoesOnWithItsTokenAtItsStep)
{
    // A stopped server's requests are given up after this, and sent again; long enough for a
    // busy machine's server that does answer.
    auto s = session(GetParam() == Outage::Stopped ? 1500 : 5000);
    QStringList said;
    s->onWaiting = [&](const QString &text) {
        said << text;
        // The server comes back once the window has said it waits.
        if (!text.isEmpty())
            resume();
    };
    // Gone once the name is typed: the join goes again; a join whose first sending did reach the
    // server gets back the game it began, not the refusal of a second game under the name.
    const Admission joined = s->admit(QStringLiteral("демо"), [&] {
        interrupt();
        return QStringLiteral("Ждущих");
    }, {});
    ASSERT_TRUE(joined.allowed()) << qPrintable(joined.refusal);
    ASSERT_TRUE(s->begin({}).ok());
    const QString token = s->token();
    for (int level = 1; level <= 3; ++level) {
        const LevelQuestion q = s->nextQuestion();
        const int r = rightButton(q);
        ASSERT_GT(r, 0);
        const int step = s->step();
        if (level == 2)
            interrupt();
        const Verdict v = judged(*s, r);
        ASSERT_TRUE(v.right) << "level " << level;
        EXPECT_EQ(v.level, level);
        EXPECT_EQ(s->step(), step + 1);
        s->secure();
        ASSERT_FALSE(s->moveUp());
    }
    EXPECT_EQ(said, QStringList({kWaiting, QString(), kWaiting, QString()}));
    EXPECT_EQ(s->token(), token);
    ASSERT_TRUE(s->nextQuestion().error.isEmpty());
    ASSERT_TRUE(s->mayStop());
    ASSERT_TRUE(s->finishGame(GameEnding::Stop).ok());
    EXPECT_EQ(IniReadString(ResultsFilePath(server.folder()), stored(QStringLiteral("ДЕМО")),
                            checks(stored(QStringLiteral("Ждущих"))), {}),
              ScrambleText(ResultRecord(stored(QStringLiteral("Ждущих")), 4)));
}

INSTANTIATE_TEST_SUITE_P(ClassSession, ServerOutage, ::testing::Values(Outage::Stopped, Outage::Restarted),
                         [](const auto &info) { return std::string(info.param == Outage::Stopped ? "Stopped" : "Restarted"); });

// The browser's leak test, on every byte the desktop's client receives between two verdicts and
// on what it holds then: nothing of it may follow the right answer's place beyond chance.
TEST_F(ClassSessionTest, NothingReceivedBeforeAVerdictFollowsTheRightAnswer)
{
    constexpr int kQuestions = 500;
    auto s = session();
    std::vector<leakcheck::Sample> samples;
    leakcheck::Sample sample;
    QString kind;
    s->onReceived = [&](const QByteArray &body) {
        classtest::Reply r;
        r.status = 200;
        r.body = body;
        r.json = QJsonDocument::fromJson(body).object();
        sample.before.append({kind, r});
    };
    // What this side holds before the verdict, as one more answer to look at.
    const auto holding = [&] {
        QJsonArray texts;
        for (const QByteArray &t : s->state().AnswerTexts)
            texts.append(QString::fromLatin1(t.toHex()));
        classtest::Reply r;
        r.json = {{QStringLiteral("correctButton"), s->state().CorrectButton},
                  {QStringLiteral("answerTexts"), texts},
                  {QStringLiteral("level"), s->state().CurrentLevel},
                  {QStringLiteral("points"), s->state().SecuredPoints}};
        r.body = QJsonDocument(r.json).toJson(QJsonDocument::Compact);
        sample.before.append({QStringLiteral("held"), r});
    };
    QRandomGenerator random(20261210);
    for (int game = 0; static_cast<int>(samples.size()) < kQuestions; ++game) {
        kind = QStringLiteral("join");
        ASSERT_TRUE(admit(*s, QStringLiteral("демо"), classtest::studentName(QStringLiteral("ЛИСТОВ"), game)).allowed());
        ASSERT_TRUE(s->begin({}).ok());
        bool open = true;
        while (open) {
            const LevelQuestion q = s->nextQuestion();
            ASSERT_TRUE(q.error.isEmpty());
            const int r = rightButton(q);
            ASSERT_GT(r, 0);
            sample.right = r - 1;
            std::array<int, 2> blanks{};
            if (random.bounded(3) == 0) {
                switch (random.bounded(3)) {
                case 0:
                    kind = QStringLiteral("fifty");
                    blanks = s->fiftyFifty();
                    break;
                case 1:
                    kind = QStringLiteral("audience");
                    s->askAudience();
                    break;
                default:
                    kind = QStringLiteral("friend");
                    if (const Result<FriendCall> call = s->phoneFriend(); call.ok()) {
                        kind = QStringLiteral("dial");
                        s->dial(call.value.number);
                        kind = QStringLiteral("hangup");
                        s->hangUp();
                    }
                }
            }
            holding();
            expectNothingKnown(*s);
            QList<int> wrong;
            for (int b = 1; b <= 4; ++b)
                if (b != r && b != blanks[0] && b != blanks[1])
                    wrong << b;
            const int button = random.bounded(5) != 0 ? r : wrong[random.bounded(static_cast<int>(wrong.size()))];
            kind = QStringLiteral("answer");
            Verdict v = s->click(button);
            for (int again = 0; v.teased && again < 5; ++again) {
                holding();
                expectNothingKnown(*s);
                v = s->click(button);
            }
            ASSERT_FALSE(v.teased);
            // The verdict's answer is the last thing received: it opens the next question's.
            leakcheck::Response verdict = sample.before.takeLast();
            samples.push_back(sample);
            sample = {};
            sample.before.append(verdict);
            kind = QStringLiteral("after");
            if (!v.right) {
                EXPECT_TRUE(s->finishGame(GameEnding::Wrong).ok());
                open = false;
            } else {
                s->secure();
                if (s->moveUp()) {
                    EXPECT_TRUE(s->finishGame(GameEnding::Won).ok());
                    open = false;
                }
            }
        }
        s->close();
        sample = {};
    }
    const int tested = leakcheck::ExpectNothingFollowsTheRightAnswer(samples);
    std::printf("%zu questions, %d tables of what the client received and held against the right answer's place\n",
                samples.size(), tested);
}

} // namespace
