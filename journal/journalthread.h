#pragma once
// The game window's journal: a GameJournal that lives on a thread of its own, with its own
// connection to the machine's file (Qt's SQL connections belong to the thread that made them).
// The window hands each call over and goes on; the writes and their syncs to the disk happen on
// the writer's thread, one after another in the order the window made them. An answer click
// therefore never waits for the disk: a busy disk's sync takes tens of milliseconds, and the
// click must answer at once.
//
// The window waits for the writer only where waiting costs the student nothing, and never for
// long (a disk that hangs must not hold the game):
// - before a question shows, for everything handed over before it: the answer to the last
//   question comes to the disk while the host speaks, seconds before; and the first question
//   waits for the game's own row, so a game counts as an attempt before it can be answered;
// - as a game ends or is left, for its last rows, before the grade is written and shown;
// - for the strict attempts' check, which the student waits for anyway, and which comes after
//   every row before it;
// - when the journal closes (the program's end), for what is still queued.
// A wait that runs out lets the game go on; the rows stay queued and reach the disk, in their
// order, when the writer can go on. While the writer is behind like that, the window does not
// wait for it again until it moves on, so a hung disk costs one pause, not one a question.

#include "gamejournal.h"

#include <functional>
#include <memory>
#include <optional>
#include <thread>

/// How long the window waits for the journal's writer where it waits, in ms.
struct JournalWaits {
    int questionMs = 2000; ///< before a question shows
    int endMs = 2000;      ///< as a game ends or is left
    int checkMs = 5000;    ///< the strict attempts' check (may open and check a big journal first)
    int closeMs = 5000;    ///< the journal closing with rows still queued
    /// Run on the writer's thread before each step; empty in the program. Tests hold the writer
    /// here, as a disk that hangs would.
    std::function<void()> beforeStep = {};
};

class JournalThread final : public GameRecorder
{
public:
    /// The journal of machine in programFolder (ending in "/"), as GameJournal; the clocks are
    /// read on the window's thread, as each call is handed over.
    JournalThread(const QString &programFolder, const QString &machine, JournalClock clock = JournalClock::system(),
                  JournalSync sync = JournalSync::Full, JournalWaits waits = {});
    /// Waits for what is still queued (at most closeMs), then the writer ends. A writer still
    /// held by the disk then is left to finish on its own and tells nobody of it any more.
    ~JournalThread() override;
    JournalThread(const JournalThread &) = delete;
    JournalThread &operator=(const JournalThread &) = delete;

    void gameStarted(const StartedGame &game) override;
    void questionShown(const ShownQuestion &question) override;
    void fiftyFiftyUsed(const std::array<int, 2> &blanked) override;
    void audienceAsked(const std::array<int, 5> &votes) override;
    void friendCalled(const QByteArray &reply) override;
    void teaseShown(const QByteArray &tease) override;
    void answered(int button) override;
    void gameLeft() override;
    void gameEnded(GameEnding how, int currentLevel) override;
    bool leftUnfinished(const QByteArray &lessonCode, const QByteArray &playerName) override;

    /// As GameJournal's; written and send are called on the writer's thread (the sender's poke
    /// and its queue of direct rows are safe to call from any thread), and never once this
    /// journal is gone: the sender may go after it.
    void keepOutbox(std::function<void()> written);
    void sendUnjournaled(GameJournal::DirectSend send);

    /// The file written to.
    QString path() const { return m_path; }

    /// Waits until everything handed over so far is written, at most ms: true when it is.
    bool settle(int ms);

    struct State;

private:
    /// Hands a step over; the clocks are read now, on this thread.
    quint64 post(std::function<void(GameJournal &)> step);
    /// A bounded wait for the steps up to ticket, skipped while the writer is behind after a
    /// wait that ran out.
    bool waitFor(quint64 ticket, int ms);
    /// The ticket of the last step handed over.
    quint64 lastTicket() const;

    QString m_path;
    JournalClock m_clock;
    JournalWaits m_waits;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
    /// The steps done when a wait last ran out, while the writer has not moved on since.
    std::optional<quint64> m_behindAt;
};
