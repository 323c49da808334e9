#include "classsession.h"

#include "cp1251.h"

#include <QJsonArray>
#include <QRandomGenerator>

namespace {

const QString kNotFound = QStringLiteral("Сервер класса больше не ведёт эту игру: её продолжили на другом "
                                         "устройстве, или сервер перезапускали без неё.");

// The texts of the server are the bank's and the host's, decoded from the stored code page:
// they go back into it whole.
QByteArray stored(const QJsonValue &text)
{
    return cp1251::encode(text.toString()).value_or(QByteArray());
}

Admission refused(const QString &why, bool fileFailure)
{
    Admission a;
    a.refusal = why;
    a.fileFailure = fileFailure;
    return a;
}

// The join's own key: a join sent again because its answer was lost on the way gets its game
// back instead of the refusal a second game of the same name meets. Only this side knows it.
QString newJoinKey()
{
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(words.data()), sizeof words).toHex());
}

// The music of the level's third of the ladder and the ticks of its phase, as the desktop's
// session sets them: the window starts the music again every phase.
int phaseLength(const QByteArray &music)
{
    if (music == "fon2")
        return 16;
    if (music == "fon3")
        return 7;
    return music == "fon1" ? 13 : 0;
}

// The verdict EVENT as the window's Verdict: the host's rows as the server's session chose them,
// so that the window shows and plays the banners and clips of file mode. level is the level on
// screen when the answer was given.
Verdict verdictOf(const QJsonObject &event, int level)
{
    Verdict v;
    v.level = event.value(QStringLiteral("level")).toInt(level);
    v.teased = event.value(QStringLiteral("teased")).toBool();
    if (v.teased) {
        v.tease = stored(event.value(QStringLiteral("tease")));
        return v;
    }
    v.right = event.value(QStringLiteral("right")).toBool();
    v.correctButton = event.value(QStringLiteral("correct")).toInt();
    v.remark = event.value(QStringLiteral("remarkRow")).toInt();
    v.sound = event.value(QStringLiteral("soundRow")).toInt();
    v.milestone = event.value(QStringLiteral("milestoneLevel")).toInt();
    return v;
}

} // namespace

ClassSession::ClassSession(ClassSessionOptions options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_line(m_options.server, m_options.retryMs, m_options.timeoutMs)
{
    m_line.onWaiting = [this](const QString &text) {
        if (onWaiting)
            onWaiting(text);
    };
    m_line.onReceived = [this](const QByteArray &body) {
        if (onReceived)
            onReceived(body);
    };
    m_heartbeat.setInterval(m_options.heartbeatMs);
    connect(&m_heartbeat, &QTimer::timeout, this, &ClassSession::beat);
}

ClassSession::~ClassSession() = default;

bool ClassSession::questionOpen() const
{
    // A game the server has ended has no question open, whatever the window still shows of it.
    return m_gone.isEmpty() && !m_end && m_state.CurrentLevel >= 1 && m_state.CurrentLevel <= kLevels;
}

bool ClassSession::mayStop() const
{
    return questionOpen() && m_state.SecuredPoints > 0;
}

Admission ClassSession::admit(const QString &typedLesson, const std::function<QString()> &askName, const SchoolGuard &)
{
    close();
    m_settings = ReadGameSettings(m_options.programFolder);
    // No code typed (the box cancelled or left blank): the words the game says of it in file
    // mode, without asking the server.
    if (typedLesson.trimmed().isEmpty())
        return refused(QStringLiteral("Код занятия не содержит вопросов!"), false);
    // Nobody types a name for a lesson the server would not start.
    const ClassAnswer lesson = m_line.call(QStringLiteral("api/lesson"), {{QStringLiteral("lesson"), typedLesson}});
    if (lesson.status != 200)
        return refused(lesson.error(), lesson.status == 409 || lesson.status == 422);
    const QString name = askName();
    const ClassAnswer joined = m_line.call(QStringLiteral("api/join"),
                                           {{QStringLiteral("lesson"), typedLesson},
                                            {QStringLiteral("name"), name},
                                            {QStringLiteral("join"), newJoinKey()},
                                            {QStringLiteral("machine"), m_options.machine},
                                            {QStringLiteral("face"), QStringLiteral("desktop")}});
    if (joined.status != 200)
        return refused(joined.error(), joined.status == 409 || joined.status == 422);
    m_token = joined.body.value(QStringLiteral("token")).toString();
    take(joined.body.value(QStringLiteral("game")).toObject());
    m_state.LessonCode = stored(m_view.value(QStringLiteral("lesson")));
    m_state.PlayerName = stored(m_view.value(QStringLiteral("name")));
    return {};
}

Status ClassSession::begin(const QString &)
{
    if (m_token.isEmpty())
        return Status::failure(QStringLiteral("Игра на сервере класса не начата."));
    m_state.CurrentLevel = m_view.value(QStringLiteral("level")).toInt();
    m_state.SecuredPoints = m_view.value(QStringLiteral("points")).toInt();
    m_state.CorrectButton = 0;
    m_state.AnswerTexts = {};
    return Status::success();
}

LevelQuestion ClassSession::nextQuestion()
{
    LevelQuestion q;
    if (m_end) {
        // The server found no question for the level: the game ended there, and it says why.
        q.error = m_end->value(QStringLiteral("message")).toString();
        if (q.error.isEmpty())
            q.error = QStringLiteral("Игра окончена.");
        return q;
    }
    const QJsonObject question = m_view.value(QStringLiteral("question")).toObject();
    q.question = stored(question.value(QStringLiteral("text")));
    const QJsonArray answers = question.value(QStringLiteral("answers")).toArray();
    for (qsizetype p = 1; p <= 4; ++p)
        q.captions[static_cast<size_t>(p)] = stored(answers.at(p - 1));
    // The picture is the server's to give, by an address of the game's own: the bank's
    // reference to it stays on the server.
    const QJsonValue picture = question.value(QStringLiteral("picture"));
    if (picture.isString())
        q.illustration = m_line.resolved(picture.toString()).toEncoded();
    // Known only once an answer has been judged: the window never holds it before.
    m_state.CorrectButton = 0;
    m_state.AnswerTexts = {};
    m_state.MusicName = m_view.value(QStringLiteral("music")).toString().toLatin1();
    m_state.PhaseLength = phaseLength(m_state.MusicName);
    m_state.PhaseTicks = 0;
    return q;
}

Verdict ClassSession::click(int button)
{
    const int level = m_state.CurrentLevel;
    QString refusal;
    const auto event = act(QStringLiteral("answer"), {{QStringLiteral("button"), button}}, &refusal);
    if (!event) {
        // Not judged: the question stays, as after the host's tease, and the banner says why.
        Verdict kept;
        kept.teased = true;
        kept.level = level;
        kept.tease = cp1251::encode(refusal).value_or(QByteArray());
        return kept;
    }
    const Verdict v = verdictOf(*event, level);
    if (!v.teased) {
        m_state.CorrectButton = v.correctButton;
        m_securedAfter = event->value(QStringLiteral("points")).toInt();
    }
    return v;
}

void ClassSession::secure()
{
    m_state.SecuredPoints = m_securedAfter;
}

bool ClassSession::moveUp()
{
    m_state.CurrentLevel += 1;
    return m_state.CurrentLevel > kLevels;
}

std::array<int, 2> ClassSession::fiftyFifty()
{
    const auto event = act(QStringLiteral("fifty"));
    if (!event)
        return {0, 0};
    const QJsonArray blank = event->value(QStringLiteral("blank")).toArray();
    return {blank.at(0).toInt(), blank.at(1).toInt()};
}

std::array<int, 5> ClassSession::askAudience()
{
    std::array<int, 5> votes{};
    const auto event = act(QStringLiteral("audience"));
    if (!event)
        return votes;
    const QJsonArray given = event->value(QStringLiteral("votes")).toArray();
    for (qsizetype b = 1; b <= 4; ++b)
        votes[static_cast<size_t>(b)] = given.at(b - 1).toInt();
    return votes;
}

Result<FriendCall> ClassSession::phoneFriend()
{
    QString refusal;
    const auto event = act(QStringLiteral("friend"), {}, &refusal);
    if (!event)
        return Result<FriendCall>::failure(refusal.isEmpty() ? m_gone : refusal);
    FriendCall call;
    call.friendIndex = event->value(QStringLiteral("friend")).toInt();
    m_number = event->value(QStringLiteral("number")).toString();
    call.number = m_number.toLatin1();
    // The reply is the server's to say once the number is dialled.
    m_reply.reset();
    return Result<FriendCall>::success(call);
}

std::optional<QByteArray> ClassSession::dial(const QByteArray &digits)
{
    if (m_reply)
        return m_reply;
    // Digits that are not the number move nothing on the server: there is nothing to ask it.
    if (m_number.isEmpty() || digits != m_number.toLatin1())
        return std::nullopt;
    const auto event = act(QStringLiteral("dial"), {{QStringLiteral("digits"), m_number}});
    if (!event || !event->value(QStringLiteral("matched")).toBool())
        return std::nullopt;
    m_reply = stored(event->value(QStringLiteral("reply")));
    return m_reply;
}

void ClassSession::hangUp()
{
    if (m_number.isEmpty())
        return;
    m_number.clear();
    m_reply.reset();
    // The server's clock may have ended the call first: its refusal then changes nothing.
    act(QStringLiteral("hangup"));
}

Status ClassSession::finishGame(GameEnding how)
{
    if (how == GameEnding::Stop && !m_end)
        act(QStringLiteral("stop"));
    if (!m_gone.isEmpty())
        return Status::failure(m_gone);
    if (!m_end)
        return Status::failure(QStringLiteral("Сервер класса не закончил игру."));
    stopBeating();
    if (how == GameEnding::NoQuestion)
        return Status::success();
    // No grade is shown that the server has not recorded.
    if (m_end->value(QStringLiteral("grade")).isNull())
        return Status::failure(m_end->value(QStringLiteral("message")).toString());
    return Status::success();
}

void ClassSession::leave()
{
    // A call in progress ends with the game on the server.
    if (!m_end && m_gone.isEmpty() && !m_token.isEmpty())
        act(QStringLiteral("leave"));
    close();
}

void ClassSession::close()
{
    stopBeating();
    m_state.CurrentLevel = 0;
    m_token.clear();
    m_step = 0;
    m_view = {};
    m_end.reset();
    m_securedAfter = 0;
    m_number.clear();
    m_reply.reset();
    m_gone.clear();
}

std::optional<QJsonObject> ClassSession::act(const QString &what, QJsonObject more, QString *refusal)
{
    if (m_token.isEmpty() || !m_gone.isEmpty()) {
        if (refusal)
            *refusal = m_gone;
        return std::nullopt;
    }
    more.insert(QStringLiteral("token"), m_token);
    more.insert(QStringLiteral("step"), m_step);
    more.insert(QStringLiteral("do"), what);
    m_heartbeat.stop();
    const ClassAnswer answer = m_line.call(QStringLiteral("api/act"), more);
    if (lost(answer)) {
        if (refusal)
            *refusal = m_gone;
        return std::nullopt;
    }
    if (answer.body.value(QStringLiteral("game")).isObject())
        take(answer.body.value(QStringLiteral("game")).toObject());
    if (!m_end)
        m_heartbeat.start();
    if (answer.status != 200) {
        if (refusal)
            *refusal = answer.error();
        return std::nullopt;
    }
    return answer.body.value(QStringLiteral("event")).toObject();
}

void ClassSession::take(const QJsonObject &view)
{
    m_view = view;
    m_step = view.value(QStringLiteral("step")).toInt();
    if (view.value(QStringLiteral("end")).isObject())
        m_end = view.value(QStringLiteral("end")).toObject();
    if (!m_end && !m_line.busy())
        m_heartbeat.start();
}

bool ClassSession::lost(const ClassAnswer &answer)
{
    if (answer.status == 404) {
        m_gone = kNotFound;
    } else {
        const QJsonObject end = answer.body.value(QStringLiteral("game")).toObject().value(QStringLiteral("end")).toObject();
        if (end.value(QStringLiteral("how")).toString() == QLatin1String("teacher"))
            m_gone = QStringLiteral("Игру завершил учитель. ") + end.value(QStringLiteral("message")).toString();
    }
    if (m_gone.isEmpty())
        return false;
    stopBeating();
    return true;
}

void ClassSession::beat()
{
    if (m_line.busy() || m_token.isEmpty() || !m_gone.isEmpty())
        return;
    m_line.send(QStringLiteral("api/game"), {{QStringLiteral("token"), m_token}}, [this](const ClassAnswer &answer) {
        // A call made meanwhile cancels the beat: what comes here is the game between calls.
        if (lost(answer) && onGone)
            onGone();
    });
}

void ClassSession::stopBeating()
{
    m_heartbeat.stop();
}
