#include "gamejournal.h"

#include "cp1251.h"
#include "journalschema.h"
#include "outbox.h"
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

void GameJournal::keepOutbox(std::function<void()> written)
{
    m_written = std::move(written);
    m_store.keepOutbox();
}

QList<JournalStatement> GameJournal::withOutbox(const JournalStatement &row, const QString &table,
                                                const QVariantList &serverValues) const
{
    QList<JournalStatement> statements{row};
    if (m_written)
        statements << OutboxRow(table, serverValues);
    return statements;
}

void GameJournal::sendUnjournaled(DirectSend send)
{
    m_send = std::move(send);
}

void GameJournal::unjournaled(const QString &id, const QList<std::pair<QString, QVariantList>> &rows)
{
    if (!m_send)
        return;
    if (!m_direct) {
        m_direct = true;
        m_gameId = id;
        const QString why = m_store.lastProblem().isEmpty() ? QStringLiteral("журнал не записан")
                                                            : m_store.lastProblem();
        m_send(outbox::kJournalFailures, {QUuid::createUuid().toString(QUuid::WithoutBraces), m_store.machine(),
                                          JournalTime(m_clock.wallMs()), why});
    }
    for (const auto &[table, values] : rows)
        m_send(table, values);
}

void GameJournal::sent()
{
    if (m_written)
        m_written();
}

void GameJournal::gameStarted(const StartedGame &game)
{
    m_gameId.clear();
    m_direct = false;
    m_pending.reset();
    if (!game.unchecked.isEmpty())
        noteUnchecked(game);
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString now = JournalTime(m_clock.wallMs());
    m_lesson = cp1251::decode(game.lessonCode);
    m_student = cp1251::decode(game.playerName);
    const QVariantList values{id, m_lesson, m_student, m_store.machine(),
                              QFileInfo(game.bankPath).absoluteFilePath(), fileSha256(game.bankPath), now};
    const QVariantList unchecked{id, m_lesson, m_student, m_store.machine(), now, game.unchecked};
    QList<std::pair<QString, QVariantList>> serverRows{{outbox::kGames, values}};
    if (!game.unchecked.isEmpty())
        serverRows.append({outbox::kUncheckedAttempts, unchecked});
    if (!m_store.open())
        return unjournaled(id, serverRows);
    m_store.checkpoint();
    auto statements = withOutbox({QStringLiteral("INSERT INTO games (id, lesson, student, machine, bank_file, "
                                                 "bank_sha256, started) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                                  values},
                                 outbox::kGames, values);
    if (m_written && !game.unchecked.isEmpty())
        statements << OutboxRow(outbox::kUncheckedAttempts, unchecked);
    if (m_store.runAll(statements, QStringLiteral("начало игры")))
        m_gameId = id;
    else
        unjournaled(id, serverRows);
    sent();
}

// The teacher learns of it beside the journal at once, and from the server once it answers.
void GameJournal::noteUnchecked(const StartedGame &game)
{
    m_store.note(QStringLiteral("попытка «%1» по занятию «%2» не проверена на сервере школы (%3): "
                                "игра допущена по tallory.rez этой машины")
                     .arg(cp1251::decode(game.playerName), cp1251::decode(game.lessonCode), game.unchecked));
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
    if (!writeAnswer(*m_pending, button) && !m_direct)
        m_gameId.clear();
    m_pending.reset();
}

QVariantList GameJournal::answerValues(const Pending &q, int button) const
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
    return values;
}

bool GameJournal::writeAnswer(const Pending &q, int button)
{
    const QVariantList values = answerValues(q, button);
    if (m_direct) {
        unjournaled(m_gameId, {{outbox::kAnswers, values}});
        return false;
    }
    const JournalStatement row{QStringLiteral("INSERT INTO answers (game, level, bank_index, question_sha256, "
                                              "shown, question, answer_a, answer_b, answer_c, answer_d, "
                                              "right_button, clicked_button, chosen, ms, fifty_blanked, votes_a, "
                                              "votes_b, votes_c, votes_d, friend_reply, tease) "
                                              "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                               values};
    const bool written = m_store.runAll(withOutbox(row, outbox::kAnswers, values), QStringLiteral("ответ"));
    if (!written)
        unjournaled(m_gameId, {{outbox::kAnswers, values}});
    sent();
    return written;
}

void GameJournal::gameLeft()
{
    // The teacher sees which question the student walked away from, with the lifelines used on it.
    if (m_pending && !m_gameId.isEmpty())
        writeAnswer(*m_pending, 0);
    m_pending.reset();
    m_gameId.clear();
}

void GameJournal::gameEnded(GameEnding how, int currentLevel)
{
    if (m_gameId.isEmpty())
        return;
    // The question the student stopped on is kept with its lifelines, unanswered.
    if (how == GameEnding::Stop && m_pending && !writeAnswer(*m_pending, 0) && !m_direct)
        return m_gameId.clear();
    m_pending.reset();
    const bool graded = how != GameEnding::NoQuestion;
    const QString ended = JournalTime(m_clock.wallMs());
    const QVariant levels = graded ? QVariant(currentLevel - 1) : nullInt();
    const QVariant grade = graded ? QVariant(cp1251::decode(GradeWord(currentLevel))) : orNull(QString());
    auto statements = withOutbox(
        {QStringLiteral("UPDATE games SET ended = ?, ending = ?, levels_passed = ?, grade = ? WHERE id = ?"),
         {ended, endingName(how), levels, grade, m_gameId}},
        outbox::kGameEnds, {m_gameId, ended, endingName(how), levels, grade});
    const QVariantList end{m_gameId, ended, endingName(how), levels, grade};
    // The record tallory.rez is about to get, under the game's own id.
    const QVariantList record{m_gameId, m_lesson, m_student, levels, grade, m_store.machine(), ended};
    if (m_written && graded)
        statements << OutboxRow(outbox::kResults, record);
    QList<std::pair<QString, QVariantList>> serverRows{{outbox::kGameEnds, end}};
    if (graded)
        serverRows.append({outbox::kResults, record});
    // The end comes in the same click as the last answer, which has just been synced: it is
    // not synced again. The grade is safe in tallory.rez; should a power cut take this row,
    // the game shows as unfinished, which refuses nobody that tallory.rez would let play.
    if (m_direct || !m_store.runAll(statements, QStringLiteral("конец игры"), false))
        unjournaled(m_gameId, serverRows);
    m_gameId.clear();
    m_direct = false;
    sent();
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
