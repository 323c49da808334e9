#pragma once
// One student's game in the room: a GameSession with its own chance and its own journal rows,
// and what a page needs besides the rules: the token, the step the next request must carry,
// the last action and its stored answer (a request sent twice is answered twice alike and
// changes nothing), the lifelines' results on the question on screen, the friend's call on the
// server's clock, and whether the student is looking. The rules stay the session's: every
// decision here is a session call, made in the order the desktop window makes it, so a seeded
// game draws what the desktop draws.

#include "classroom.h"
#include "gamejournal.h"
#include "gamesession.h"
#include "randomsource.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <array>
#include <memory>
#include <optional>

/// What a student did: the request's "do" and its button or digits.
struct ClassAction {
    QString kind;
    int button = 0;
    QString digits;
    bool operator==(const ClassAction &) const = default;
};

/// The seconds a friend's call lasts, as on the desktop.
inline constexpr int kCallSeconds = 30;

class ClassGame
{
public:
    /// A game of the room's folder, drawing from random and writing through journal.
    ClassGame(const QString &folder, std::unique_ptr<RandomSource> random, std::unique_ptr<GameJournal> journal);

    GameSession &session() { return *m_session; }
    GameJournal &journal() { return *m_journal; }

    /// After an admitted start: the game's row, then its first question. A reply with "error"
    /// when the game cannot go on (its first question missing: ended without a grade).
    std::optional<ClassReply> begin(const QString &unchecked, qint64 nowMs);

    /// One action at the current step (checked by the room); the reply to store and send.
    ClassReply act(const ClassAction &action, qint64 nowMs);
    /// The teacher's end: as a stop ends a game, whatever the points; nothing when it is over.
    bool endByTeacher(qint64 nowMs);
    /// The room's clock: a call whose time is out is over. True when it was.
    bool tick(qint64 nowMs);
    /// The program stops: a game in progress is left as the desktop leaves it on quit.
    void leave();
    /// The record the room kept is written (or never can be): the game's end goes into its
    /// journal as the desktop's would follow its record (gameEnded, or gameLeft), and what is
    /// left of the finished game goes.
    void endRecorded(bool written, GameEnding how, int currentLevel);

    /// The game as a clean stop keeps it for the next run (see classkeep.h).
    QJsonObject kept() const;
    /// Goes on with a game an earlier run kept, at nowMs on this run's clock: the same token,
    /// step, question, answers' order and lifelines; its rows go on in the same journal game; a
    /// call that was going on is over, its lifeline spent. What could not be read back (empty
    /// when all was); the game is still whole enough to be left then.
    QString restore(const QJsonObject &kept, qint64 nowMs);

    /// The page's view of the game as it stands.
    QJsonObject view(qint64 nowMs) const;
    /// The teacher's line of the game: "нет связи" after silentMs without a request.
    QJsonObject student(qint64 nowMs, qint64 silentMs) const;
    bool inProgress() const { return !m_end.has_value(); }
    /// Over because the student walked away from it: no grade, no record.
    bool left() const { return m_end && m_end->value(QStringLiteral("how")).toString() == u"left"; }
    bool inCall() const { return m_call.has_value(); }
    const std::optional<QJsonObject> &end() const { return m_end; }
    /// The illustration's reference of the question on screen, as the bank gives it; empty for none.
    const QString &illustration() const { return m_illustration; }

    // What the room keeps of the game beside the rules.
    QString token;
    QString id;       ///< the teacher's handle: opaque, never the token
    QString device;   ///< the address the game was joined or taken over from
    QString machine;  ///< the lab machine's name a desktop game gave; empty for a browser
    bool desktop = false; ///< joined from the desktop game rather than a browser
    QString lesson;   ///< upper case, as stored
    QString name;     ///< upper case, as stored
    QList<QByteArray> lessonCodes; ///< every code of the lesson (one bank), Windows-1251
    QByteArray nameBytes;          ///< upper case, Windows-1251
    int step = 0;
    std::optional<ClassAction> lastAction;
    ClassReply lastReply;
    bool moveAllowed = false;
    /// The random key the page's join came with: the same join again (its answer lost on the
    /// way) gets this game back rather than a refusal. Only the page that sent it knows it.
    QString joinKey;
    bool hidden = false;
    int leaves = 0;
    qint64 lastSeen = 0;
    /// The last journal batch this game wrote rows in (see ClassRoom::waitsFor); 0: none.
    quint64 logTicket = 0;
    /// The game's record is kept by the room to be written later: its end waits for it.
    bool endHeld = false;

    struct Call {
        int friendIndex = 0;
        QString number;
        QString reply;
        bool answered = false; ///< the number was dialled: the friend has said the reply
        qint64 startedMs = 0;
    };
    std::array<bool, 3> used{}; ///< fifty, audience, friend
    int secondsLeft(qint64 nowMs) const;
    int level() const { return m_level; }
    int points() const { return m_points; }

private:
    ClassReply answer(int button, qint64 nowMs);
    ClassReply leaveNow(qint64 nowMs);
    ClassReply refuse(const QString &why, qint64 nowMs) const;
    /// The next question of the level on the session; false when the bank has none (ended then).
    bool showQuestion();
    /// Ends the game through the session; the END object.
    QJsonObject finish(GameEnding how, const QString &howWord);
    void closeSession();

    std::unique_ptr<RandomSource> m_random;
    std::unique_ptr<GameJournal> m_journal;
    std::unique_ptr<GameSession> m_session;

    int m_level = 0;
    int m_points = 0;
    QByteArray m_music;
    QString m_question;
    std::array<QString, 4> m_answers;
    QString m_illustration;
    std::array<int, 2> m_blank{};
    std::optional<std::array<int, 4>> m_votes;
    std::optional<Call> m_call;
    int m_answered = 0; ///< after the judged answer that ended the game: the button clicked
    int m_correct = 0;  ///< and the right one
    std::optional<QJsonObject> m_end;
};
