#include "journalthread.h"

#include "journalfiles.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#ifdef Q_OS_LINUX
#include <pthread.h>
#include <sched.h>
#endif

// The records' group (see recordgroup.h) is raised by the journal on the writer's thread, around
// the opening of its files and their removal as it closes, and around a note for the teacher;
// the window's thread raises it around the results file. setresgid changes the group of the
// whole process, every thread at once, so the two must never overlap: a scope ending on one
// thread would lower the group under the other's write, or leave it raised after both. They
// cannot: every RecordGroupScope holds one process-wide lock for its whole life, so a scope on
// one thread waits until the other's has ended. They rarely meet at all, as the writer raises the
// group only to open: SQLite keeps the file, its log and the log's index open from then on, and
// an answer is written through those descriptors with no group raised, no setresgid per answer.

struct JournalThread::State {
    struct Step {
        qint64 wall = 0;
        qint64 steady = 0;
        std::function<void(GameJournal &)> run;
    };

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Step> steps;
    quint64 posted = 0; ///< steps handed over so far
    quint64 done = 0;   ///< steps the writer has finished
    bool stop = false;
    bool exited = false;

    std::mutex callbacks;
    bool forgotten = false; ///< the window's side is gone: nobody is told any more
    std::function<void()> written;
    GameJournal::DirectSend send;

    // The writer's thread's alone: the window's clocks as the step being run was handed over.
    qint64 wall = 0;
    qint64 steady = 0;

    void callWritten()
    {
        std::lock_guard hold(callbacks);
        if (!forgotten && written)
            written();
    }
    void callSend(const QString &table, const TableRow &row)
    {
        std::lock_guard hold(callbacks);
        if (!forgotten && send)
            send(table, row);
    }

    void run(const QString &folder, const QString &machine, JournalSync sync, const std::function<void()> &beforeStep)
    {
#ifdef Q_OS_LINUX
        // Woken by a click, the writer would otherwise take the processor from the window's
        // thread on a busy machine, and the click would wait for the writer's work after all.
        // A batch thread gets its full share, yet never preempts the thread that woke it.
        const sched_param batch{};
        pthread_setschedparam(pthread_self(), SCHED_BATCH, &batch);
#endif
        {
            GameJournal journal(folder, machine, JournalClock{[this] { return wall; }, [this] { return steady; }}, sync);
            for (;;) {
                Step step;
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [&] { return !steps.empty() || stop; });
                    if (steps.empty())
                        break; // stopped, and everything handed over is written
                    step = std::move(steps.front());
                    steps.pop_front();
                }
                if (beforeStep)
                    beforeStep();
                wall = step.wall;
                steady = step.steady;
                step.run(journal);
                {
                    std::lock_guard lock(mutex);
                    ++done;
                }
                changed.notify_all();
            }
        } // the journal's connection closes on the thread that opened it
        std::lock_guard lock(mutex);
        exited = true;
        changed.notify_all();
    }
};

JournalThread::JournalThread(const QString &programFolder, const QString &machine, JournalClock clock,
                             JournalSync sync, JournalWaits waits)
    : m_path(JournalFilePath(programFolder, machine))
    , m_clock(std::move(clock))
    , m_waits(std::move(waits))
    , m_state(std::make_shared<State>())
{
    // The thread holds the state too: left to finish on its own, it outlives this object.
    m_thread = std::thread([state = m_state, programFolder, machine, sync, before = m_waits.beforeStep] {
        state->run(programFolder, machine, sync, before);
    });
}

JournalThread::~JournalThread()
{
    std::unique_lock lock(m_state->mutex);
    m_state->stop = true;
    m_state->changed.notify_all();
    const bool exited = m_state->changed.wait_for(lock, std::chrono::milliseconds(m_waits.closeMs),
                                                  [&] { return m_state->exited; });
    lock.unlock();
    {
        std::lock_guard hold(m_state->callbacks);
        m_state->forgotten = true;
    }
    if (exited)
        m_thread.join();
    else
        m_thread.detach();
}

quint64 JournalThread::post(std::function<void(GameJournal &)> step)
{
    const qint64 wall = m_clock.wallMs();
    const qint64 steady = m_clock.steadyMs();
    std::lock_guard lock(m_state->mutex);
    m_state->steps.push_back({wall, steady, std::move(step)});
    const quint64 ticket = ++m_state->posted;
    m_state->changed.notify_all();
    return ticket;
}

bool JournalThread::waitFor(quint64 ticket, int ms)
{
    std::unique_lock lock(m_state->mutex);
    if (m_state->done >= ticket)
        return true;
    // The writer has not moved on since a wait last ran out: waiting again would only pause the
    // game once more for a disk that hangs.
    if (m_behindAt && *m_behindAt == m_state->done)
        return false;
    m_behindAt.reset();
    if (m_state->changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_state->done >= ticket; }))
        return true;
    m_behindAt = m_state->done;
    return false;
}

bool JournalThread::settle(int ms)
{
    std::unique_lock lock(m_state->mutex);
    const quint64 ticket = m_state->posted;
    return m_state->changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_state->done >= ticket; });
}

quint64 JournalThread::lastTicket() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->posted;
}

void JournalThread::keepOutbox(std::function<void()> written)
{
    {
        std::lock_guard hold(m_state->callbacks);
        m_state->written = std::move(written);
    }
    post([s = m_state.get()](GameJournal &j) { j.keepOutbox([s] { s->callWritten(); }); });
}

void JournalThread::sendUnjournaled(GameJournal::DirectSend send)
{
    {
        std::lock_guard hold(m_state->callbacks);
        m_state->send = std::move(send);
    }
    post([s = m_state.get()](GameJournal &j) {
        j.sendUnjournaled([s](const QString &table, const TableRow &row) { s->callSend(table, row); });
    });
}

void JournalThread::gameStarted(const StartedGame &game)
{
    post([game](GameJournal &j) { j.gameStarted(game); });
}

void JournalThread::questionShown(const ShownQuestion &question)
{
    // Before the question shows, everything before it is on the disk: the game's row before the
    // first question, the last answer before the next. The window used to wait for the answer's
    // sync in the click itself; now a program that dies in the seconds between a click and the
    // next question may lose that one answer, never the game's row, and the game still counts
    // as an attempt. The clocks are read after the wait: the student's time starts as he sees
    // the question.
    waitFor(lastTicket(), m_waits.questionMs);
    post([question](GameJournal &j) { j.questionShown(question); });
}

void JournalThread::fiftyFiftyUsed(const std::array<int, 2> &blanked)
{
    post([blanked](GameJournal &j) { j.fiftyFiftyUsed(blanked); });
}

void JournalThread::audienceAsked(const std::array<int, 5> &votes)
{
    post([votes](GameJournal &j) { j.audienceAsked(votes); });
}

void JournalThread::friendCalled(const QByteArray &reply)
{
    post([reply](GameJournal &j) { j.friendCalled(reply); });
}

void JournalThread::teaseShown(const QByteArray &tease)
{
    post([tease](GameJournal &j) { j.teaseShown(tease); });
}

void JournalThread::answered(int button)
{
    // The click only hands the answer over: its time to think is read now, the row is written
    // and synced on the writer's thread while the host speaks.
    post([button](GameJournal &j) { j.answered(button); });
}

void JournalThread::gameLeft()
{
    waitFor(post([](GameJournal &j) { j.gameLeft(); }), m_waits.endMs);
}

void JournalThread::gameEnded(GameEnding how, int currentLevel)
{
    // The end is in the journal before the grade is written and shown, as it was before.
    waitFor(post([how, currentLevel](GameJournal &j) { j.gameEnded(how, currentLevel); }), m_waits.endMs);
}

bool JournalThread::leftUnfinished(const QByteArray &lessonCode, const QByteArray &playerName)
{
    auto found = std::make_shared<bool>(false);
    const quint64 ticket = post(
        [found, lessonCode, playerName](GameJournal &j) { *found = j.leftUnfinished(lessonCode, playerName); });
    // Asked of the writer, after every row handed over before it. A journal that does not answer
    // in time counts as one that cannot be read: tallory.rez decides alone, as when it fails.
    return waitFor(ticket, m_waits.checkMs) && *found;
}
