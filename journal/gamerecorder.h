#pragma once
// What the game window tells whoever keeps a record of its games: a game started, a question
// shown, a lifeline used, the host's tease, an answer, the end. The window hands over what it
// has, in the bank's Windows-1251; the recorder decides what to keep. The window never waits
// on a recorder for long and never learns whether the record was kept.

#include <QByteArray>
#include <QString>
#include <array>

/// How a game ended. A game that has no end (the program closed or crashed, or a new game was
/// started over it) is unfinished.
enum class GameEnding {
    Wrong,      ///< a wrong answer
    Stop,       ///< the student stopped and kept the grade reached
    Won,        ///< the fifteenth question answered right
    NoQuestion, ///< the bank had no question for a level: the program ended it, no grade
};

/// A game that has passed every start check and is about to show its first question.
struct StartedGame {
    QByteArray lessonCode; ///< upper case, Windows-1251
    QByteArray playerName; ///< upper case, Windows-1251
    QString bankPath;      ///< the bank file the game reads
    /// Why the school's server could not check this attempt, the machine's own results file
    /// deciding alone; empty when it checked, or when no server is named.
    QString unchecked = {};
};

/// A question as the student sees it.
struct ShownQuestion {
    int level = 0;      ///< 1..15
    int bankIndex = 0;  ///< 0-based position of the line in its level's section of the bank
    QByteArray line;    ///< the unscrambled question line, as the bank holds it
    QByteArray question;
    std::array<QByteArray, 5> answers; ///< [1..4] in bank order: [1] is the right answer
    QByteArray order;   ///< "1".."4" shuffled: position p names the bank answer on button p
};

/// The window's side of a game record. Every call is made on the window's thread.
class GameRecorder
{
public:
    virtual ~GameRecorder() = default;
    virtual void gameStarted(const StartedGame &game) = 0;
    /// Told as the question is about to be painted: a recorder may wait here, briefly, for what
    /// it was told before to be kept.
    virtual void questionShown(const ShownQuestion &question) = 0;
    /// Fifty-fifty blanked these two buttons (1..4).
    virtual void fiftyFiftyUsed(const std::array<int, 2> &blanked) = 0;
    /// The audience's votes per button [1..4], all four even when fifty-fifty blanked two.
    virtual void audienceAsked(const std::array<int, 5> &votes) = 0;
    /// The friend's reply as the call window shows it.
    virtual void friendCalled(const QByteArray &reply) = 0;
    /// The host teased instead of judging the click.
    virtual void teaseShown(const QByteArray &tease) = 0;
    /// The click on button 1..4 that is judged.
    virtual void answered(int button) = 0;
    /// The student left the game (a new game or the program's end) with this question on
    /// screen: it was shown, and stays unanswered; the game stays unfinished.
    virtual void gameLeft() {}
    /// currentLevel as the game ends: the level of the last question, 16 after a win.
    virtual void gameEnded(GameEnding how, int currentLevel) = 0;
    /// Whether a game of this player in this lesson was left unfinished (strict attempts).
    virtual bool leftUnfinished(const QByteArray &lessonCode, const QByteArray &playerName) = 0;
};

/// Keeps nothing: the window's recorder when no journal is kept.
class NoGameRecorder final : public GameRecorder
{
public:
    void gameStarted(const StartedGame &) override {}
    void questionShown(const ShownQuestion &) override {}
    void fiftyFiftyUsed(const std::array<int, 2> &) override {}
    void audienceAsked(const std::array<int, 5> &) override {}
    void friendCalled(const QByteArray &) override {}
    void teaseShown(const QByteArray &) override {}
    void answered(int) override {}
    void gameEnded(GameEnding, int) override {}
    bool leftUnfinished(const QByteArray &, const QByteArray &) override { return false; }
};
