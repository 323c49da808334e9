#include "gamejournal.h"

#include "cp1251.h"
#include "journalschema.h"
#include "results.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <QUuid>

#include <algorithm>
#include <memory>

namespace {

// The bank as it was played: its bytes' hash tells a later edit of the same file apart.
QString fileSha256(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

QString letter(int button)
{
    return QString(QLatin1Char(static_cast<char>('A' + button - 1)));
}

QString endingName(GameEnding how)
{
    switch (how) {
    case GameEnding::Wrong: return QStringLiteral("wrong");
    case GameEnding::Stop: return QStringLiteral("stop");
    case GameEnding::Won: return QStringLiteral("won");
    case GameEnding::NoQuestion: return QStringLiteral("noquestion");
    }
    return QString();
}

QVariant orNull(const QString &text)
{
    return text.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

QVariant nullInt()
{
    return QVariant(QMetaType(QMetaType::Int));
}

} // namespace

JournalClock JournalClock::system()
{
    auto steady = std::make_shared<QElapsedTimer>();
    steady->start();
    return {[] { return QDateTime::currentMSecsSinceEpoch(); }, [steady] { return steady->elapsed(); }};
}

GameJournal::GameJournal(const QString &programFolder, const QString &machine, JournalClock clock, JournalSync sync)
    : m_store(programFolder, machine, clock.wallMs, sync)
    , m_clock(std::move(clock))
{
}

void GameJournal::gameStarted(const StartedGame &game)
{
    m_gameId.clear();
    m_pending.reset();
    if (!m_store.open())
        return;
    m_store.checkpoint();
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const bool written = m_store.run(
        QStringLiteral("INSERT INTO games (id, lesson, student, machine, bank_file, bank_sha256, started) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?)"),
        {id, cp1251::decode(game.lessonCode), cp1251::decode(game.playerName), m_store.machine(),
         QFileInfo(game.bankPath).absoluteFilePath(), fileSha256(game.bankPath), JournalTime(m_clock.wallMs())},
        QStringLiteral("начало игры"));
    if (written)
        m_gameId = id;
}

void GameJournal::questionShown(const ShownQuestion &question)
{
    if (m_gameId.isEmpty())
        return;
    m_pending = Pending{question, JournalTime(m_clock.wallMs()), m_clock.steadyMs(), {}, {}, {}, {}};
}

void GameJournal::fiftyFiftyUsed(const std::array<int, 2> &blanked)
{
    if (m_pending)
        m_pending->fiftyBlanked = letter(std::min(blanked[0], blanked[1])) + letter(std::max(blanked[0], blanked[1]));
}

void GameJournal::audienceAsked(const std::array<int, 5> &votes)
{
    if (m_pending)
        m_pending->votes = votes;
}

void GameJournal::friendCalled(const QByteArray &reply)
{
    if (m_pending)
        m_pending->friendReply = cp1251::decode(reply);
}

void GameJournal::teaseShown(const QByteArray &tease)
{
    if (m_pending)
        m_pending->tease = cp1251::decode(tease);
}

void GameJournal::answered(int button)
{
    if (!m_pending || m_gameId.isEmpty())
        return;
    if (!writeAnswer(*m_pending, button))
        m_gameId.clear();
    m_pending.reset();
}

bool GameJournal::writeAnswer(const Pending &q, int button)
{
    const ShownQuestion &s = q.shown;
    const auto bankAnswer = [&](int b) { return s.order.size() == 4 ? s.order[b - 1] - '0' : 0; };
    const int right = static_cast<int>(s.order.indexOf('1')) + 1;
    QVariantList values{m_gameId, s.level, s.bankIndex, QuestionSha256(s.line), q.shownAt, cp1251::decode(s.question)};
    for (int b = 1; b <= 4; ++b)
        values << cp1251::decode(s.answers[static_cast<size_t>(std::clamp(bankAnswer(b), 0, 4))]);
    values << letter(right);
    if (button >= 1 && button <= 4)
        values << letter(button) << bankAnswer(button) << m_clock.steadyMs() - q.shownSteady;
    else
        values << orNull(QString()) << nullInt() << nullInt();
    values << orNull(q.fiftyBlanked.isEmpty() ? QString() : q.fiftyBlanked);
    for (size_t b = 1; b <= 4; ++b)
        values << (q.votes ? QVariant((*q.votes)[b]) : nullInt());
    values << orNull(q.friendReply) << orNull(q.tease);
    return m_store.run(QStringLiteral("INSERT INTO answers (game, level, bank_index, question_sha256, shown, "
                                      "question, answer_a, answer_b, answer_c, answer_d, right_button, "
                                      "clicked_button, chosen, ms, fifty_blanked, votes_a, votes_b, votes_c, "
                                      "votes_d, friend_reply, tease) "
                                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                       values, QStringLiteral("ответ"));
}

void GameJournal::gameEnded(GameEnding how, int currentLevel)
{
    if (m_gameId.isEmpty())
        return;
    // The question the student stopped on is kept with its lifelines, unanswered.
    if (how == GameEnding::Stop && m_pending && !writeAnswer(*m_pending, 0))
        return m_gameId.clear();
    m_pending.reset();
    const bool graded = how != GameEnding::NoQuestion;
    // The end comes in the same click as the last answer, which has just been synced: it is
    // not synced again. The grade is safe in tallory.rez; should a power cut take this row,
    // the game shows as unfinished, which refuses nobody that tallory.rez would let play.
    m_store.runUnsynced(QStringLiteral("UPDATE games SET ended = ?, ending = ?, levels_passed = ?, grade = ? WHERE id = ?"),
                {JournalTime(m_clock.wallMs()), endingName(how), graded ? QVariant(currentLevel - 1) : nullInt(),
                 graded ? QVariant(cp1251::decode(GradeWord(currentLevel))) : orNull(QString()), m_gameId},
                QStringLiteral("конец игры"));
    m_gameId.clear();
}

bool GameJournal::leftUnfinished(const QByteArray &lessonCode, const QByteArray &playerName)
{
    if (!m_store.open())
        return false;
    const auto found = m_store.anyRow(
        QStringLiteral("SELECT 1 FROM games WHERE lesson = ? AND student = ? AND ended IS NULL LIMIT 1"),
        {cp1251::decode(lessonCode), cp1251::decode(playerName)}, QStringLiteral("проверка попыток"));
    return found.value_or(false);
}
