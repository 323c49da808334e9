#pragma once
// One game's rules without a window: who may start, the question of each level and its answers'
// order, the verdict on a click, the points and the grades, the lifelines' decisions and the end
// with its record. A face (the desktop window, a test) shows what the session decided and tells
// it what the student did. Every call decides at once: the session never waits, has no clock of
// its own and shows nothing. It tells its recorder (the journal) each step, as it decides it.

#include "faq.h"
#include "gamerules.h"
#include "sessionsnapshot.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class RandomSource;

class GameSession : public GameRules
{
public:
    /// A session on programFolder (ending in "/"), drawing from random, telling recorder.
    GameSession(QString programFolder, RandomSource &random, GameRecorder &recorder);

    GameState &state() override { return m_state; }
    const GameState &state() const override { return m_state; }
    /// The settings as the last start read them.
    const GameSettings &settings() const override { return m_settings; }
    /// The raw question lines of the level asked last.
    std::vector<QByteArrayView> &levelLines() { return m_levelLines; }
    /// The question on screen as the bank holds it and as its answers are shuffled.
    const ShownQuestion &shown() const { return m_shown; }

    /// Whether a question is on screen, waiting for its answer.
    bool questionOpen() const override { return m_state.CurrentLevel >= 1 && m_state.CurrentLevel <= kLevels; }
    /// Whether a stop now keeps a grade: a question is open and points are secured.
    bool mayStop() const override { return questionOpen() && m_state.SecuredPoints > 0; }

    /// Whether the student may start: the settings read afresh; the lesson code typed (empty
    /// when cancelled), the name from askName, the results file (see DecideGameStart); then, with
    /// strict attempts, a game left unfinished in this machine's journal; then the school's
    /// server, when one is named. Every code of the lesson counts. What the start read (the
    /// code, the bank, the name) is kept even when it refuses, until the next start.
    Admission admit(const QString &typedLesson, const std::function<QString()> &askName,
                    const SchoolGuard &school) override;
    /// Starts the admitted game at level 1 with the host's counters from the store, and tells
    /// the recorder. An error when the store cannot be read; the game does not start then.
    Status begin(const QString &unchecked) override;

    /// The next question of the level on screen: drawn from the bank, its answers shuffled, the
    /// right button and the music tier set, and the recorder told. An error when the bank has
    /// no question for the level.
    LevelQuestion nextQuestion() override;

    /// A click on button 1..4: the host's counters move on, then either the tease (from level 6
    /// on, at the third remark) or the verdict. A right answer is not yet counted: see secure.
    Verdict click(int button) override;
    /// After a right answer has been shown: the level's points are secured.
    void secure() override;
    /// Then the game moves up a level. True when that was the last level: the game is won.
    bool moveUp() override;

    /// Fifty-fifty: the two wrong answers' buttons to blank.
    std::array<int, 2> fiftyFifty() override;
    /// The audience's votes per button [1..4]: the class's answers when the settings make the
    /// hall the class and enough were given, else the poll.
    std::array<int, 5> askAudience() override;
    /// Phone a friend: the store's counters move on and are kept. An error when the store
    /// cannot be read or written: no call then, and the lifeline is not spent.
    Result<FriendCall> phoneFriend() override;
    /// The friend's reply once digits are the number of the call in progress.
    std::optional<QByteArray> dial(const QByteArray &digits) override;
    /// The call is over: nothing more is dialled.
    void hangUp() override;

    /// What a record writer did with a graded game's record: written, or refused with why
    /// (WriteResult's words), or kept to be written later (later). A writer that keeps it tells
    /// the recorder the game's end itself once the record's fate is known: gameEnded once it is
    /// written, gameLeft if it never can be, as finishGame would have.
    struct RecordWritten {
        Status status;
        bool later = false;
    };
    /// Writes a graded game's record into the results file: where another writer takes the
    /// records (the class server writes its games' records together, off its requests' thread).
    using RecordWriter = std::function<RecordWritten(const QString &resultsPath, QByteArrayView lessonCode,
                                                     QByteArrayView name, int currentLevel, GameEnding how)>;
    /// The records go to writer from now on; WriteResult writes them when it is empty.
    void setRecordWriter(RecordWriter writer) { m_writeRecord = std::move(writer); }

    /// The one way a graded or broken game ends: the record first (tallory.rez for a wrong
    /// answer, a stop or a win), and only once it is written the journal's end with the result
    /// the school's server gets. A record that cannot be written leaves the game unfinished in
    /// the journal and sends no result; the error says why.
    Status finishGame(GameEnding how) override;
    /// The student left the question on screen (a new game, the program's end).
    void leave() override;
    /// The host's counters kept for the next game.
    Status storeCounters() const override;
    /// No game: level 0.
    void close() override { m_state.CurrentLevel = 0; }

    /// The game as it stands, to go on with it in another run (see restore).
    SessionSnapshot snapshot() const;
    /// Goes on with a game from its snapshot: the settings and the bank read afresh. An error
    /// when the bank cannot be read: the state is back, but no further question can be drawn.
    Status restore(const SessionSnapshot &snapshot);

private:
    std::optional<std::array<int, 5>> classVotes() const;

    QString m_folder;
    RandomSource &m_random;
    GameRecorder &m_recorder;
    RecordWriter m_writeRecord;
    GameSettings m_settings;
    GameState m_state;
    FaqText m_bank;
    QString m_bankName;
    QString m_bankPath;
    QList<QByteArray> m_lessonCodes;
    std::vector<QByteArrayView> m_levelLines;
    ShownQuestion m_shown;
    std::optional<FriendCall> m_call; ///< the call in progress, until it is over
    std::array<bool, 5> m_blanked{}; ///< the buttons fifty-fifty blanked on the question on screen
};
