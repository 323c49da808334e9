#include "gamejournal.h"

#include "answerrow.h"
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

QDateTime utc(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

} // namespace

JournalClock JournalClock::system()
{
    auto steady = std::make_shared<QElapsedTimer>();
    steady->start();
    return {[] { return QDateTime::currentMSecsSinceEpoch(); }, [steady] { return steady->elapsed(); }};
}

GameJournal::GameJournal(const QString &programFolder, const QString &machine, JournalClock clock, JournalSync sync)
    : m_store(std::make_shared<JournalStore>(programFolder, machine, clock.wallMs, sync))
    , m_clock(std::move(clock))
    , m_failover(std::make_shared<Failover>(Failover{{}, m_store->machine(), m_clock.wallMs}))
{
}

GameJournal::GameJournal(std::shared_ptr<JournalStore> store, JournalClock clock)
    : m_store(std::move(store))
    , m_clock(std::move(clock))
    , m_failover(std::make_shared<Failover>(Failover{{}, m_store->machine(), m_clock.wallMs}))
    , m_checkpointAtStart(false)
{
}

void GameJournal::keepOutbox(std::function<void()> written)
{
    m_written = std::move(written);
    m_store->keepOutbox();
}

QList<JournalStatement> GameJournal::withOutbox(const JournalStatement &row, const QString &table,
                                                const TableRow &serverRow) const
{
    QList<JournalStatement> statements{row};
    if (m_written)
        statements << OutboxRow(table, serverRow);
    return statements;
}

void GameJournal::sendUnjournaled(DirectSend send)
{
    m_send = std::move(send);
    m_failover->send = m_send;
}

void GameJournal::Failover::take(const QString &why, const Rows &rows)
{
    if (!send)
        return;
    if (!direct) {
        direct = true;
        send(outbox::kJournalFailures, {{"id", QUuid::createUuid().toString(QUuid::WithoutBraces)},
                                        {"machine", machine},
                                        {"noted", JournalTime(wallMs())},
                                        {"reason", why.isEmpty() ? QStringLiteral("журнал не записан") : why}});
    }
    for (const auto &[table, row] : rows)
        send(table, row);
}

void GameJournal::unjournaled(const QString &id, const Rows &rows)
{
    if (!m_send)
        return;
    if (!direct())
        m_gameId = id;
    m_failover->take(m_store->lastProblem(), rows);
}

JournalStore::Lost GameJournal::lostAs(const QString &id, const Rows &rows)
{
    return [failover = m_failover, self = std::weak_ptr<GameJournal *>(m_self), id, rows](const QString &why) {
        failover->take(why, rows);
        // A journal still writing this game writes no more of it where the rows cannot go
        // elsewhere: a game's rows with a gap would read as a different game.
        const std::shared_ptr<GameJournal *> journal = self.lock();
        if (journal && (*journal)->m_gameId == id && !failover->direct) {
            (*journal)->m_gameId.clear();
            (*journal)->m_pending.reset();
        }
    };
}

void GameJournal::sent()
{
    if (m_written)
        m_written();
}

void GameJournal::gameStarted(const StartedGame &game)
{
    m_gameId.clear();
    m_failover = std::make_shared<Failover>(Failover{m_send, m_store->machine(), m_clock.wallMs});
    m_pending.reset();
    if (!game.unchecked.isEmpty())
        noteUnchecked(game);
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const qint64 now = m_clock.wallMs();
    m_lesson = cp1251::decode(game.lessonCode);
    m_student = cp1251::decode(game.playerName);
    JournalGame started;
    started.id = id;
    started.lesson = m_lesson;
    started.student = m_student;
    started.machine = m_store->machine();
    started.bankFile = QFileInfo(game.bankPath).absoluteFilePath();
    started.bankSha256 = fileSha256(game.bankPath);
    started.started = utc(now);
    const TableRow row = GameStartRow(started);
    const TableRow unchecked{{"game", id},          {"lesson", m_lesson},          {"student", m_student},
                             {"machine", m_store->machine()}, {"noted", JournalTime(now)}, {"reason", game.unchecked}};
    QList<std::pair<QString, TableRow>> serverRows{{outbox::kGames, row}};
    if (!game.unchecked.isEmpty())
        serverRows.append({outbox::kUncheckedAttempts, unchecked});
    if (!m_store->open())
        return unjournaled(id, serverRows);
    if (m_checkpointAtStart)
        m_store->checkpoint();
    auto statements = withOutbox({InsertSql(QStringLiteral("games"), row), row.values()}, outbox::kGames, row);
    if (m_written && !game.unchecked.isEmpty())
        statements << OutboxRow(outbox::kUncheckedAttempts, unchecked);
    if (m_store->runAll(statements, QStringLiteral("начало игры"), true, lostAs(id, serverRows)))
        m_gameId = id;
    else
        unjournaled(id, serverRows);
    sent();
}

// The teacher learns of it beside the journal at once, and from the server once it answers.
void GameJournal::noteUnchecked(const StartedGame &game)
{
    m_store->note(QStringLiteral("попытка «%1» по занятию «%2» не проверена на сервере школы (%3): "
                                "игра допущена по tallory.rez этой машины")
                     .arg(cp1251::decode(game.playerName), cp1251::decode(game.lessonCode), game.unchecked));
}

void GameJournal::questionShown(const ShownQuestion &question)
{
    if (m_gameId.isEmpty())
        return;
    m_pending = Pending{question, m_clock.wallMs(), m_clock.steadyMs(), {}, {}, {}, {}};
}

void GameJournal::fiftyFiftyUsed(const std::array<int, 2> &blanked)
{
    if (m_pending)
        m_pending->fiftyBlanked = {std::min(blanked[0], blanked[1]), std::max(blanked[0], blanked[1])};
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
    if (!writeAnswer(*m_pending, button) && !direct())
        m_gameId.clear();
    m_pending.reset();
}

TableRow GameJournal::answerRow(const Pending &q, int button) const
{
    const ShownQuestion &s = q.shown;
    const auto bankAnswer = [&](int b) { return s.order.size() == 4 ? s.order[b - 1] - '0' : 0; };
    JournalAnswer a;
    a.game = m_gameId;
    a.level = s.level;
    a.bankIndex = s.bankIndex;
    a.questionSha256 = QuestionSha256(s.line);
    a.shown = utc(q.shownMs);
    a.question = cp1251::decode(s.question);
    for (int b = 1; b <= 4; ++b)
        a.answers[static_cast<size_t>(b)] = cp1251::decode(s.answers[static_cast<size_t>(std::clamp(bankAnswer(b), 0, 4))]);
    a.rightButton = static_cast<int>(s.order.indexOf('1')) + 1;
    if (button >= 1 && button <= 4) {
        a.clickedButton = button;
        a.chosen = bankAnswer(button);
        a.ms = m_clock.steadyMs() - q.shownSteady;
    }
    a.fiftyBlanked = q.fiftyBlanked;
    a.votes = q.votes;
    a.friendReply = q.friendReply;
    a.tease = q.tease;
    return AnswerRow(a);
}

bool GameJournal::writeAnswer(const Pending &q, int button)
{
    const TableRow row = answerRow(q, button);
    if (direct()) {
        unjournaled(m_gameId, {{outbox::kAnswers, row}});
        return false;
    }
    const JournalStatement insert{InsertSql(QStringLiteral("answers"), row), row.values()};
    const bool written = m_store->runAll(withOutbox(insert, outbox::kAnswers, row), QStringLiteral("ответ"), true,
                                         lostAs(m_gameId, {{outbox::kAnswers, row}}));
    if (!written)
        unjournaled(m_gameId, {{outbox::kAnswers, row}});
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
    if (how == GameEnding::Stop && m_pending && !writeAnswer(*m_pending, 0) && !direct())
        return m_gameId.clear();
    m_pending.reset();
    const bool graded = how != GameEnding::NoQuestion;
    JournalGame game;
    game.id = m_gameId;
    game.ended = utc(m_clock.wallMs());
    game.ending = how;
    if (graded) {
        game.levelsPassed = currentLevel - 1;
        game.grade = cp1251::decode(GradeWord(currentLevel));
    }
    const TableRow end = GameEndRow(game);
    auto statements = withOutbox(
        {QStringLiteral("UPDATE games SET ended = ?, ending = ?, levels_passed = ?, grade = ? WHERE id = ?"),
         end.valuesOf({QStringLiteral("ended"), QStringLiteral("ending"), QStringLiteral("levels_passed"),
                       QStringLiteral("grade"), QStringLiteral("game")})},
        outbox::kGameEnds, end);
    // The record tallory.rez is about to get, under the game's own id.
    const TableRow record = ResultRow({m_gameId, m_lesson, m_student, game.levelsPassed, game.grade,
                                       m_store->machine(), end.value(u"ended").toString()});
    if (m_written && graded)
        statements << OutboxRow(outbox::kResults, record);
    QList<std::pair<QString, TableRow>> serverRows{{outbox::kGameEnds, end}};
    if (graded)
        serverRows.append({outbox::kResults, record});
    // The end comes in the same click as the last answer, which has just been synced: it is
    // not synced again. The grade is safe in tallory.rez; should a power cut take this row,
    // the game shows as unfinished, which refuses nobody that tallory.rez would let play.
    if (direct() || !m_store->runAll(statements, QStringLiteral("конец игры"), false, lostAs(m_gameId, serverRows)))
        unjournaled(m_gameId, serverRows);
    m_gameId.clear();
    sent();
}

void GameJournal::pageLeft(int seq)
{
    if (!m_pending || m_gameId.isEmpty())
        return;
    const TableRow row{{"game", m_gameId},
                       {"seq", seq},
                       {"level", m_pending->shown.level},
                       {"left_at", JournalTime(m_clock.wallMs())}};
    if (direct())
        return unjournaled(m_gameId, {{outbox::kPageLeaves, row}});
    // Not synced: nothing waits on it, and the next answer's sync takes it to the disk.
    const JournalStatement insert{InsertSql(QStringLiteral("page_leaves"), row), row.values()};
    if (!m_store->runAll(withOutbox(insert, outbox::kPageLeaves, row), QStringLiteral("уход со страницы"), false,
                         lostAs(m_gameId, {{outbox::kPageLeaves, row}})))
        unjournaled(m_gameId, {{outbox::kPageLeaves, row}});
    sent();
}

bool GameJournal::leftUnfinished(const QByteArray &lessonCode, const QByteArray &playerName)
{
    if (!m_store->open())
        return false;
    const auto found = m_store->anyRow(
        QStringLiteral("SELECT 1 FROM games WHERE lesson = ? AND student = ? AND ended IS NULL LIMIT 1"),
        {cp1251::decode(lessonCode), cp1251::decode(playerName)}, QStringLiteral("проверка попыток"));
    return found.value_or(false);
}
