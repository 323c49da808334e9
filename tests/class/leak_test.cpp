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

/// One answer of the server before a verdict, under the request that brought it.
struct Response {
    QString kind;
    classtest::Reply reply;
};

/// A question as the student met it: everything sent before its verdict and what the
/// lifelines gave.
struct Sample {
    QString student;
    int level = 0;
    int right = -1; ///< 0..3, the right answer's place among the four shown
    int judgedCorrect = 0; ///< the verdict's "correct"
    QList<Response> before;
    std::optional<std::array<int, 2>> blank;
    std::optional<std::array<int, 4>> votes;
    QString friendReply;
    bool dialMatched = false;
};

// --- statistics with fixed bounds --------------------------------------------------------------

/// The value a chi-square with df degrees of freedom exceeds once in a million draws, from
/// Wilson and Hilferty's cube-root approximation (a little above the exact value for few
/// degrees of freedom, so on the safe side).
double chiSquareBound(int df)
{
    const double z = 4.753; // one in a million, one-sided
    const double k = 2.0 / (9.0 * df);
    return df * std::pow(1.0 - k + z * std::sqrt(k), 3);
}

/// Chi-square of a table of values against the four places, values seen fewer than 20 times
/// pooled (and the pool dropped when it is that small too). df is 0 when nothing varies.
double contingency(const std::map<QString, std::array<int, 4>> &table, int &df)
{
    std::vector<std::array<int, 4>> rows;
    std::array<int, 4> pool{};
    for (const auto &[value, row] : table) {
        if (row[0] + row[1] + row[2] + row[3] >= 20) {
            rows.push_back(row);
        } else {
            for (int i = 0; i < 4; ++i)
                pool[size_t(i)] += row[size_t(i)];
        }
    }
    if (pool[0] + pool[1] + pool[2] + pool[3] >= 20)
        rows.push_back(pool);
    std::array<double, 4> column{};
    double total = 0;
    for (const auto &row : rows)
        for (size_t i = 0; i < 4; ++i) {
            column[i] += row[i];
            total += row[i];
        }
    const int places = static_cast<int>(std::count_if(column.begin(), column.end(), [](double c) { return c > 0; }));
    df = (static_cast<int>(rows.size()) - 1) * (places - 1);
    if (df <= 0)
        return 0;
    double chi = 0;
    for (const auto &row : rows) {
        const double rowTotal = row[0] + row[1] + row[2] + row[3];
        for (size_t i = 0; i < 4; ++i) {
            if (column[i] == 0)
                continue;
            const double expected = rowTotal * column[i] / total;
            chi += (row[i] - expected) * (row[i] - expected) / expected;
        }
    }
    return chi;
}

/// Kruskal and Wallis's H of numbers grouped by place (ties ranked alike and corrected for):
/// chi-square with df = groups - 1 when the groups are alike. df is 0 when nothing varies.
double kruskalWallis(std::vector<std::pair<double, int>> values, int &df)
{
    df = 0;
    const double n = static_cast<double>(values.size());
    std::sort(values.begin(), values.end());
    std::array<double, 4> rankSum{};
    std::array<double, 4> count{};
    double ties = 0;
    for (size_t i = 0; i < values.size();) {
        size_t j = i;
        while (j < values.size() && values[j].first == values[i].first)
            ++j;
        const double rank = (static_cast<double>(i + j) + 1.0) / 2.0;
        const double t = static_cast<double>(j - i);
        ties += t * t * t - t;
        for (size_t k = i; k < j; ++k) {
            rankSum[size_t(values[k].second)] += rank;
            count[size_t(values[k].second)] += 1;
        }
        i = j;
    }
    const double correction = 1.0 - ties / (n * n * n - n);
    if (n < 20 || correction <= 0)
        return 0;
    double h = 0;
    for (size_t g = 0; g < 4; ++g) {
        if (count[g] > 0) {
            h += rankSum[g] * rankSum[g] / count[g];
            ++df;
        }
    }
    --df;
    h = (12.0 / (n * (n + 1.0)) * h - 3.0 * (n + 1.0)) / correction;
    return df > 0 ? h : 0;
}

// --- what a sample shows -----------------------------------------------------------------------

/// The parts of an answer that carry a question's content or a lifeline's own gift: the test of
/// fields leaves them out (the lifelines' are checked against their rules below).
bool leftOut(const QString &key)
{
    static const QStringList content{QStringLiteral("text"), QStringLiteral("answers")};
    static const QStringList lifelines{QStringLiteral("votes"), QStringLiteral("blank"), QStringLiteral("number"),
                                       QStringLiteral("reply")};
    return content.contains(key) || lifelines.contains(key);
}

void flatten(const QJsonValue &v, const QString &path, QHash<QString, QJsonValue> &out)
{
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        out.insert(path + QStringLiteral("{}"), QStringList(o.keys()).join(QLatin1Char(',')));
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!leftOut(it.key()))
                flatten(it.value(), path + QLatin1Char('.') + it.key(), out);
    } else if (v.isArray()) {
        const QJsonArray a = v.toArray();
        out.insert(path + QStringLiteral("[]"), static_cast<double>(a.size()));
        for (qsizetype i = 0; i < a.size(); ++i)
            flatten(a[i], path + QStringLiteral("[%1]").arg(i), out);
    } else {
        out.insert(path, v);
    }
}

/// The bytes of every text in an answer, in UTF-8 as sent (quotes and escapes aside).
qsizetype textBytes(const QJsonValue &v)
{
    qsizetype n = 0;
    if (v.isString())
        n = v.toString().toUtf8().size();
    if (v.isObject())
        for (const QJsonValue &child : v.toObject())
            n += textBytes(child);
    if (v.isArray())
        for (const QJsonValue &child : v.toArray())
            n += textBytes(child);
    return n;
}

/// Every field of a sample: per answer (named by its request and its turn among those), the
/// status, each header, each JSON field and the size; then the sample's whole size.
QHash<QString, QJsonValue> features(const Sample &s)
{
    QHash<QString, QJsonValue> out;
    QHash<QString, int> turns;
    qsizetype bytes = 0;
    for (const Response &r : s.before) {
        const QString name = QStringLiteral("%1#%2").arg(r.kind).arg(turns[r.kind]++);
        out.insert(name + QStringLiteral(" status"), r.reply.status);
        for (const auto &[header, value] : r.reply.headers) {
            bool number = false;
            const double n = value.toDouble(&number);
            out.insert(name + QStringLiteral(" header ") + QString::fromLatin1(header),
                       number ? QJsonValue(n) : QJsonValue(QString::fromLatin1(value)));
        }
        out.insert(name + QStringLiteral(" bytes"), static_cast<double>(r.reply.size()));
        out.insert(name + QStringLiteral(" body bytes"), static_cast<double>(r.reply.body.size()));
        out.insert(name + QStringLiteral(" head bytes"), static_cast<double>(r.reply.head.size()));
        // The words of the questions make the sizes vary widely; without them a byte or two
        // more in one place of the right answer would stand out.
        out.insert(name + QStringLiteral(" body bytes beside the texts"),
                   static_cast<double>(r.reply.body.size() - textBytes(r.reply.json)));
        flatten(r.reply.json, name + QStringLiteral(" json"), out);
        bytes += r.reply.size();
    }
    out.insert(QStringLiteral("all bytes before the verdict"), static_cast<double>(bytes));
    out.insert(QStringLiteral("answers before the verdict"), static_cast<double>(s.before.size()));
    return out;
}

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
    EXPECT_LT(even, chiSquareBound(3)) << "places " << places[0] << " " << places[1] << " " << places[2] << " "
                                       << places[3];
}

TEST_F(ClassLeak, NoFieldHeaderOrSizeFollowsTheRightAnswer)
{
    std::map<QString, std::map<QString, std::array<int, 4>>> tables;
    std::map<QString, std::vector<std::pair<double, int>>> numbers;
    for (const Sample &s : samples) {
        const auto f = features(s);
        for (auto it = f.begin(); it != f.end(); ++it) {
            const QJsonValue v = it.value();
            const QString text = v.isNull() ? QStringLiteral("null") : v.toVariant().toString();
            ++tables[it.key()][text][size_t(s.right)];
            if (v.isDouble())
                numbers[it.key()].push_back({v.toDouble(), s.right});
        }
    }
    int tested = 0;
    for (const auto &[name, table] : tables) {
        int df = 0;
        const double chi = contingency(table, df);
        if (df == 0)
            continue;
        ++tested;
        EXPECT_LT(chi, chiSquareBound(df)) << name.toStdString() << " follows the right answer's place (chi-square "
                                           << chi << ", " << df << " degrees of freedom)";
    }
    for (auto &[name, values] : numbers) {
        int df = 0;
        const double h = kruskalWallis(values, df);
        if (df == 0)
            continue;
        ++tested;
        EXPECT_LT(h, chiSquareBound(df)) << name.toStdString() << " grows or shrinks with the right answer's place (H "
                                         << h << ")";
    }
    // The sizes and the game's figures at the least vary from question to question.
    EXPECT_GE(tested, 5);
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
