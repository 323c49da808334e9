// The window as a face of rules that may run elsewhere: the rules it asks are made here, the
// class server's silence is said, and a game the server ended or lost is left.

#include "tform1.h"

#include "announcer.h"
#include "dialogs.h"
#include "telform.h"

#include <QLabel>
#include <QStatusBar>

namespace {

/// The rules of a class server that cannot be asked: its address is blank or not understood.
/// Nothing starts, and nothing of the program folder is read in their place: a folder that
/// names a class server never plays its own lessons.
class UnusableClassServer final : public GameRules
{
public:
    explicit UnusableClassServer(QString problem) : m_problem(std::move(problem)) {}

    GameState &state() override { return m_state; }
    const GameState &state() const override { return m_state; }
    const GameSettings &settings() const override { return m_settings; }
    bool questionOpen() const override { return false; }
    bool mayStop() const override { return false; }
    Admission admit(const QString &, const std::function<QString()> &, const SchoolGuard &) override
    {
        Admission refused;
        refused.refusal = m_problem;
        return refused;
    }
    Status begin(const QString &) override { return Status::failure(m_problem); }
    LevelQuestion nextQuestion() override { return {m_problem, {}, {}, {}}; }
    Verdict click(int) override { return {}; }
    void secure() override {}
    bool moveUp() override { return false; }
    std::array<int, 2> fiftyFifty() override { return {}; }
    std::array<int, 5> askAudience() override { return {}; }
    Result<FriendCall> phoneFriend() override { return Result<FriendCall>::failure(m_problem); }
    std::optional<QByteArray> dial(const QByteArray &) override { return std::nullopt; }
    void hangUp() override {}
    Status finishGame(GameEnding) override { return Status::failure(m_problem); }
    void leave() override {}
    Status storeCounters() const override { return Status::success(); }
    void close() override { m_state.CurrentLevel = 0; }

private:
    QString m_problem;
    GameState m_state;
    GameSettings m_settings;
};

} // namespace

std::unique_ptr<GameRules> TForm1::makeRules()
{
    if (!m_services.classProblem.isEmpty())
        return std::make_unique<UnusableClassServer>(m_services.classProblem);
    if (m_services.classRules) {
        RulesHooks hooks;
        hooks.waiting = [this](const QString &text) { showWaiting(text); };
        hooks.gone = [this] { rulesGone(); };
        return m_services.classRules(hooks);
    }
    auto local = std::make_unique<GameSession>(m_services.programFolder, *m_services.random,
                                               m_services.recorder ? *m_services.recorder : m_noRecorder);
    m_local = local.get();
    return local;
}

void TForm1::showWaiting(const QString &text)
{
    // Called from inside a request that waits: the line is painted by the wait's own loop.
    WaitingLine->setText(text);
    WaitingLine->setVisible(!text.isEmpty());
    if (!text.isEmpty())
        m_announcer->announce(text);
}

void TForm1::rulesGone()
{
    // A call in progress is over with the game: the call window goes, and the command that
    // opened it leaves the game as it ends.
    if (m_telform && m_telform->isVisible())
        m_telform->close();
    if (m_sequences == 0)
        leaveIfGone();
}

bool TForm1::leaveIfGone()
{
    if (!m_gameShown || !gone())
        return false;
    const QString why = m_rules->gone();
    CloseGame(false);
    m_services.dialogs->showError(why);
    EnterIdle();
    return true;
}

TForm1::Sequence::~Sequence()
{
    // The server may have ended the game while the host spoke: it is left now, not halfway.
    if (--m_form.m_sequences == 0)
        m_form.leaveIfGone();
}
