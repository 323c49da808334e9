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

/// The school's server's word on an attempt: allowed or refused, or nothing when it could not
/// be asked in time (problem says why; the machine's own records then decide alone).
struct SchoolWord {
    std::optional<bool> allowed;
    QString problem;
};
/// Asks the school's server for a lesson and a name (decoded, upper case) and whether games left
/// unfinished count; returns within its own bound.
using SchoolGuard = std::function<SchoolWord(const QString &lesson, const QString &name, bool countUnfinished)>;

/// Whether a student may start, and why not.
struct Admission {
    QString refusal;          ///< what the student is told; empty when the game may start
    bool fileFailure = false; ///< the refusal is a file that could not be read, not the input
    QString unchecked;        ///< why the school's server did not check the attempt; empty when it did
    bool allowed() const { return refusal.isEmpty(); }
};

/// The question of a level as it is to be shown.
struct LevelQuestion {
    QString error;                      ///< the bank has no question for the level: the game ends
    QByteArray question;                ///< the question's text
    std::array<QByteArray, 5> captions; ///< [1..4]: the bank's answer on button A..D
    QByteArray illustration;            ///< the line's illustration field; empty for none
};

/// What a click on an answer came to.
struct Verdict {
    bool teased = false;  ///< the host teased instead of judging: the same question stays
    QByteArray tease;     ///< the host's words then
    bool right = false;   ///< judged: whether the click was the right answer
    int level = 0;        ///< the level answered
    int correctButton = 0;
    int remark = 0;       ///< the row of the host's remark: CorrectPhrases on a right answer
    int sound = 0;        ///< the row of the jingle (CorrectSounds) or of WrongPhrases
    /// The grade a right answer at 5 or 10 has just earned ("удовлетворительно", "хорошо"): the
    /// host says so instead of the remark. 0 elsewhere.
    int milestone = 0;
};

/// A call to a friend: who answers, the number to dial and what the friend says.
struct FriendCall {
    int friendIndex = 0;
    QByteArray number;
    QByteArray reply;
};


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
