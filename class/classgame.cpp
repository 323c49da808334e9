#include "classgame.h"

#include "cp1251.h"
#include "phrases.h"
#include "results.h"
#include "stringres.h"

#include <QJsonArray>

#include <algorithm>

namespace {

QString text(const QByteArray &bytes)
{
    return cp1251::decode(bytes);
}

// The grade as a school mark, as the words GradeWord gives for the same level.
int gradeMark(int currentLevel)
{
    if (currentLevel > 15)
        return 5;
    if (currentLevel > 10)
        return 4;
    if (currentLevel > 5)
        return 3;
    return 2;
}

ClassReply ok(const QJsonObject &game, const QJsonObject &event)
{
    return {200, {{QStringLiteral("game"), game}, {QStringLiteral("event"), event}}};
}

} // namespace

ClassGame::ClassGame(const QString &folder, std::unique_ptr<RandomSource> random, std::unique_ptr<GameJournal> journal)
    : m_random(std::move(random))
    , m_journal(std::move(journal))
    , m_session(std::make_unique<GameSession>(folder, *m_random, *m_journal))
{
}

std::optional<ClassReply> ClassGame::begin(const QString &unchecked, qint64 nowMs)
{
    lastSeen = nowMs;
    const Status started = m_session->begin(unchecked);
    if (!started.ok()) {
        m_session->close();
        return ClassReply{500, {{QStringLiteral("error"), started.error}}};
    }
    if (!showQuestion()) {
        const QJsonObject ended = *m_end;
        return ClassReply{422, {{QStringLiteral("error"), ended.value(QStringLiteral("message")).toString()}}};
    }
    return std::nullopt;
}

bool ClassGame::showQuestion()
{
    const LevelQuestion q = m_session->nextQuestion();
    if (!q.error.isEmpty()) {
        m_end = finish(GameEnding::NoQuestion, QStringLiteral("noquestion"));
        m_end->insert(QStringLiteral("message"), q.error);
        return false;
    }
    const GameState &state = m_session->state();
    m_level = state.CurrentLevel;
    m_music = state.MusicName;
    m_question = text(q.question);
    for (size_t p = 1; p <= 4; ++p)
        m_answers[p - 1] = text(q.captions[p]);
    m_illustration = text(q.illustration);
    m_blank = {};
    m_votes.reset();
    return true;
}

int ClassGame::secondsLeft(qint64 nowMs) const
{
    if (!m_call)
        return 0;
    const qint64 elapsed = std::max<qint64>(0, nowMs - m_call->startedMs);
    return static_cast<int>(std::max<qint64>(0, kCallSeconds - elapsed / 1000));
}

bool ClassGame::tick(qint64 nowMs)
{
    // The line goes dead without a sound, as the call window closes itself at 0.
    if (m_call && secondsLeft(nowMs) <= 0) {
        m_call.reset();
        return true;
    }
    return false;
}

ClassReply ClassGame::refuse(const QString &why, qint64 nowMs) const
{
    return {409, {{QStringLiteral("error"), why}, {QStringLiteral("game"), view(nowMs)}}};
}

ClassReply ClassGame::act(const ClassAction &action, qint64 nowMs)
{
    lastSeen = nowMs;
    const QString &kind = action.kind;
    if (kind == u"hidden" || kind == u"visible") {
        const bool leaving = kind == u"hidden";
        // Only a question (or a call) left unseen counts: the end's board may be left at will.
        if (leaving && !hidden && inProgress())
            m_journal->pageLeft(++leaves);
        hidden = leaving;
        return ok(view(nowMs), {{QStringLiteral("kind"), kind}});
    }
    if (!inProgress())
        return refuse(QStringLiteral("Игра окончена."), nowMs);
    if (kind == u"leave")
        return leaveNow(nowMs);
    if (m_call) {
        if (kind == u"dial") {
            if (m_call->answered)
                return refuse(QStringLiteral("Друг уже ответил."), nowMs);
            if (action.digits != m_call->number)
                return ok(view(nowMs), {{QStringLiteral("kind"), QStringLiteral("dial")}, {QStringLiteral("matched"), false}});
            m_call->answered = true;
            ++step;
            return ok(view(nowMs), {{QStringLiteral("kind"), QStringLiteral("dial")},
                                    {QStringLiteral("matched"), true},
                                    {QStringLiteral("reply"), m_call->reply},
                                    {QStringLiteral("clip"), QStringLiteral("ringon")}});
        }
        if (kind == u"hangup") {
            m_call.reset();
            ++step;
            return ok(view(nowMs), {{QStringLiteral("kind"), QStringLiteral("hangup")},
                                    {QStringLiteral("clip"), QStringLiteral("ringoff")}});
        }
        return refuse(QStringLiteral("Сначала закончите звонок другу."), nowMs);
    }
    if (kind == u"dial" || kind == u"hangup")
        return refuse(QStringLiteral("Звонок окончен."), nowMs);
    if (kind == u"answer")
        return answer(action.button, nowMs);
    if (kind == u"stop") {
        if (!m_session->mayStop())
            return refuse(QStringLiteral("Остановиться можно, когда набраны очки."), nowMs);
        ++step;
        const QJsonObject ended = finish(GameEnding::Stop, QStringLiteral("stop"));
        m_end = ended;
        // The end's clips ("final", then the board's) are the stop's own.
        return ok(view(nowMs), {{QStringLiteral("kind"), QStringLiteral("stop")}, {QStringLiteral("end"), ended}});
    }
    const int lifeline = kind == u"fifty" ? 0 : kind == u"audience" ? 1 : kind == u"friend" ? 2 : -1;
    if (lifeline < 0)
        return refuse(QStringLiteral("Такого действия нет."), nowMs);
    if (used[static_cast<size_t>(lifeline)])
        return refuse(QStringLiteral("Эта подсказка уже использована."), nowMs);
    QJsonObject event{{QStringLiteral("kind"), kind}};
    if (lifeline == 0) {
        m_blank = m_session->fiftyFifty();
        std::sort(m_blank.begin(), m_blank.end());
        event.insert(QStringLiteral("blank"), QJsonArray{m_blank[0], m_blank[1]});
        event.insert(QStringLiteral("clip"), QStringLiteral("50x50"));
    } else if (lifeline == 1) {
        const std::array<int, 5> votes = m_session->askAudience();
        // A blanked answer keeps its votes but shows no bar, as on the desktop's chart.
        std::array<int, 4> shown{};
        for (int b = 1; b <= 4; ++b)
            shown[static_cast<size_t>(b - 1)] = (b == m_blank[0] || b == m_blank[1]) ? 0 : votes[static_cast<size_t>(b)];
        m_votes = shown;
        event.insert(QStringLiteral("votes"), QJsonArray{shown[0], shown[1], shown[2], shown[3]});
        event.insert(QStringLiteral("clip"), QStringLiteral("zal"));
    } else {
        const Result<FriendCall> call = m_session->phoneFriend();
        // The store of the friends' turns could not be read or written: no call, the lifeline kept.
        if (!call.ok())
            return refuse(call.error, nowMs);
        m_call = Call{call.value.friendIndex, QString::fromLatin1(call.value.number), text(call.value.reply), false, nowMs};
        event.insert(QStringLiteral("friend"), m_call->friendIndex);
        event.insert(QStringLiteral("number"), m_call->number);
        event.insert(QStringLiteral("secondsLeft"), kCallSeconds);
        event.insert(QStringLiteral("clip"), QStringLiteral("btnclick"));
    }
    used[static_cast<size_t>(lifeline)] = true;
    ++step;
    return ok(view(nowMs), event);
}

ClassReply ClassGame::answer(int button, qint64 nowMs)
{
    if (button < 1 || button > 4)
        return refuse(QStringLiteral("Нет такого ответа."), nowMs);
    if (button == m_blank[0] || button == m_blank[1])
        return refuse(QStringLiteral("Этот ответ убран подсказкой «50 на 50»."), nowMs);
    ++step;
    const Verdict v = m_session->click(button);
    QJsonObject event{{QStringLiteral("kind"), QStringLiteral("verdict")}, {QStringLiteral("teased"), v.teased}};
    // Every clip the desktop plays from the click to the next question or to the end's own
    // (END "clips"), in order; "clip" is the one the verdict is heard by.
    QJsonArray clips{QStringLiteral("btnclick"), QStringLiteral("pause")};
    if (v.teased) {
        event.insert(QStringLiteral("tease"), text(v.tease));
        event.insert(QStringLiteral("clip"), QStringLiteral("pause"));
        event.insert(QStringLiteral("clips"), clips);
        return ok(view(nowMs), event);
    }
    event.insert(QStringLiteral("tease"), QString());
    // The rows of the host's words and jingles, as the desktop window picks its banners and
    // clips by them.
    event.insert(QStringLiteral("level"), v.level);
    event.insert(QStringLiteral("remarkRow"), v.remark);
    event.insert(QStringLiteral("soundRow"), v.sound);
    event.insert(QStringLiteral("milestoneLevel"), v.milestone);
    event.insert(QStringLiteral("right"), v.right);
    event.insert(QStringLiteral("button"), button);
    event.insert(QStringLiteral("correct"), v.correctButton);
    QString milestone;
    std::optional<QJsonObject> ended;
    if (!v.right) {
        event.insert(QStringLiteral("remark"), text(WrongPhrases(v.sound)));
        event.insert(QStringLiteral("clip"), QStringLiteral("false"));
        m_answered = button;
        m_correct = v.correctButton;
        ended = finish(GameEnding::Wrong, QStringLiteral("wrong"));
    } else {
        if (v.milestone != 0) {
            // The grade just earned is said instead of the remark.
            event.insert(QStringLiteral("remark"), v.milestone == 5 ? QStringLiteral(" ВАШИ ЗНАНИЯ ОЦЕНЕНЫ НА УДОВЛЕТВОРИТЕЛЬНО!")
                                                                     : QStringLiteral(" ВЫ ЗАРАБОТАЛИ ОЦЕНКУ ХОРОШО!"));
            event.insert(QStringLiteral("clip"), QStringLiteral("summa"));
            milestone = v.milestone == 5 ? QStringLiteral("Удовлетворительно") : QStringLiteral("Хорошо");
        } else {
            event.insert(QStringLiteral("remark"), text(CorrectPhrases(v.remark)));
            event.insert(QStringLiteral("clip"), text(CorrectSounds(v.sound)));
        }
        m_session->secure();
        m_points = m_session->state().SecuredPoints;
        if (m_session->moveUp()) {
            m_answered = button;
            m_correct = v.correctButton;
            ended = finish(GameEnding::Won, QStringLiteral("won"));
        } else if (!showQuestion()) {
            ended = m_end;
        }
    }
    if (ended)
        m_end = ended;
    clips.append(event.value(QStringLiteral("clip")));
    if (v.right)
        clips.append(QStringLiteral("change"));
    event.insert(QStringLiteral("clips"), clips);
    event.insert(QStringLiteral("milestone"), milestone);
    event.insert(QStringLiteral("points"), m_points);
    event.insert(QStringLiteral("end"), ended ? QJsonValue(*ended) : QJsonValue());
    return ok(view(nowMs), event);
}

QJsonObject ClassGame::finish(GameEnding how, const QString &howWord)
{
    m_call.reset();
    const Status recorded = m_session->finishGame(how);
    const GameState &state = m_session->state();
    const int current = state.CurrentLevel;
    m_points = state.SecuredPoints;
    m_level = std::min(current, kLevels);
    QJsonObject ended{{QStringLiteral("how"), howWord},
                      {QStringLiteral("levels"), std::max(0, current - 1)},
                      {QStringLiteral("points"), m_points}};
    QJsonArray clips;
    QString banner;
    if (how == GameEnding::Won) {
        banner = QStringView(kWinMessage).toString();
        clips = {QStringLiteral("MILLION"), QStringLiteral("begin")};
    } else if (how != GameEnding::NoQuestion) {
        clips = {QStringLiteral("final"), QStringLiteral("begin")};
    }
    if (how != GameEnding::NoQuestion && recorded.ok()) {
        ended.insert(QStringLiteral("grade"), gradeMark(current));
        ended.insert(QStringLiteral("gradeText"), text(GradeWord(current)));
        ended.insert(QStringLiteral("message"), QStringLiteral("Оценка: ") + text(GradeWord(current)));
    } else {
        // No grade is shown that was not recorded.
        ended.insert(QStringLiteral("grade"), QJsonValue());
        ended.insert(QStringLiteral("gradeText"), QJsonValue());
        ended.insert(QStringLiteral("message"), recorded.error);
        clips = {};
    }
    ended.insert(QStringLiteral("banner"), banner);
    ended.insert(QStringLiteral("clips"), clips);
    closeSession();
    return ended;
}

void ClassGame::closeSession()
{
    // The host's counters go on from this game in the next, as the desktop keeps them.
    m_session->storeCounters();
    m_session->close();
    m_music.clear();
    m_illustration.clear();
    // What is left of a finished game is its view: the bank's copy and the rest go now, so that
    // a room keeps little more than a line per student who has finished.
    m_session.reset();
    // A game whose end waits for its record keeps its journal until the record is written.
    if (!endHeld)
        m_journal.reset();
    m_random.reset();
}

void ClassGame::endRecorded(bool written, GameEnding how, int currentLevel)
{
    if (!std::exchange(endHeld, false) || !m_journal)
        return;
    if (written)
        m_journal->gameEnded(how, currentLevel);
    else
        m_journal->gameLeft();
    if (!m_session)
        m_journal.reset();
}

bool ClassGame::endByTeacher(qint64 nowMs)
{
    if (!inProgress())
        return false;
    lastSeen = std::max(lastSeen, nowMs - 1);
    ++step;
    m_end = finish(GameEnding::Stop, QStringLiteral("teacher"));
    return true;
}

// The student walked away from the question on screen (a new game, the window closed): as the
// desktop leaves a game, the question is journalled shown and unanswered, no grade, no record.
ClassReply ClassGame::leaveNow(qint64 nowMs)
{
    m_call.reset();
    ++step;
    const int current = m_session->state().CurrentLevel;
    m_session->leave();
    m_end = QJsonObject{{QStringLiteral("how"), QStringLiteral("left")},
                        {QStringLiteral("grade"), QJsonValue()},
                        {QStringLiteral("gradeText"), QJsonValue()},
                        {QStringLiteral("levels"), std::max(0, current - 1)},
                        {QStringLiteral("points"), m_points},
                        {QStringLiteral("message"), QStringLiteral("Игра оставлена. Оценка не поставлена.")},
                        {QStringLiteral("banner"), QString()},
                        {QStringLiteral("clips"), QJsonArray()}};
    closeSession();
    return ok(view(nowMs), {{QStringLiteral("kind"), QStringLiteral("leave")}});
}

void ClassGame::leave()
{
    if (!inProgress())
        return;
    m_call.reset();
    m_session->leave();
    m_session->storeCounters();
}

QJsonObject ClassGame::student(qint64 nowMs, qint64 silentMs) const
{
    QString state;
    if (!inProgress())
        state = left() ? QStringLiteral("вышел") : QStringLiteral("закончил");
    else if (nowMs - lastSeen > silentMs)
        state = QStringLiteral("нет связи");
    else if (hidden)
        state = QStringLiteral("ушёл со страницы");
    else
        state = QStringLiteral("в игре");
    const QJsonObject ended = m_end.value_or(QJsonObject());
    return {{QStringLiteral("id"), id},
            {QStringLiteral("lesson"), lesson},
            {QStringLiteral("name"), name},
            {QStringLiteral("device"), device},
            {QStringLiteral("face"), desktop ? QStringLiteral("desktop") : QStringLiteral("browser")},
            {QStringLiteral("machine"), machine.isEmpty() ? QJsonValue() : QJsonValue(machine)},
            {QStringLiteral("level"), m_level},
            {QStringLiteral("points"), m_points},
            {QStringLiteral("lifelines"), QJsonObject{{QStringLiteral("fifty"), used[0]},
                                                      {QStringLiteral("audience"), used[1]},
                                                      {QStringLiteral("friend"), used[2]}}},
            {QStringLiteral("state"), state},
            // null while the game goes on, as after an end that recorded no grade
            {QStringLiteral("grade"), ended.value(QStringLiteral("grade")).isUndefined() ? QJsonValue() : ended.value(QStringLiteral("grade"))},
            {QStringLiteral("gradeText"), ended.value(QStringLiteral("gradeText")).isUndefined() ? QJsonValue() : ended.value(QStringLiteral("gradeText"))},
            {QStringLiteral("leaves"), leaves},
            {QStringLiteral("moveAllowed"), moveAllowed}};
}

QJsonObject ClassGame::view(qint64 nowMs) const
{
    QJsonArray answers;
    for (int p = 1; p <= 4; ++p)
        answers.append(p == m_blank[0] || p == m_blank[1] ? QString() : m_answers[static_cast<size_t>(p - 1)]);
    QJsonArray blank;
    if (m_blank[0] != 0)
        blank = {m_blank[0], m_blank[1]};
    QJsonObject question{{QStringLiteral("text"), m_question},
                         {QStringLiteral("answers"), answers},
                         {QStringLiteral("blank"), blank},
                         {QStringLiteral("picture"), m_illustration.isEmpty()
                                                         ? QJsonValue()
                                                         : QJsonValue(QStringLiteral("/api/picture?token=%1&step=%2")
                                                                          .arg(token).arg(step))}};
    // The right answer only once an answer to this question is locked.
    if (m_correct != 0) {
        question.insert(QStringLiteral("answered"), m_answered);
        question.insert(QStringLiteral("correct"), m_correct);
    }
    QJsonValue call;
    if (m_call) {
        call = QJsonObject{{QStringLiteral("friend"), m_call->friendIndex},
                           {QStringLiteral("number"), m_call->number},
                           {QStringLiteral("secondsLeft"), secondsLeft(nowMs)},
                           {QStringLiteral("reply"), m_call->answered ? QJsonValue(m_call->reply) : QJsonValue()}};
    }
    QJsonValue votes;
    if (m_votes)
        votes = QJsonArray{(*m_votes)[0], (*m_votes)[1], (*m_votes)[2], (*m_votes)[3]};
    const bool going = inProgress();
    return {{QStringLiteral("step"), step},
            {QStringLiteral("lesson"), lesson},
            {QStringLiteral("name"), name},
            {QStringLiteral("state"), !going ? QStringLiteral("finished") : m_call ? QStringLiteral("call")
                                                                                   : QStringLiteral("question")},
            {QStringLiteral("level"), m_level},
            {QStringLiteral("points"), m_points},
            {QStringLiteral("music"), QString::fromLatin1(m_music)},
            {QStringLiteral("question"), question},
            {QStringLiteral("lifelines"), QJsonObject{{QStringLiteral("fifty"), used[0]},
                                                      {QStringLiteral("audience"), used[1]},
                                                      {QStringLiteral("friend"), used[2]}}},
            {QStringLiteral("votes"), votes},
            {QStringLiteral("call"), call},
            {QStringLiteral("mayStop"), going && !m_call && m_points > 0},
            {QStringLiteral("end"), m_end ? QJsonValue(*m_end) : QJsonValue()}};
}
