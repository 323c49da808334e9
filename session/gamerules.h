#pragma once
// What a face of a game asks of the rules. The desktop window asks these calls wherever
// something is decided; it does not know whether the rules run in this process (GameSession,
// on the program folder's own files) or on the class server of the room (ClassSession, which
// asks the server and holds nothing of value itself). Every call returns what was decided; a
// face shows it.

#include "faq.h"
#include "gamerecorder.h"
#include "gamesettings.h"
#include "gamestate.h"
#include "result.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>
#include <optional>

struct Admission;
struct LevelQuestion;
struct Verdict;
struct FriendCall;
struct SchoolWord;
using SchoolGuard = std::function<SchoolWord(const QString &lesson, const QString &name, bool countUnfinished)>;

class GameRules
{
public:
    virtual ~GameRules() = default;

    /// The game as the face shows it: the level, the points secured, the music, the player and
    /// the lesson. Rules that judge elsewhere never fill in the right answer here.
    virtual GameState &state() = 0;
    virtual const GameState &state() const = 0;
    /// The settings as the last start read them.
    virtual const GameSettings &settings() const = 0;

    /// Whether a question is on screen, waiting for its answer.
    virtual bool questionOpen() const = 0;
    /// Whether a stop now keeps a grade: a question is open and points are secured.
    virtual bool mayStop() const = 0;

    /// Whether the student may start (the lesson code typed, then the name from askName).
    virtual Admission admit(const QString &typedLesson, const std::function<QString()> &askName,
                            const SchoolGuard &school) = 0;
    /// Starts the admitted game at level 1.
    virtual Status begin(const QString &unchecked) = 0;
    /// The next question of the level on screen; an error when there is none.
    virtual LevelQuestion nextQuestion() = 0;
    /// A click on button 1..4: the tease or the verdict.
    virtual Verdict click(int button) = 0;
    /// After a right answer has been shown: the level's points are secured.
    virtual void secure() = 0;
    /// Then the game moves up a level. True when that was the last level: the game is won.
    virtual bool moveUp() = 0;
    /// Fifty-fifty: the two buttons to blank.
    virtual std::array<int, 2> fiftyFifty() = 0;
    /// The audience's votes per button [1..4].
    virtual std::array<int, 5> askAudience() = 0;
    /// Phone a friend: who answers and the number to dial. The reply may be left empty until
    /// the number is dialled (see dial).
    virtual Result<FriendCall> phoneFriend() = 0;
    /// The digits on the call's keypad: the friend's reply once they are the number to dial,
    /// nothing before.
    virtual std::optional<QByteArray> dial(const QByteArray &digits) = 0;
    /// The call is over before its time (the student hung up).
    virtual void hangUp() = 0;
    /// The game ends (see GameSession::finishGame); an error when its record was not written.
    virtual Status finishGame(GameEnding how) = 0;
    /// The student left the question on screen (a new game, the program's end).
    virtual void leave() = 0;
    /// The host's counters kept for the next game.
    virtual Status storeCounters() const = 0;
    /// No game: level 0.
    virtual void close() = 0;

    /// Non-empty when the game on screen ended or was lost somewhere else than at this face
    /// (the teacher ended it, the server no longer knows it): what the student is told. A face
    /// asks after every call above and leaves the game then. Always empty for local rules.
    virtual QString gone() const { return {}; }
};
