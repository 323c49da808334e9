// A game of the room written out at a clean stop and read back at the next start: everything
// ClassGame keeps beside the rules, the session's snapshot and where the journal's rows stand.
// Texts of the bank's code page go as base64, so that nothing is changed on the way.

#include "classgame.h"

#include <QJsonArray>

namespace {

QString b64(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toBase64());
}

template <size_t N>
QJsonArray numbers(const std::array<int, N> &values)
{
    QJsonArray a;
    for (const int v : values)
        a.append(v);
    return a;
}

QJsonObject shownJson(const ShownQuestion &s)
{
    QJsonArray answers;
    for (const QByteArray &a : s.answers)
        answers.append(b64(a));
    return {{QStringLiteral("level"), s.level},     {QStringLiteral("bankIndex"), s.bankIndex},
            {QStringLiteral("line"), b64(s.line)},  {QStringLiteral("question"), b64(s.question)},
            {QStringLiteral("answers"), answers},   {QStringLiteral("order"), QString::fromLatin1(s.order)}};
}

QJsonObject stateJson(const GameState &g)
{
    QJsonArray texts;
    for (const QByteArray &t : g.AnswerTexts)
        texts.append(b64(t));
    return {{QStringLiteral("level"), g.CurrentLevel},      {QStringLiteral("secured"), g.SecuredPoints},
            {QStringLiteral("correct"), g.CorrectButton},   {QStringLiteral("answerTexts"), texts},
            {QStringLiteral("remark"), g.RemarkIndex},      {QStringLiteral("sound"), g.SoundIndex},
            {QStringLiteral("player"), b64(g.PlayerName)},  {QStringLiteral("lesson"), b64(g.LessonCode)},
            {QStringLiteral("music"), b64(g.MusicName)},    {QStringLiteral("phaseLength"), g.PhaseLength},
            {QStringLiteral("phaseTicks"), g.PhaseTicks}};
}

/// Reads what kept holds, noting the first thing missing or of the wrong kind.
struct Reader {
    QJsonObject o;
    QString &problem;
    QJsonValue value(const char *key, QJsonValue::Type type)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.type() != type && problem.isEmpty())
            problem = QStringLiteral("нет поля «%1»").arg(QLatin1String(key));
        return v;
    }
    int integer(const char *key) { return value(key, QJsonValue::Double).toInt(); }
    bool flag(const char *key) { return value(key, QJsonValue::Bool).toBool(); }
    QString text(const char *key) { return value(key, QJsonValue::String).toString(); }
    QByteArray bytes(const char *key) { return QByteArray::fromBase64(text(key).toLatin1()); }
    QJsonObject object(const char *key) { return value(key, QJsonValue::Object).toObject(); }
    QJsonArray array(const char *key, qsizetype size)
    {
        const QJsonArray a = value(key, QJsonValue::Array).toArray();
        if (a.size() != size && problem.isEmpty())
            problem = QStringLiteral("поле «%1» не той длины").arg(QLatin1String(key));
        return a;
    }
    Reader in(const char *key) { return {object(key), problem}; }
};

template <size_t N>
std::array<int, N> numbersOf(Reader &r, const char *key)
{
    const QJsonArray a = r.array(key, N);
    std::array<int, N> values{};
    for (size_t i = 0; i < N && i < size_t(a.size()); ++i)
        values[i] = a[qsizetype(i)].toInt();
    return values;
}

ShownQuestion shownOf(Reader r)
{
    ShownQuestion s;
    s.level = r.integer("level");
    s.bankIndex = r.integer("bankIndex");
    s.line = r.bytes("line");
    s.question = r.bytes("question");
    const QJsonArray answers = r.array("answers", 5);
    for (qsizetype i = 0; i < answers.size() && i < 5; ++i)
        s.answers[size_t(i)] = QByteArray::fromBase64(answers[i].toString().toLatin1());
    s.order = r.text("order").toLatin1();
    return s;
}

GameState stateOf(Reader r)
{
    GameState g;
    g.CurrentLevel = r.integer("level");
    g.SecuredPoints = r.integer("secured");
    g.CorrectButton = r.integer("correct");
    const QJsonArray texts = r.array("answerTexts", 5);
    for (qsizetype i = 0; i < texts.size() && i < 5; ++i)
        g.AnswerTexts[size_t(i)] = QByteArray::fromBase64(texts[i].toString().toLatin1());
    g.RemarkIndex = r.integer("remark");
    g.SoundIndex = r.integer("sound");
    g.PlayerName = r.bytes("player");
    g.LessonCode = r.bytes("lesson");
    g.MusicName = r.bytes("music");
    g.PhaseLength = r.integer("phaseLength");
    g.PhaseTicks = r.integer("phaseTicks");
    return g;
}

QJsonObject placeJson(const GameJournal::Place &p)
{
    QJsonObject o{{QStringLiteral("game"), p.gameId},
                  {QStringLiteral("lesson"), p.lesson},
                  {QStringLiteral("student"), p.student},
                  {QStringLiteral("direct"), p.direct},
                  {QStringLiteral("shown"), p.shown ? QJsonValue(shownJson(*p.shown)) : QJsonValue()},
                  {QStringLiteral("shownMs"), double(p.shownMs)},
                  {QStringLiteral("shownAgoMs"), double(p.shownAgoMs)},
                  {QStringLiteral("fifty"), numbers(p.fiftyBlanked)},
                  {QStringLiteral("votes"), p.votes ? QJsonValue(numbers(*p.votes)) : QJsonValue()},
                  {QStringLiteral("friendReply"), p.friendReply},
                  {QStringLiteral("tease"), p.tease}};
    return o;
}

GameJournal::Place placeOf(Reader r)
{
    GameJournal::Place p;
    p.gameId = r.text("game");
    p.lesson = r.text("lesson");
    p.student = r.text("student");
    p.direct = r.flag("direct");
    if (r.o.value(QStringLiteral("shown")).isObject())
        p.shown = shownOf(r.in("shown"));
    p.shownMs = qint64(r.value("shownMs", QJsonValue::Double).toDouble());
    p.shownAgoMs = qint64(r.value("shownAgoMs", QJsonValue::Double).toDouble());
    p.fiftyBlanked = numbersOf<2>(r, "fifty");
    if (r.o.value(QStringLiteral("votes")).isArray())
        p.votes = numbersOf<5>(r, "votes");
    p.friendReply = r.text("friendReply");
    p.tease = r.text("tease");
    return p;
}

} // namespace

QJsonObject ClassGame::kept() const
{
    QJsonArray codes;
    for (const QByteArray &code : lessonCodes)
        codes.append(b64(code));
    QJsonArray answers;
    for (const QString &a : m_answers)
        answers.append(a);
    QJsonObject o{{QStringLiteral("token"), token},
                  {QStringLiteral("id"), id},
                  {QStringLiteral("device"), device},
                  {QStringLiteral("machine"), machine},
                  {QStringLiteral("desktop"), desktop},
                  {QStringLiteral("lesson"), lesson},
                  {QStringLiteral("name"), name},
                  {QStringLiteral("lessonCodes"), codes},
                  {QStringLiteral("nameBytes"), b64(nameBytes)},
                  {QStringLiteral("step"), step},
                  {QStringLiteral("moveAllowed"), moveAllowed},
                  {QStringLiteral("joinKey"), joinKey},
                  {QStringLiteral("hidden"), hidden},
                  {QStringLiteral("leaves"), leaves},
                  {QStringLiteral("used"), QJsonArray{used[0], used[1], used[2]}},
                  {QStringLiteral("level"), m_level},
                  {QStringLiteral("points"), m_points},
                  {QStringLiteral("music"), b64(m_music)},
                  {QStringLiteral("question"), m_question},
                  {QStringLiteral("answers"), answers},
                  {QStringLiteral("illustration"), m_illustration},
                  {QStringLiteral("blank"), numbers(m_blank)},
                  {QStringLiteral("votes"), m_votes ? QJsonValue(numbers(*m_votes)) : QJsonValue()},
                  {QStringLiteral("answered"), m_answered},
                  {QStringLiteral("correct"), m_correct},
                  {QStringLiteral("end"), m_end ? QJsonValue(*m_end) : QJsonValue()}};
    // The last action and its answer, so that the same request sent again after the restart is
    // answered byte for byte as before it.
    if (lastAction) {
        o.insert(QStringLiteral("lastAction"), QJsonObject{{QStringLiteral("do"), lastAction->kind},
                                                           {QStringLiteral("button"), lastAction->button},
                                                           {QStringLiteral("digits"), lastAction->digits}});
        o.insert(QStringLiteral("lastReply"), QJsonObject{{QStringLiteral("status"), lastReply.status},
                                                          {QStringLiteral("body"), lastReply.body}});
    }
    if (inProgress()) {
        const SessionSnapshot s = m_session->snapshot();
        QJsonArray blanked;
        for (const bool b : s.blanked)
            blanked.append(b);
        o.insert(QStringLiteral("session"), QJsonObject{{QStringLiteral("state"), stateJson(s.state)},
                                                        {QStringLiteral("bankPath"), s.bankPath},
                                                        {QStringLiteral("bankName"), s.bankName},
                                                        {QStringLiteral("shown"), shownJson(s.shown)},
                                                        {QStringLiteral("blanked"), blanked}});
        o.insert(QStringLiteral("journal"), placeJson(m_journal->place()));
    }
    return o;
}

QString ClassGame::restore(const QJsonObject &kept, qint64 nowMs)
{
    QString problem;
    Reader r{kept, problem};
    token = r.text("token");
    id = r.text("id");
    device = r.text("device");
    machine = r.text("machine");
    desktop = r.flag("desktop");
    lesson = r.text("lesson");
    name = r.text("name");
    lessonCodes.clear();
    for (const QJsonValue &code : r.value("lessonCodes", QJsonValue::Array).toArray())
        lessonCodes.append(QByteArray::fromBase64(code.toString().toLatin1()));
    nameBytes = r.bytes("nameBytes");
    step = r.integer("step");
    moveAllowed = r.flag("moveAllowed");
    joinKey = r.text("joinKey");
    hidden = r.flag("hidden");
    leaves = r.integer("leaves");
    const QJsonArray usedArray = r.array("used", 3);
    for (qsizetype i = 0; i < usedArray.size() && i < 3; ++i)
        used[size_t(i)] = usedArray[i].toBool();
    m_level = r.integer("level");
    m_points = r.integer("points");
    m_music = r.bytes("music");
    m_question = r.text("question");
    const QJsonArray answers = r.array("answers", 4);
    for (qsizetype i = 0; i < answers.size() && i < 4; ++i)
        m_answers[size_t(i)] = answers[i].toString();
    m_illustration = r.text("illustration");
    m_blank = numbersOf<2>(r, "blank");
    if (kept.value(QStringLiteral("votes")).isArray())
        m_votes = numbersOf<4>(r, "votes");
    m_answered = r.integer("answered");
    m_correct = r.integer("correct");
    if (kept.value(QStringLiteral("end")).isObject())
        m_end = r.object("end");
    if (kept.value(QStringLiteral("lastAction")).isObject()) {
        Reader action = r.in("lastAction");
        lastAction = ClassAction{action.text("do"), action.integer("button"), action.text("digits")};
        Reader reply = r.in("lastReply");
        lastReply = {reply.integer("status"), reply.object("body")};
    }
    // The page has not been heard on this run yet: it has the time of a fresh start to come back.
    lastSeen = nowMs;
    m_call.reset();
    if (!inProgress()) {
        // A finished game is its view alone, as closeSession leaves it.
        m_session.reset();
        m_journal.reset();
        m_random.reset();
        return problem;
    }
    // The journal first: whatever else fails, the game's rows go on where they stood, so that
    // a game that cannot go on is left in its own journal game.
    m_journal->goOn(placeOf(r.in("journal")));
    Reader session = r.in("session");
    SessionSnapshot s;
    s.state = stateOf(session.in("state"));
    s.bankPath = session.text("bankPath");
    s.bankName = session.text("bankName");
    s.shown = shownOf(session.in("shown"));
    const QJsonArray blanked = session.array("blanked", 5);
    for (qsizetype i = 0; i < blanked.size() && i < 5; ++i)
        s.blanked[size_t(i)] = blanked[i].toBool();
    const Status restored = m_session->restore(s);
    if (problem.isEmpty() && !restored.ok())
        problem = restored.error;
    return problem;
}
