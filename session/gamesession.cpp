#include "gamesession.h"

#include "audiencevotes.h"
#include "classanswers.h"
#include "counters.h"
#include "cp1251.h"
#include "fiftyfifty.h"
#include "files.h"
#include "friendcall.h"
#include "gamestart.h"
#include "phrases.h"
#include "randomsource.h"
#include "results.h"

namespace {
// The longest the class's answers are looked for once the audience is asked; journals not read
// by then are left out. With the journals' lookup indexes, 30 journals of a million answers in
// all take 20 to 40 ms; a share on the network may be slower, and the chart must not wait.
constexpr int kClassLookupMs = 150;

const QString kTwice = QStringLiteral("Нельзя дважды отвечать на вопросы теста!");

Admission refused(const QString &why, bool fileFailure = false)
{
    Admission a;
    a.refusal = why;
    a.fileFailure = fileFailure;
    return a;
}
} // namespace

GameSession::GameSession(QString programFolder, RandomSource &random, GameRecorder &recorder)
    : m_folder(std::move(programFolder))
    , m_random(random)
    , m_recorder(recorder)
{
}

Admission GameSession::admit(const QString &typedLesson, const std::function<QString()> &askName,
                             const SchoolGuard &school)
{
    m_settings = ReadGameSettings(m_folder);
    GameStart start = DecideGameStart(m_folder, typedLesson, askName);
    // What the start read is kept even when it refuses: no game can use it then, and the next
    // start reads afresh.
    if (start.lessonCode)
        m_state.LessonCode = *start.lessonCode;
    if (start.bank) {
        m_bank = std::move(*start.bank);
        // The level's lines were views into the bank just replaced.
        m_levelLines.clear();
        m_bankName = start.bankName;
        m_bankPath = start.bankPath;
    }
    if (start.playerName)
        m_state.PlayerName = *start.playerName;
    if (!start.allowed())
        return refused(start.refusal, start.fileFailure);

    const bool strict = m_settings.strictAttempts;
    // Every spelling of the lesson counts: a game left under DEMO is an attempt at ДЕМО too.
    const QList<QByteArray> codes = start.lessonCodes.isEmpty() ? QList<QByteArray>{m_state.LessonCode}
                                                                : start.lessonCodes;
    for (const QByteArray &code : codes) {
        if (strict && m_recorder.leftUnfinished(code, m_state.PlayerName))
            return refused(kTwice);
    }
    if (!school)
        return {};
    // The whole school's word, as this machine's file has already let the student in. The
    // student has just typed the name and waits anyway; the wait is bounded by the guard, and
    // a server that did not answer for one code is not asked again for the next.
    for (const QByteArray &code : codes) {
        const SchoolWord word = school(cp1251::decode(code), cp1251::decode(m_state.PlayerName), strict);
        if (word.allowed && !*word.allowed)
            return refused(kTwice);
        if (!word.allowed) {
            Admission unchecked;
            unchecked.unchecked = word.problem;
            return unchecked;
        }
    }
    return {};
}

Status GameSession::begin(const QString &unchecked)
{
    m_state.CurrentLevel = 1;
    m_state.SecuredPoints = 0;
    const auto remark = RegReadInteger(kCounterSection, cp1251::text(u"Ответ"), 0);
    const auto sound = RegReadInteger(kCounterSection, cp1251::text(u"Звук"), 0);
    if (!remark.ok() || !sound.ok())
        return Status::failure(remark.ok() ? sound.error : remark.error);
    m_state.RemarkIndex = remark.value;
    m_state.SoundIndex = sound.value;
    m_recorder.gameStarted({m_state.LessonCode, m_state.PlayerName, m_bankPath, unchecked});
    return Status::success();
}

LevelQuestion GameSession::nextQuestion()
{
    const int level = m_state.CurrentLevel;
    int bankIndex = 0;
    const auto line = LoadFaq(m_bank, level, m_levelLines, m_random, m_bankName, &bankIndex);
    if (!line.ok())
        return {QStringLiteral("Занятие «%1»: %2").arg(cp1251::decode(m_state.LessonCode), line.error), {}, {}, {}};
    LevelQuestion q;
    QByteArray remainder = line.value;
    q.question = NextField(remainder);
    for (size_t i = 1; i <= 4; ++i)
        m_state.AnswerTexts[i] = NextField(remainder);
    q.illustration = NextField(remainder);
    const QByteArray order = ShuffleAnswers(m_random);
    for (int p = 1; p <= 4; ++p)
        q.captions[static_cast<size_t>(p)] = m_state.AnswerTexts[static_cast<size_t>(order[p - 1] - '0')];
    m_state.CorrectButton = static_cast<int>(order.indexOf('1')) + 1;
    m_blanked = {};
    m_call.reset();
    // The music of the level's third of the ladder, restarted every phase of its own length.
    m_state.PhaseTicks = 0;
    if (level <= 5) {
        m_state.MusicName = "fon1";
        m_state.PhaseLength = 13;
    } else if (level <= 10) {
        m_state.MusicName = "fon2";
        m_state.PhaseLength = 16;
    } else {
        m_state.MusicName = "fon3";
        m_state.PhaseLength = 7;
    }
    m_shown = {level, bankIndex, line.value, q.question, m_state.AnswerTexts, order};
    // Told before the face paints anything of the question: the journal may wait here, briefly,
    // for the rows before it to reach the disk, while the old question's screen still shows.
    m_recorder.questionShown(m_shown);
    return q;
}

Verdict GameSession::click(int button)
{
    Verdict v;
    v.level = m_state.CurrentLevel;
    v.correctButton = m_state.CorrectButton;
    AdvanceCounters(m_state);
    v.remark = m_state.RemarkIndex;
    v.sound = m_state.SoundIndex;
    if (m_state.RemarkIndex == 3 && m_state.CurrentLevel > 5) {
        v.teased = true;
        v.tease = DoubtPhrases(m_state.CurrentLevel);
        m_recorder.teaseShown(v.tease);
        return v;
    }
    // On the disk before anything else is shown: whatever happens next, the answer is kept.
    m_recorder.answered(button);
    v.right = button == m_state.CorrectButton;
    if (v.right && (v.level == 5 || v.level == 10))
        v.milestone = v.level;
    return v;
}

void GameSession::secure()
{
    m_state.SecuredPoints = PointsTable(m_state.CurrentLevel);
}

bool GameSession::moveUp()
{
    m_state.CurrentLevel += 1;
    return m_state.CurrentLevel > kLevels;
}

std::array<int, 2> GameSession::fiftyFifty()
{
    const std::array<int, 2> blanks = FiftyFiftyBlanks(m_state.CorrectButton, m_random);
    for (const int b : blanks)
        m_blanked[static_cast<size_t>(b)] = true;
    m_recorder.fiftyFiftyUsed(blanks);
    return blanks;
}

std::array<int, 5> GameSession::askAudience()
{
    const auto classShares = classVotes();
    const std::array<int, 5> votes = classShares ? *classShares : AudienceVotes(m_state.CorrectButton, m_random);
    m_recorder.audienceAsked(votes);
    return votes;
}

// With "Зал=класс" the audience shows how this lesson's students answered the question on
// screen, as the journals of every machine in the program folder hold it. The bank's answers
// are counted on the buttons that show them now. After fifty-fifty the two answers left share
// the fifty votes between them, as the poll's marks do.
std::optional<std::array<int, 5>> GameSession::classVotes() const
{
    if (!m_settings.hallIsClass || m_shown.order.size() != 4)
        return std::nullopt;
    const ClassAnswers given = GatherClassAnswers(m_folder, cp1251::decode(m_state.LessonCode), m_shown.line,
                                                  kClassLookupMs);
    if (given.total() < kClassAnswersNeeded)
        return std::nullopt;
    std::array<int, 5> onButton{};
    for (size_t b = 1; b <= 4; ++b) {
        const int bankAnswer = m_shown.order[static_cast<qsizetype>(b - 1)] - '0';
        if (!m_blanked[b] && bankAnswer >= 1 && bankAnswer <= 4)
            onButton[b] = given.chosen[static_cast<size_t>(bankAnswer)];
    }
    // The class chose only answers fifty-fifty has taken away: it has nothing to say on these two.
    if (onButton[1] + onButton[2] + onButton[3] + onButton[4] == 0)
        return std::nullopt;
    return VotesFromAnswers(onButton);
}

Result<FriendCall> GameSession::phoneFriend()
{
    using R = Result<FriendCall>;
    const auto storedFriend = RegReadInteger(kCounterSection, cp1251::text(u"Друг"), 0);
    const auto storedPhrase = RegReadInteger(kCounterSection, cp1251::text(u"Фраза"), 0);
    if (!storedFriend.ok() || !storedPhrase.ok())
        return R::failure(storedFriend.ok() ? storedPhrase.error : storedFriend.error);
    FriendCounters call = NextFriendCounters(storedFriend.value, storedPhrase.value);
    Status stored = RegWriteInteger(kCounterSection, cp1251::text(u"Друг"), call.friendIndex);
    if (stored.ok())
        stored = RegWriteInteger(kCounterSection, cp1251::text(u"Фраза"), call.phraseIndex);
    if (!stored.ok())
        return R::failure(stored.error);

    // The right answer as its button reads, letter included, in the text the screen can show.
    const int right = m_state.CorrectButton;
    const QByteArray caption = QByteArray(1, static_cast<char>('A' + right - 1)) + ". " + m_state.AnswerTexts[1];
    const QByteArray correctCaption = cp1251::encode(cp1251::decode(caption)).value_or(QByteArray());
    FriendCall c;
    c.friendIndex = call.friendIndex;
    c.reply = FriendReply(call.friendIndex, call.phraseIndex, right, correctCaption, m_state.AnswerTexts);
    c.number = DialNumber(call.friendIndex, call.phraseIndex, right, m_state.CurrentLevel, m_state.SecuredPoints);
    m_recorder.friendCalled(c.reply);
    m_call = c;
    return R::success(c);
}

std::optional<QByteArray> GameSession::dial(const QByteArray &digits)
{
    if (!m_call || digits != m_call->number)
        return std::nullopt;
    return m_call->reply;
}

void GameSession::hangUp()
{
    m_call.reset();
}

Status GameSession::finishGame(GameEnding how)
{
    if (how != GameEnding::NoQuestion) {
        const QString results = ResultsFilePath(m_folder);
        const RecordWritten written =
            m_writeRecord ? m_writeRecord(results, m_state.LessonCode, m_state.PlayerName, m_state.CurrentLevel, how)
                          : RecordWritten{WriteResult(results, m_state.LessonCode, m_state.PlayerName, m_state.CurrentLevel)};
        if (!written.status.ok()) {
            // The grade is nowhere: the school's server gets none either, and the journal keeps
            // the game as unfinished, with the question it stopped on.
            m_recorder.gameLeft();
            return written.status;
        }
        if (written.later)
            return Status::success();
    }
    m_recorder.gameEnded(how, m_state.CurrentLevel);
    return Status::success();
}

void GameSession::leave()
{
    m_recorder.gameLeft();
    m_state.CurrentLevel = 0;
}

Status GameSession::storeCounters() const
{
    Status stored = RegWriteInteger(kCounterSection, cp1251::text(u"Ответ"), m_state.RemarkIndex);
    if (stored.ok())
        stored = RegWriteInteger(kCounterSection, cp1251::text(u"Звук"), m_state.SoundIndex);
    return stored;
}
