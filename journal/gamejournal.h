#pragma once
// The game's recorder that writes the journal: a row per game as it starts, completed as it
// ends, and a row per answer, each on the disk before the next question shows. The question on
// screen, its lifelines and the host's tease are held until the answer is written with them.

#include "gamerecorder.h"
#include "journalstore.h"
#include "tablerow.h"

#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <optional>

/// The clocks a journal reads: the wall clock for start and end times, a steady one for the
/// milliseconds from a question to its answer. Tests hand in their own.
struct JournalClock {
    std::function<qint64()> wallMs;   ///< ms since the epoch
    std::function<qint64()> steadyMs; ///< ms from any fixed point; never goes back
    /// The computer's clocks.
    static JournalClock system();
};

class GameJournal final : public GameRecorder
{
public:
    /// The journal of machine in programFolder (ending in "/"); nothing is opened before the
    /// first game asks for it.
    GameJournal(const QString &programFolder, const QString &machine, JournalClock clock = JournalClock::system(),
                JournalSync sync = JournalSync::Full);
    /// A journal that writes its games into store, which other journals may share: many games
    /// at once in one machine's file, each with its own rows, through one connection. A game's
    /// start does not checkpoint a shared store: one game's start is the others' answer time,
    /// so the store's owner checkpoints it when it is quiet (JournalStore::checkpoint).
    GameJournal(std::shared_ptr<JournalStore> store, JournalClock clock = JournalClock::system());
    GameJournal(const GameJournal &) = delete;
    GameJournal &operator=(const GameJournal &) = delete;

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
    /// The student left the page of a class server's game with the question on screen: the
    /// seq-th time in this game (1, 2, ...). Nothing without a question on screen.
    void pageLeft(int seq);

    /// From now on every row written goes into the journal's outbox too, in the same
    /// transaction, for the school's server; written is called after each (the sender's poke).
    void keepOutbox(std::function<void()> written);

    /// Rows for the school's server that the journal could not take (damaged, read-only, locked,
    /// full): from the first one a game's journal fails, its rows (and a note that it failed)
    /// go to send instead, so the server still gets at least what tallory.rez records.
    using DirectSend = std::function<void(const QString &table, const TableRow &row)>;
    void sendUnjournaled(DirectSend send);

    /// The file written to.
    QString path() const { return m_store->path(); }

    /// Where a game's rows stand: its id, and the question on screen with what was used on it,
    /// not yet written. Another journal on the same file goes on from it (goOn).
    struct Place {
        QString gameId; ///< empty: no game being written
        QString lesson, student;
        bool direct = false; ///< the game's rows go straight to the school's server
        std::optional<ShownQuestion> shown;
        qint64 shownMs = 0;    ///< on the wall clock
        qint64 shownAgoMs = 0; ///< how long the question had been on screen
        std::array<int, 2> fiftyBlanked{};
        std::optional<std::array<int, 5>> votes;
        QString friendReply;
        QString tease;
    };
    Place place() const;
    /// Goes on writing a game started elsewhere (another run of the program): its next answer
    /// and its end are rows of that game, and the question on screen keeps its lifelines.
    void goOn(const Place &place);

private:
    using Rows = QList<std::pair<QString, TableRow>>;
    /// Where a game's rows go once its journal failed: the school's server, straight from
    /// memory. Shared with the rows a store holds in a batch, which may be lost after the
    /// game (and this journal) is gone.
    struct Failover {
        DirectSend send;
        QString machine;
        std::function<qint64()> wallMs;
        bool direct = false; ///< the game's rows go to send: its journal failed
        void take(const QString &why, const Rows &rows);
    };
    struct Pending {
        ShownQuestion shown;
        qint64 shownMs = 0; ///< on the wall clock
        qint64 shownSteady = 0;
        std::array<int, 2> fiftyBlanked{}; ///< the buttons blanked, the lower first; 0, 0 none
        std::optional<std::array<int, 5>> votes;
        QString friendReply;
        QString tease;
    };
    bool writeAnswer(const Pending &q, int button);
    TableRow answerRow(const Pending &q, int button) const;
    /// The journal failed at step: this game's rows go straight to the server from now on.
    void unjournaled(const QString &id, const Rows &rows);
    bool direct() const { return m_failover->direct; }
    /// What becomes of rows written into a store's batch should the batch not reach the disk:
    /// the same as of rows whose write failed at once.
    JournalStore::Lost lostAs(const QString &id, const Rows &rows);
    /// The statement, and its outbox copy when one is kept.
    QList<JournalStatement> withOutbox(const JournalStatement &row, const QString &table,
                                       const TableRow &serverRow) const;
    void noteUnchecked(const StartedGame &game);
    void sent();

    std::shared_ptr<JournalStore> m_store;
    JournalClock m_clock;
    QString m_gameId; ///< empty while no game is being written
    QString m_lesson, m_student; ///< of the game being written, as the journal holds them
    std::function<void()> m_written; ///< set while an outbox is kept
    DirectSend m_send;               ///< set where a server is named
    std::shared_ptr<Failover> m_failover; ///< of the game being written
    /// What the rows lost from a batch look at to learn whether this journal is still there.
    std::shared_ptr<GameJournal *> m_self = std::make_shared<GameJournal *>(this);
    std::optional<Pending> m_pending;
    bool m_checkpointAtStart = true; ///< a store of its own: checkpointed as each game starts
};
