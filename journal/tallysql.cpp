// The two statements that add up a lesson, SQLite's for a journal and PostgreSQL's for the
// school's server, side by side: they count by the same rules and return the same columns, so
// that one reader and one fold serve both. A rule changed in one is changed in the other here;
// the server tests run both on the same rows and compare (serveranswers_test.cpp).

#include "answertally.h"

#include "tablerow.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Every count is summed by SQLite while it walks the lesson's games (the index by lesson, then
// each game's answers by their key); a row comes back per question, not per answer. The texts
// stay in the file: a mark of the latest row of each question and of each wrong answer chosen
// is enough to fetch them once.
const char *const kSqliteTally = R"(SELECT a.level AS level, a.question_sha256 AS sha256, COUNT(*) AS asked,
    COUNT(a.chosen) AS answered,
    TOTAL(a.chosen = 1) AS chosen1, TOTAL(a.chosen = 2) AS chosen2, TOTAL(a.chosen = 3) AS chosen3,
    TOTAL(a.chosen = 4) AS chosen4,
    TOTAL(a.right_button = 'A') AS right_on1, TOTAL(a.right_button = 'B') AS right_on2,
    TOTAL(a.right_button = 'C') AS right_on3, TOTAL(a.right_button = 'D') AS right_on4,
    TOTAL(a.fifty_blanked IS NOT NULL) AS fifty, TOTAL(a.votes_a IS NOT NULL) AS audience,
    TOTAL(a.friend_reply IS NOT NULL) AS friend,
    group_concat(CASE WHEN a.chosen = 1 THEN a.ms END) AS right_ms,
    group_concat(CASE WHEN a.chosen > 1 THEN a.ms END) AS other_ms,
    MAX(a.shown || '|' || a.game) AS latest0,
    MAX(CASE WHEN a.chosen = 2 THEN a.shown || '|' || a.game END) AS latest2,
    MAX(CASE WHEN a.chosen = 3 THEN a.shown || '|' || a.game END) AS latest3,
    MAX(CASE WHEN a.chosen = 4 THEN a.shown || '|' || a.game END) AS latest4
FROM games g JOIN answers a ON a.game = g.id
WHERE g.lesson = ?
GROUP BY a.level, a.question_sha256)";

// The same on the server, which also reads the latest rows' texts along (a round trip per
// question would cost more than the join). The rows come sorted latest first within each
// question, so the first game gathered is the latest row's: one sort of the lesson's rows
// instead of one per question and aggregate. The hashes are sorted bytewise (COLLATE "C"):
// they are hex, and the server's language rules would only slow the sort.
const char *const kPostgresTally = R"(WITH t AS (SELECT a.level, a.question_sha256 AS sha256, count(*) AS asked,
    count(a.chosen) AS answered,
    count(*) FILTER (WHERE a.chosen = 1) AS chosen1, count(*) FILTER (WHERE a.chosen = 2) AS chosen2,
    count(*) FILTER (WHERE a.chosen = 3) AS chosen3, count(*) FILTER (WHERE a.chosen = 4) AS chosen4,
    count(*) FILTER (WHERE a.right_button = 'A') AS right_on1, count(*) FILTER (WHERE a.right_button = 'B') AS right_on2,
    count(*) FILTER (WHERE a.right_button = 'C') AS right_on3, count(*) FILTER (WHERE a.right_button = 'D') AS right_on4,
    count(*) FILTER (WHERE a.fifty) AS fifty, count(*) FILTER (WHERE a.audience) AS audience,
    count(*) FILTER (WHERE a.friend) AS friend,
    string_agg(a.ms::text, ',') FILTER (WHERE a.chosen = 1) AS right_ms,
    string_agg(a.ms::text, ',') FILTER (WHERE a.chosen > 1) AS other_ms,
    (array_agg(a.game))[1] AS last0,
    (array_agg(a.game) FILTER (WHERE a.chosen = 2))[1] AS last2,
    (array_agg(a.game) FILTER (WHERE a.chosen = 3))[1] AS last3,
    (array_agg(a.game) FILTER (WHERE a.chosen = 4))[1] AS last4
  FROM (SELECT a.level, a.question_sha256 COLLATE "C" AS question_sha256, a.chosen, a.right_button, a.ms, a.game,
               a.fifty_blanked IS NOT NULL AS fifty, a.votes_a IS NOT NULL AS audience,
               a.friend_reply IS NOT NULL AS friend
        FROM tallory.games g JOIN tallory.answers a ON a.game = g.id WHERE g.lesson = ?
        ORDER BY 1, 2, a.shown DESC, a.game DESC) a
  GROUP BY a.level, a.question_sha256)
SELECT t.*, %1 AS latest0, %2 AS latest2, %3 AS latest3, %4 AS latest4,
    l.bank_index, l.question, %5 AS text1, %6 AS text2, %7 AS text3, %8 AS text4
FROM t JOIN tallory.answers l ON l.game = t.last0 AND l.level = t.level
LEFT JOIN tallory.answers w2 ON w2.game = t.last2 AND w2.level = t.level
LEFT JOIN tallory.answers w3 ON w3.game = t.last3 AND w3.level = t.level
LEFT JOIN tallory.answers w4 ON w4.game = t.last4 AND w4.level = t.level)";

// An unfinished game whose every row is a right answer was left with the next question on
// screen: that level was reached though no row says so.
const char *const kSqliteLeftOnScreen = R"(SELECT COUNT(a.game)
FROM games g LEFT JOIN answers a ON a.game = g.id
WHERE g.lesson = ? AND g.ended IS NULL
GROUP BY g.id
HAVING COUNT(a.game) = TOTAL(a.chosen = 1))";

// The server keeps a game's end in a table of its own: the unfinished games are found first,
// so that only their answers are read (by the key).
const char *const kPostgresLeftOnScreen = R"(SELECT count(a.game)
FROM (SELECT g.id FROM tallory.games g
      WHERE g.lesson = ? AND NOT EXISTS (SELECT FROM tallory.game_ends e WHERE e.game = g.id)) u
LEFT JOIN tallory.answers a ON a.game = u.id
GROUP BY u.id
HAVING count(a.game) = count(*) FILTER (WHERE a.chosen = 1))";

// The mark of a joined row, as the journal's statement makes it.
QString mark(const char *row)
{
    const QString r = QLatin1String(row);
    return QStringLiteral("%1 || '|' || %2.game::text").arg(ServerIsoTime(r + QStringLiteral(".shown")), r);
}

// The text on the button a row's column names ('A'..'D').
QString onButton(const char *row, const char *button)
{
    return QStringLiteral("CASE %1.%2 WHEN 'A' THEN %1.answer_a WHEN 'B' THEN %1.answer_b "
                          "WHEN 'C' THEN %1.answer_c WHEN 'D' THEN %1.answer_d END")
        .arg(QLatin1String(row), QLatin1String(button));
}

// "1200,850,3100" as group_concat and string_agg give it.
std::vector<qint64> times(const QVariant &v)
{
    std::vector<qint64> out;
    if (v.isNull())
        return out;
    qint64 n = 0;
    bool any = false;
    for (const QChar c : v.toString()) {
        if (c.isDigit()) {
            n = n * 10 + c.digitValue();
            any = true;
        } else if (c == QLatin1Char(',')) {
            if (any)
                out.push_back(n);
            n = 0;
            any = false;
        }
    }
    if (any)
        out.push_back(n);
    return out;
}

} // namespace

QString LessonTallySql(TallyDialect dialect)
{
    if (dialect == TallyDialect::Sqlite)
        return QString::fromLatin1(kSqliteTally);
    return QString::fromLatin1(kPostgresTally)
        .arg(mark("l"), mark("w2"), mark("w3"), mark("w4"), onButton("l", "right_button"),
             onButton("w2", "clicked_button"), onButton("w3", "clicked_button"), onButton("w4", "clicked_button"));
}

QString LeftOnScreenSql(TallyDialect dialect)
{
    return QString::fromLatin1(dialect == TallyDialect::Sqlite ? kSqliteLeftOnScreen : kPostgresLeftOnScreen);
}

QList<QuestionTally> ReadTallyRows(QSqlQuery &q)
{
    const QSqlRecord record = q.record();
    const auto at = [&](const QString &name) { return record.indexOf(name); };
    // Each column looked up once, not once per row.
    std::array<int, 5> chosen{}, rightOn{}, latest{}, text{};
    for (int k = 0; k <= 4; ++k) {
        const QString n = QString::number(k);
        chosen[static_cast<size_t>(k)] = at(QStringLiteral("chosen") + n);
        rightOn[static_cast<size_t>(k)] = at(QStringLiteral("right_on") + n);
        latest[static_cast<size_t>(k)] = at(QStringLiteral("latest") + n);
        text[static_cast<size_t>(k)] = at(QStringLiteral("text") + n);
    }
    const int level = at(QStringLiteral("level")), sha = at(QStringLiteral("sha256")), asked = at(QStringLiteral("asked")),
              answered = at(QStringLiteral("answered")), fifty = at(QStringLiteral("fifty")),
              audience = at(QStringLiteral("audience")), friendCalls = at(QStringLiteral("friend")),
              rightMs = at(QStringLiteral("right_ms")), otherMs = at(QStringLiteral("other_ms")),
              bankIndex = at(QStringLiteral("bank_index")), question = at(QStringLiteral("question"));
    QList<QuestionTally> rows;
    while (q.next()) {
        QuestionTally t;
        t.level = q.value(level).toInt();
        t.sha256 = q.value(sha).toString();
        t.asked = q.value(asked).toInt();
        t.answered = q.value(answered).toInt();
        for (int k = 1; k <= 4; ++k) {
            t.chosen[static_cast<size_t>(k)] = q.value(chosen[static_cast<size_t>(k)]).toInt();
            t.rightOnButton[static_cast<size_t>(k)] = q.value(rightOn[static_cast<size_t>(k)]).toInt();
        }
        t.fiftyFifty = q.value(fifty).toInt();
        t.audience = q.value(audience).toInt();
        t.friendCalls = q.value(friendCalls).toInt();
        t.rightMs = times(q.value(rightMs));
        t.otherMs = times(q.value(otherMs));
        for (int k : {0, 2, 3, 4})
            t.latest[static_cast<size_t>(k)] = q.value(latest[static_cast<size_t>(k)]).toString();
        if (question >= 0) {
            QuestionTexts texts{q.value(bankIndex).toInt(), q.value(question).toString(), {}};
            for (int k = 1; k <= 4; ++k)
                texts.answers[static_cast<size_t>(k)] = q.value(text[static_cast<size_t>(k)]).toString();
            t.texts = texts;
        }
        rows << std::move(t);
    }
    return rows;
}

void ReadLeftOnScreen(QSqlQuery &q, std::array<int, 16> &leftOnScreen)
{
    while (q.next()) {
        const int passed = q.value(0).toInt();
        if (passed >= 0 && passed < 15)
            ++leftOnScreen[static_cast<size_t>(passed + 1)];
    }
}
