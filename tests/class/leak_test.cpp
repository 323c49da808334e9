// The right answer never reaches the browser before the verdict. Hundreds of questions are played
// against the real tallory-class over HTTP, every byte it sends kept (status lines, headers,
// bodies) from one verdict to the next, and then nothing of it may follow the right answer's
// position beyond chance: not the position itself, not a field, not a header, not a size. What
// the lifelines are there to give away is checked against their rules instead.
//
// The right answer of each question is known from the demo bank's plain text, by the question's
// text; the bounds are fixed, so a fair server passes them with overwhelming probability whatever
// its random draws, while a server that favours a position (the right answer first, say) fails.

#include "classprogram.h"
#include "leakstats.h"

#include "journalfiles.h"

#include <QDir>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>

namespace {

constexpr int kQuestions = 500;
const QString kLesson = QStringLiteral("ДЕМО");

using leakcheck::Response;
using leakcheck::Sample;

// --- the games ----------------------------------------------------------------------------------

class ClassLeak : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        tmp = new QTemporaryDir;
        folder = tmp->filePath(QStringLiteral("room"));
        problem = classtest::copyProgramFolder(QStringLiteral(TALLORY_BIN_DIR), folder);
        right = classtest::rightAnswers(QStringLiteral(TALLORY_SOURCE_DIR "/demo/demo-bank.txt"));
        if (problem.isEmpty() && right.size() < 100)
            problem = QStringLiteral("the demo bank's text was not read");
        program = new classtest::ClassProgram;
        if (problem.isEmpty())
            problem = program->start(QStringLiteral(TALLORY_CLASS_PROGRAM), folder);
        QRandomGenerator random(20261210);
        for (int game = 0; problem.isEmpty() && judged() < kQuestions; ++game)
            problem = play(game, random);
        if (const QString stopped = program->stop(); problem.isEmpty() && !stopped.isEmpty())
            problem = QStringLiteral("tallory-class: ") + stopped;
    }
    static void TearDownTestSuite()
    {
        delete program;
        delete tmp;
        samples.clear();
    }
    void SetUp() override { ASSERT_TRUE(problem.isEmpty()) << problem.toStdString(); }

    static int judged() { return static_cast<int>(samples.size()); }

    /// The place of the right answer among the four the view shows, -1 when unknown.
    static int rightPlace(const QJsonObject &view)
    {
        const QJsonObject q = view.value(QStringLiteral("question")).toObject();
        const auto found = right.constFind(q.value(QStringLiteral("text")).toString());
        if (found == right.constEnd())
            return -1;
        const QJsonArray answers = q.value(QStringLiteral("answers")).toArray();
        for (qsizetype i = 0; i < answers.size(); ++i)
            if (answers[i].toString() == *found)
                return static_cast<int>(i);
        return -1;
    }

    /// One game from an address of its own, to its end; the problem, empty when it went well.
    static QString play(int game, QRandomGenerator &random)
    {
        const QString from = QStringLiteral("127.0.%1.%2").arg(1 + game / 200).arg(2 + game % 200);
        const QString student = classtest::studentName(QStringLiteral("ЛИСТОВ"), game);
        const QUrl base = program->address();
        QString token;
        QJsonObject view;
        Sample sample;
        QByteArray refused; // the body of the last answer that was not a 200
        // Sends a request, keeps the answer in the sample, takes its view.
        const auto send = [&](const QString &kind, const QString &path, QJsonObject body) -> std::optional<QJsonObject> {
            if (!token.isEmpty())
                body.insert(QStringLiteral("token"), token);
            const classtest::Reply r = classtest::rawPost(from, base, path, body);
            if (r.status != 200) {
                refused = QByteArray::number(r.status) + ' ' + r.body.left(300) + r.failure.toUtf8();
                return std::nullopt;
            }
            sample.before.append({kind, r});
            view = r.json.value(QStringLiteral("game")).toObject();
            return r.json.value(QStringLiteral("event")).toObject();
        };
        const auto act = [&](const QString &what, QJsonObject more = {}) {
            more.insert(QStringLiteral("step"), view.value(QStringLiteral("step")));
            more.insert(QStringLiteral("do"), what);
            return send(QStringLiteral("act ") + what, QStringLiteral("/api/act"), more);
        };
        const auto failed = [&](const QString &what) {
            return QStringLiteral("game %1, %2: %3").arg(game).arg(what, QString::fromUtf8(refused));
        };

        if (!send(QStringLiteral("join"), QStringLiteral("/api/join"),
                  {{QStringLiteral("lesson"), kLesson}, {QStringLiteral("name"), student}}))
            return failed(QStringLiteral("the join was refused"));
        // Not a view: the join's answer holds the token beside it.
        token = sample.before.last().reply.json.value(QStringLiteral("token")).toString();
        while (view.value(QStringLiteral("state")).toString() == QLatin1String("question")) {
            sample.student = student;
            sample.level = view.value(QStringLiteral("level")).toInt();
            sample.right = rightPlace(view);
            if (sample.right < 0)
                return failed(QStringLiteral("a question not in the demo bank"));
            // What the student does first is drawn apart from the right answer's place.
            if (random.bounded(10) == 0 && !send(QStringLiteral("game"), QStringLiteral("/api/game"), {}))
                return failed(QStringLiteral("a reload was refused"));
            if (random.bounded(10) == 0 && (!act(QStringLiteral("hidden")) || !act(QStringLiteral("visible"))))
                return failed(QStringLiteral("leaving the page was refused"));
            QStringList unused;
            const QJsonObject lifelines = view.value(QStringLiteral("lifelines")).toObject();
            for (const QString &l : {QStringLiteral("fifty"), QStringLiteral("audience"), QStringLiteral("friend")})
                if (!lifelines.value(l).toBool())
                    unused << l;
            if (!unused.isEmpty() && random.bounded(3) == 0) {
                const QString lifeline = unused[random.bounded(static_cast<int>(unused.size()))];
                const auto event = act(lifeline);
                if (!event)
                    return failed(lifeline + QStringLiteral(" was refused"));
                const QJsonArray blank = event->value(QStringLiteral("blank")).toArray();
                const QJsonArray votes = event->value(QStringLiteral("votes")).toArray();
                if (lifeline == QLatin1String("fifty"))
                    sample.blank = std::array<int, 2>{blank[0].toInt(), blank[1].toInt()};
                if (lifeline == QLatin1String("audience"))
                    sample.votes = std::array<int, 4>{votes[0].toInt(), votes[1].toInt(), votes[2].toInt(), votes[3].toInt()};
                if (lifeline == QLatin1String("friend")) {
                    const auto dialled = act(QStringLiteral("dial"), {{QStringLiteral("digits"), event->value(QStringLiteral("number"))}});
                    if (!dialled)
                        return failed(QStringLiteral("the friend's number was refused"));
                    sample.dialMatched = dialled->value(QStringLiteral("matched")).toBool();
                    sample.friendReply = dialled->value(QStringLiteral("reply")).toString();
                    if (view.value(QStringLiteral("state")).toString() == QLatin1String("call") && !act(QStringLiteral("hangup")))
                        return failed(QStringLiteral("the hang-up was refused"));
                }
            }
            // Mostly right, for games long enough to reach the teasing levels.
            QList<int> wrong;
            for (int b = 1; b <= 4; ++b)
                if (b != sample.right + 1 && (!sample.blank || (b != (*sample.blank)[0] && b != (*sample.blank)[1])))
                    wrong << b;
            const int button = random.bounded(5) != 0 ? sample.right + 1 : wrong[random.bounded(static_cast<int>(wrong.size()))];
            std::optional<QJsonObject> verdict;
            for (int teases = 0; teases < 5; ++teases) {
                const classtest::Reply r = classtest::rawPost(from, base, QStringLiteral("/api/act"),
                                                              {{QStringLiteral("token"), token},
                                                               {QStringLiteral("step"), view.value(QStringLiteral("step"))},
                                                               {QStringLiteral("do"), QStringLiteral("answer")},
                                                               {QStringLiteral("button"), button}});
                if (r.status != 200)
                    return failed(QStringLiteral("an answer was refused: ") + QString::fromUtf8(r.body.left(300)));
                view = r.json.value(QStringLiteral("game")).toObject();
                const QJsonObject event = r.json.value(QStringLiteral("event")).toObject();
                if (event.value(QStringLiteral("teased")).toBool()) {
                    // The tease comes before the verdict: it is one more answer to look at.
                    sample.before.append({QStringLiteral("act answer teased"), r});
                    continue;
                }
                sample.judgedCorrect = event.value(QStringLiteral("correct")).toInt();
                samples.push_back(sample);
                // The verdict's answer shows the next question: it is the first of that one's.
                sample = Sample{};
                sample.before.append({QStringLiteral("act answer judged"), r});
                verdict = event;
                break;
            }
            if (!verdict)
                return failed(QStringLiteral("five teases in a row"));
        }
        return view.value(QStringLiteral("state")).toString() == QLatin1String("finished")
                   ? QString()
                   : failed(QStringLiteral("the game stands in state ") + view.value(QStringLiteral("state")).toString());
    }

    static inline QTemporaryDir *tmp = nullptr;
    static inline QString folder;
    static inline QString problem;
    static inline QHash<QString, QString> right;
    static inline classtest::ClassProgram *program = nullptr;
    static inline std::vector<Sample> samples;
};

TEST_F(ClassLeak, TheRightAnswerStandsInEveryPlaceAlike)
{
    std::array<int, 4> places{};
    for (const Sample &s : samples) {
        ++places[size_t(s.right)];
        EXPECT_EQ(s.judgedCorrect, s.right + 1) << "the verdict names another right answer";
    }
    // The places against an even spread: three degrees of freedom.
    const double n = static_cast<double>(samples.size());
    double even = 0;
    for (int c : places)
        even += (c - n / 4) * (c - n / 4) / (n / 4);
    EXPECT_LT(even, leakcheck::chiSquareBound(3)) << "places " << places[0] << " " << places[1] << " " << places[2] << " "
                                       << places[3];
}

TEST_F(ClassLeak, NoFieldHeaderOrSizeFollowsTheRightAnswer)
{
    const int tested = leakcheck::ExpectNothingFollowsTheRightAnswer(samples);
    std::printf("%zu questions, %d tables of fields and sizes against the right answer's place\n", samples.size(), tested);
}

TEST_F(ClassLeak, FiftyFiftyLeavesTheRightAnswerOnEitherSideAlike)
{
    int first = 0;
    int uses = 0;
    for (const Sample &s : samples) {
        if (!s.blank)
            continue;
        ++uses;
        const auto [a, b] = *s.blank;
        EXPECT_TRUE(a != b && a >= 1 && a <= 4 && b >= 1 && b <= 4 && a != s.right + 1 && b != s.right + 1)
            << "blanked " << a << " and " << b << " with the right answer at " << s.right + 1;
        int kept = 0;
        for (int button = 1; button <= 4 && kept == 0; ++button)
            if (button != a && button != b)
                kept = button;
        first += kept == s.right + 1;
    }
    ASSERT_GE(uses, 40);
    // A fair coin strays by five standard deviations once in millions of runs.
    EXPECT_LT(std::abs(first - uses / 2.0), 5 * std::sqrt(uses) / 2) << first << " of " << uses << " on the left";
}

TEST_F(ClassLeak, TheAudienceAndTheFriendGiveWhatTheRulesGive)
{
    // The journal keeps what the server decided for each question: the lifelines' figures sent
    // are those, and the audience leans to the right answer as its poll is drawn to (each of the
    // fifty votes goes to it with chance 2/5, to each other answer with 1/5).
    QStringList journals = QDir(folder + QStringLiteral("/journal")).entryList({QStringLiteral("*.sqlite")});
    ASSERT_EQ(journals.size(), 1);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("leak"));
    db.setDatabaseName(folder + QStringLiteral("/journal/") + journals[0]);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    int polls = 0;
    int calls = 0;
    double rightVotes = 0;
    for (const Sample &s : samples) {
        if (!s.votes && s.friendReply.isEmpty())
            continue;
        ASSERT_TRUE(q.prepare(QStringLiteral("SELECT a.votes_a, a.votes_b, a.votes_c, a.votes_d, a.friend_reply, "
                                             "a.right_button FROM answers a JOIN games g ON g.id = a.game "
                                             "WHERE g.student = ? AND a.level = ?")));
        q.addBindValue(s.student);
        q.addBindValue(s.level);
        ASSERT_TRUE(q.exec() && q.next()) << s.student.toStdString() << " level " << s.level;
        EXPECT_EQ(q.value(5).toString(), QString(QLatin1Char('A' + s.right)));
        if (s.votes) {
            ++polls;
            // An answer fifty-fifty took away shows no bar, as on the desktop's chart.
            const std::array<int, 4> &v = *s.votes;
            int all = 0;
            for (int i = 0; i < 4; ++i) {
                const bool blanked = s.blank && ((*s.blank)[0] == i + 1 || (*s.blank)[1] == i + 1);
                EXPECT_EQ(v[size_t(i)], blanked ? 0 : q.value(i).toInt()) << "the votes sent are not the poll recorded";
                all += q.value(i).toInt();
            }
            EXPECT_EQ(all, 50);
            rightVotes += v[size_t(s.right)];
        }
        if (!s.friendReply.isEmpty()) {
            ++calls;
            EXPECT_TRUE(s.dialMatched);
            EXPECT_EQ(s.friendReply, q.value(4).toString()) << "the reply sent is not the one recorded";
        }
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("leak"));
    ASSERT_GE(polls, 20);
    ASSERT_GE(calls, 20);
    // 20 votes of 50 on average, 3.5 either way in one poll: the mean of n polls within five of
    // its deviations.
    const double mean = rightVotes / polls;
    EXPECT_LT(std::abs(mean - 20.0), 5 * 3.47 / std::sqrt(polls)) << "mean votes for the right answer " << mean;
}

} // namespace
