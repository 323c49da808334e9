#pragma once
// The rules of a game played on the class server of the room. The desktop window asks these as
// it asks its own session in file mode, and gets the same kinds of answers; but every decision
// is the server's, made on the server's bank and written to the server's records. This side
// keeps the game's token and step and what the server last showed, nothing of value: the right
// answer is known here only once the server has judged the click.

#include "classline.h"
#include "gamerules.h"
#include "gamesession.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <optional>

struct ClassSessionOptions {
    QUrl server;            ///< "http://10.0.0.5:8080/"
    QString programFolder;  ///< the lab's folder, ending in "/": only its tallory.ini's look is read (GameSettings)
    QString machine;        ///< sent with the join (ThisMachineName())
    int retryMs = 1000;     ///< between attempts while the server does not answer
    int timeoutMs = 5000;   ///< a request unanswered this long is sent again
    int heartbeatMs = 5000;
};

class ClassSession : public QObject, public GameRules
{
    Q_OBJECT
public:
    explicit ClassSession(ClassSessionOptions options, QObject *parent = nullptr);
    ~ClassSession() override;

    GameState &state() override { return m_state; }
    const GameState &state() const override { return m_state; }
    const GameSettings &settings() const override { return m_settings; }
    bool questionOpen() const override;
    bool mayStop() const override;

    /// The lesson code asked of the server, then the name, then the join: the server's refusals
    /// word for word. The school's server is the class server's to ask: school is not used.
    Admission admit(const QString &typedLesson, const std::function<QString()> &askName,
                    const SchoolGuard &school) override;
    /// The join has begun the game on the server: nothing more to ask.
    Status begin(const QString &unchecked) override;
    LevelQuestion nextQuestion() override;
    Verdict click(int button) override;
    void secure() override;
    bool moveUp() override;
    std::array<int, 2> fiftyFifty() override;
    std::array<int, 5> askAudience() override;
    Result<FriendCall> phoneFriend() override;
    std::optional<QByteArray> dial(const QByteArray &digits) override;
    void hangUp() override;
    Status finishGame(GameEnding how) override;
    void leave() override;
    /// The host's counters are the server's: nothing kept here.
    Status storeCounters() const override { return Status::success(); }
    void close() override;
    QString gone() const override { return m_gone; }

    /// The game's token and the step its next action carries; empty and 0 without a game.
    QString token() const { return m_token; }
    int step() const { return m_step; }

    std::function<void(const QString &text)> onWaiting; ///< «Нет связи с сервером класса, ждём…», then "" when back
    std::function<void()> onGone;                        ///< from the event loop, never inside a call
    std::function<void(const QByteArray &body)> onReceived; ///< every answer's body, as received

private:
    /// One action at the game's step; the EVENT, or nothing when the server refused it (why
    /// then in refusal) or the game is gone.
    std::optional<QJsonObject> act(const QString &what, QJsonObject more = {}, QString *refusal = nullptr);
    /// Takes the server's view of the game: its step and the state the window reads.
    void take(const QJsonObject &view);
    /// Whether the answer says the game is no longer this face's: the server does not know the
    /// token, or the teacher ended it. gone() says so then.
    bool lost(const ClassAnswer &answer);
    void beat();
    void stopBeating();

    ClassSessionOptions m_options;
    ClassLine m_line;
    QTimer m_heartbeat;
    GameSettings m_settings;
    GameState m_state;
    QString m_token;
    int m_step = 0;
    QJsonObject m_view;
    std::optional<QJsonObject> m_end; ///< how the game ended, as the server said
    int m_securedAfter = 0;           ///< the points the last right answer secures
    QString m_number;                 ///< the friend's number while a call is on
    std::optional<QByteArray> m_reply; ///< and the friend's reply, once dialled
    QString m_gone;
};
