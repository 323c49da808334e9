#include "answerrow.h"

#include "journalschema.h"

namespace {

// The columns in the order of both schemas' CREATE TABLE. Everything a student saw is NOT
// NULL; what only some questions have (a click, a lifeline, a tease) may be NULL.
const RowColumn kAnswers[] = {
    {"game", "TEXT NOT NULL", "uuid NOT NULL"},
    {"level", "INTEGER NOT NULL", "smallint NOT NULL"},
    {"bank_index", "INTEGER NOT NULL", "integer NOT NULL"},
    {"question_sha256", "TEXT NOT NULL", "text NOT NULL"},
    {"shown", "TEXT NOT NULL", "timestamp with time zone NOT NULL"},
    {"question", "TEXT NOT NULL", "text NOT NULL"},
    {"answer_a", "TEXT NOT NULL", "text NOT NULL"},
    {"answer_b", "TEXT NOT NULL", "text NOT NULL"},
    {"answer_c", "TEXT NOT NULL", "text NOT NULL"},
    {"answer_d", "TEXT NOT NULL", "text NOT NULL"},
    {"right_button", "TEXT NOT NULL", "text NOT NULL"},
    {"clicked_button", "TEXT", "text"},
    {"chosen", "INTEGER", "smallint"},
    {"ms", "INTEGER", "integer"},
    {"fifty_blanked", "TEXT", "text"},
    {"votes_a", "INTEGER", "smallint"},
    {"votes_b", "INTEGER", "smallint"},
    {"votes_c", "INTEGER", "smallint"},
    {"votes_d", "INTEGER", "smallint"},
    {"friend_reply", "TEXT", "text"},
    {"tease", "TEXT", "text"},
};

// "answer_a".."answer_d", "votes_a".."votes_d": the column of button 1..4.
QString ofButton(const char *stem, int button)
{
    return QLatin1String(stem) + QChar(QLatin1Char(static_cast<char>('a' + button - 1)));
}

QVariant orNull(const QString &text)
{
    return text.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

QVariant nullInt()
{
    return QVariant(QMetaType(QMetaType::Int));
}

QDateTime time(const QVariant &v)
{
    return v.isNull() ? QDateTime() : QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
}

QString timeText(const QDateTime &t)
{
    return JournalTime(t.toMSecsSinceEpoch());
}

std::optional<GameEnding> ending(const QVariant &v)
{
    for (GameEnding how : {GameEnding::Wrong, GameEnding::Stop, GameEnding::Won, GameEnding::NoQuestion}) {
        if (v.toString() == EndingName(how))
            return how;
    }
    return std::nullopt;
}

} // namespace

const RowTable &AnswersTable()
{
    static const RowTable table{"answers", "tallory.answers", kAnswers};
    return table;
}

QString AnswerLetter(int button)
{
    return QString(QLatin1Char(static_cast<char>('A' + button - 1)));
}

int AnswerButton(const QVariant &letter)
{
    const QString s = letter.toString();
    return s.size() == 1 && s[0] >= QLatin1Char('A') && s[0] <= QLatin1Char('D') ? s[0].unicode() - 'A' + 1 : 0;
}

TableRow AnswerRow(const JournalAnswer &a)
{
    TableRow row{{"game", a.game}, {"level", a.level}, {"bank_index", a.bankIndex},
                 {"question_sha256", a.questionSha256}, {"shown", timeText(a.shown)}, {"question", a.question}};
    for (int b = 1; b <= 4; ++b)
        row.set(ofButton("answer_", b), a.answers[static_cast<size_t>(b)]);
    row.set("right_button", AnswerLetter(a.rightButton));
    const bool clicked = a.clickedButton >= 1 && a.clickedButton <= 4;
    row.set("clicked_button", clicked ? QVariant(AnswerLetter(a.clickedButton)) : orNull(QString()));
    row.set("chosen", clicked ? QVariant(a.chosen) : nullInt());
    row.set("ms", clicked ? QVariant(a.ms) : nullInt());
    const auto &[first, second] = a.fiftyBlanked;
    row.set("fifty_blanked", first || second ? QVariant(AnswerLetter(first) + AnswerLetter(second)) : orNull(QString()));
    for (int b = 1; b <= 4; ++b)
        row.set(ofButton("votes_", b), a.votes ? QVariant((*a.votes)[static_cast<size_t>(b)]) : nullInt());
    row.set("friend_reply", orNull(a.friendReply));
    row.set("tease", orNull(a.tease));
    return row;
}

JournalAnswer ReadAnswerRow(const QSqlQuery &q, const RowPlaces &places)
{
    const auto v = [&](const QString &name) { return places.value(q, name); };
    JournalAnswer a;
    a.game = v(QStringLiteral("game")).toString();
    a.level = v(QStringLiteral("level")).toInt();
    a.bankIndex = v(QStringLiteral("bank_index")).toInt();
    a.questionSha256 = v(QStringLiteral("question_sha256")).toString();
    a.shown = time(v(QStringLiteral("shown")));
    a.question = v(QStringLiteral("question")).toString();
    for (int b = 1; b <= 4; ++b)
        a.answers[static_cast<size_t>(b)] = v(ofButton("answer_", b)).toString();
    a.rightButton = AnswerButton(v(QStringLiteral("right_button")));
    a.clickedButton = AnswerButton(v(QStringLiteral("clicked_button")));
    const QVariant chosen = v(QStringLiteral("chosen"));
    a.chosen = chosen.isNull() ? 0 : chosen.toInt();
    const QVariant ms = v(QStringLiteral("ms"));
    a.ms = ms.isNull() ? -1 : ms.toLongLong();
    const QString blanked = v(QStringLiteral("fifty_blanked")).toString();
    if (blanked.size() == 2)
        a.fiftyBlanked = {AnswerButton(blanked.left(1)), AnswerButton(blanked.mid(1))};
    if (!v(ofButton("votes_", 1)).isNull()) {
        std::array<int, 5> votes{};
        for (int b = 1; b <= 4; ++b)
            votes[static_cast<size_t>(b)] = v(ofButton("votes_", b)).toInt();
        a.votes = votes;
    }
    a.friendReply = v(QStringLiteral("friend_reply")).toString();
    a.tease = v(QStringLiteral("tease")).toString();
    return a;
}

QString EndingName(GameEnding how)
{
    switch (how) {
    case GameEnding::Wrong: return QStringLiteral("wrong");
    case GameEnding::Stop: return QStringLiteral("stop");
    case GameEnding::Won: return QStringLiteral("won");
    case GameEnding::NoQuestion: return QStringLiteral("noquestion");
    }
    return QString();
}

TableRow GameStartRow(const JournalGame &g)
{
    return {{"id", g.id},
            {"lesson", g.lesson},
            {"student", g.student},
            {"machine", g.machine},
            {"bank_file", g.bankFile},
            {"bank_sha256", g.bankSha256},
            {"started", timeText(g.started)}};
}

TableRow GameEndRow(const JournalGame &g)
{
    return {{"game", g.id},
            {"ended", timeText(g.ended)},
            {"ending", g.ending ? EndingName(*g.ending) : QString()},
            {"levels_passed", g.levelsPassed >= 0 ? QVariant(g.levelsPassed) : nullInt()},
            {"grade", orNull(g.grade.isEmpty() ? QString() : g.grade)}};
}

JournalGame ReadGameRow(const QSqlQuery &q, const RowPlaces &places)
{
    const auto v = [&](const QString &name) { return places.value(q, name); };
    JournalGame g;
    g.id = v(QStringLiteral("id")).toString();
    g.lesson = v(QStringLiteral("lesson")).toString();
    g.student = v(QStringLiteral("student")).toString();
    g.machine = v(QStringLiteral("machine")).toString();
    g.bankFile = v(QStringLiteral("bank_file")).toString();
    g.bankSha256 = v(QStringLiteral("bank_sha256")).toString();
    g.started = time(v(QStringLiteral("started")));
    g.ended = time(v(QStringLiteral("ended")));
    g.ending = ending(v(QStringLiteral("ending")));
    const QVariant levels = v(QStringLiteral("levels_passed"));
    g.levelsPassed = levels.isNull() ? -1 : levels.toInt();
    g.grade = v(QStringLiteral("grade")).toString();
    return g;
}

TableRow ResultRow(const GradedRecord &r)
{
    return {{"id", r.id},           {"lesson", r.lesson},   {"name", r.name},          {"levels", r.levels},
            {"grade", r.grade},     {"machine", r.machine}, {"recorded", r.recorded}};
}
