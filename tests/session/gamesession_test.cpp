// The game's rules through the session alone, no window: a table of games (what the student
// does) against what the session decides and records.

#include "gamesession.h"

#include "counters.h"
#include "cp1251.h"
#include "faq.h"
#include "files.h"
#include "inifile.h"
#include "randomsource.h"
#include "results.h"
#include "testutil.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

/// Writes what the session tells its recorder as short words: "shown 1", "fifty 2 4",
/// "answered 3", "ended stop 6".
class WordRecorder final : public GameRecorder
{
public:
    QStringList said;
    bool unfinished = false;
    void gameStarted(const StartedGame &g) override { said << QStringLiteral("started ") + cp1251::decode(g.playerName); }
    void questionShown(const ShownQuestion &q) override { said << QStringLiteral("shown %1").arg(q.level); }
    void fiftyFiftyUsed(const std::array<int, 2> &b) override { said << QStringLiteral("fifty"); Q_UNUSED(b); }
    void audienceAsked(const std::array<int, 5> &v) override
    {
        said << QStringLiteral("audience %1").arg(v[1] + v[2] + v[3] + v[4]);
    }
    void friendCalled(const QByteArray &) override { said << QStringLiteral("friend"); }
    void teaseShown(const QByteArray &) override { said << QStringLiteral("tease"); }
    void answered(int) override { said << QStringLiteral("answered"); }
    void gameLeft() override { said << QStringLiteral("left"); }
    void gameEnded(GameEnding how, int level) override
    {
        static const char *const names[] = {"wrong", "stop", "won", "noquestion"};
        said << QStringLiteral("ended %1 %2").arg(QLatin1String(names[static_cast<int>(how)])).arg(level);
    }
    bool leftUnfinished(const QByteArray &, const QByteArray &) override { return unfinished; }
};

/// One game: the student's steps in order. R a right answer, W a wrong one, 5 fifty-fifty, A the
/// audience, F a friend, S a stop, L leaving. A tease answers nothing: the same step comes again.
struct GameCase {
    const char *name;
    const char *steps;
    int levelsPassed;       ///< the record's levels, -1 for no record
    const char *grade;
    const char *lastEvents; ///< the recorder's last words, joined by ", "
    int teases = 0;         ///< the host teases at the twelfth click of a fresh store, at level 12
};

void PrintTo(const GameCase &c, std::ostream *os)
{
    *os << c.name;
}

const GameCase kGames[] = {
    {"WrongAtOnce", "W", 0, "Неудовлетворительно", "started ИГРОК, shown 1, answered, ended wrong 1"},
    {"StopBeforeAnyPointsDoesNothing", "SRRS", 2, "Неудовлетворительно", "shown 3, ended stop 3"},
    {"StopAtTheFirstMilestone", "RRRRRS", 5, "Удовлетворительно", "answered, shown 6, ended stop 6"},
    {"WrongAfterTheSecondMilestoneKeepsGood", "RRRRRRRRRRRW", 11, "Хорошо", "shown 12, tease, answered, ended wrong 12", 1},
    {"TheTwelfthClickTeases", "RRRRRRRRRRRRRRRR", 15, "Отлично", "shown 15, answered, ended won 16", 1},
    {"EveryLifelineOnce", "5AFRW", 1, "Неудовлетворительно",
     "shown 1, fifty, audience 50, friend, answered, shown 2, answered, ended wrong 2"},
    {"LeavingRecordsNothing", "RRL", -1, "", "shown 3, left"},
};

class SessionGames : public ::testing::TestWithParam<GameCase>
{
protected:
    void SetUp() override
    {
        savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("cfg")).toUtf8());
        folder = program.path() + QLatin1Char('/');
        testutil::writeBytes(folder + QStringLiteral("tallory.ini"), testutil::w(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n"));
        QByteArray bank;
        for (int level = 1; level <= kLevels; ++level) {
            bank += "[" + QByteArray::number(level) + "]\r\n";
            const QString line = QStringLiteral("Вопрос %1|Верно %1|Нет %1 a|Нет %1 b|Нет %1 c|").arg(level);
            bank += ScrambleText(*cp1251::encode(line)) + "\r\n";
        }
        testutil::writeBytes(folder + QStringLiteral("lesson.faq"), bank);
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", savedConfig); }

    /// Admits a player and shows the first question.
    void start(GameSession &s, const QString &player)
    {
        ASSERT_TRUE(s.admit(QStringLiteral("тест"), [&] { return player; }, {}).allowed());
        ASSERT_TRUE(s.begin({}).ok());
        ASSERT_TRUE(s.nextQuestion().error.isEmpty());
    }

    /// Plays the steps as a face would: a judged right answer moves up, the end is finished.
    void play(GameSession &s, const char *steps)
    {
        for (const char *c = steps; *c && s.questionOpen(); ++c) {
            const int right = s.state().CorrectButton;
            switch (*c) {
            case '5': s.fiftyFifty(); break;
            case 'A': s.askAudience(); break;
            case 'F': ASSERT_TRUE(s.phoneFriend().ok()); break;
            case 'L': s.leave(); break;
            case 'S':
                if (s.mayStop()) {
                    ASSERT_TRUE(s.finishGame(GameEnding::Stop).ok());
                }
                break;
            default: {
                const Verdict v = s.click(*c == 'R' ? right : right % 4 + 1);
                if (v.teased) {
                    --c;
                } else if (!v.right) {
                    ASSERT_TRUE(s.finishGame(GameEnding::Wrong).ok());
                } else {
                    s.secure();
                    if (s.moveUp()) {
                        ASSERT_TRUE(s.finishGame(GameEnding::Won).ok());
                    } else {
                        ASSERT_TRUE(s.nextQuestion().error.isEmpty());
                    }
                }
            }
            }
        }
    }

    QString record(const QString &name) const
    {
        const QByteArray key = checks(*cp1251::encode(name));
        return cp1251::decode(ScrambleText(IniReadString(ResultsFilePath(folder), "\xD2\xC5\xD1\xD2", key, {})));
    }

    QTemporaryDir home;
    QTemporaryDir program;
    QString folder;
    QByteArray savedConfig;
    SeededRandom random{7};
    WordRecorder recorder;
};

} // namespace

TEST_P(SessionGames, PlaysAndRecordsAsTheRulesSay)
{
    const GameCase &c = GetParam();
    GameSession s(folder, random, recorder);
    start(s, QStringLiteral("Игрок"));
    play(s, c.steps);
    const QString expected = c.levelsPassed < 0 ? QString()
                                                : QStringLiteral("ИГРОК|%1|%2").arg(c.levelsPassed).arg(QString::fromUtf8(c.grade));
    EXPECT_EQ(record(QStringLiteral("ИГРОК")), expected);
    const QStringList last = QString::fromUtf8(c.lastEvents).split(QStringLiteral(", "));
    EXPECT_EQ(recorder.said.mid(recorder.said.size() - last.size()), last) << recorder.said.join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(recorder.said.count(QStringLiteral("tease")), c.teases);
}

INSTANTIATE_TEST_SUITE_P(Table, SessionGames, ::testing::ValuesIn(kGames),
                         [](const auto &info) { return std::string(info.param.name); });

// A record that cannot be written: the school's server is sent no result and the journal keeps
// the game unfinished; the error names the file.
TEST_F(SessionGames, AResultThatCannotBeWrittenIsNotReported)
{
    GameSession s(folder, random, recorder);
    start(s, QStringLiteral("Игрок"));
    ASSERT_TRUE(QDir().mkpath(ResultsFilePath(folder))); // a folder where the file should be
    s.click(s.state().CorrectButton % 4 + 1);
    const Status written = s.finishGame(GameEnding::Wrong);
    EXPECT_TRUE(written.error.startsWith(QStringLiteral("Результат игры не записан"))) << written.error.toStdString();
    EXPECT_EQ(recorder.said.last(), QStringLiteral("left"));
    EXPECT_FALSE(recorder.said.join(QLatin1Char(',')).contains(QStringLiteral("ended")));
}

// One verdict for every refusal: the results file, strict attempts, the school's server.
TEST_F(SessionGames, AdmissionRefusesWithOneText)
{
    GameSession s(folder, random, recorder);
    const auto name = [] { return QStringLiteral("Игрок"); };
    const QString twice = QStringLiteral("Нельзя дважды отвечать на вопросы теста!");
    const SchoolGuard refuses = [](const QString &, const QString &, bool) { return SchoolWord{false, {}}; };
    const SchoolGuard silent = [](const QString &, const QString &, bool) { return SchoolWord{{}, QStringLiteral("нет связи")}; };
    EXPECT_EQ(s.admit(QStringLiteral("ТЕСТ"), name, refuses).refusal, twice);
    EXPECT_EQ(s.admit(QStringLiteral("ТЕСТ"), name, silent).unchecked, QStringLiteral("нет связи"));
    recorder.unfinished = true;
    EXPECT_TRUE(s.admit(QStringLiteral("ТЕСТ"), name, {}).allowed()); // left games count only when strict
    testutil::writeBytes(folder + QStringLiteral("tallory.ini"),
                         testutil::w(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[Настройки]\r\nпопытка=Строго\r\n"));
    EXPECT_EQ(s.admit(QStringLiteral("ТЕСТ"), name, {}).refusal, twice);
    recorder.unfinished = false;
    start(s, QStringLiteral("Игрок"));
    s.click(s.state().CorrectButton % 4 + 1);
    ASSERT_TRUE(s.finishGame(GameEnding::Wrong).ok());
    EXPECT_EQ(s.admit(QStringLiteral("ТЕСТ"), name, {}).refusal, twice);
}
