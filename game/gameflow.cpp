// Starting a game and ending it: NewGame, CloseGame and the stop command. Whether a game may
// start, and what its end records, the session decides; here the window asks and shows.

#include "tform1.h"

#include "accessiblegame.h"
#include "announcer.h"
#include "banners.h"
#include "cp1251.h"
#include "dialogs.h"
#include "files.h"
#include "gamesession.h"
#include "pacer.h"
#include "results.h"

#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int kTickMs = 1000;
constexpr int kBoardMs = 3000;
} // namespace

QString TForm1::ask(const QString &caption, const QString &prompt)
{
    QString typed;
    if (!m_services.dialogs->inputText(caption, prompt, typed))
        typed.clear();
    return typed;
}

void TForm1::NewGame()
{
    if (m_busy || !leaveGame())
        return;
    // A class server is named but cannot be asked: said at once, and no lesson is asked for.
    if (!m_services.classProblem.isEmpty()) {
        m_services.dialogs->showError(m_services.classProblem);
        return;
    }
    hideAudience();
    CloseGame(false);
    Timer2->stop();
    Timer2->setInterval(kTickMs);
    SelectRussianKeyboard();

    const QString lesson = ask(QStringLiteral("Тест-игра"), QStringLiteral("Введите код занятия:"));
    const auto askName = [this] {
        return ask(QStringLiteral("Представьтесь"), QStringLiteral("Фамилия и инициалы студента:"));
    };
    SchoolGuard school;
    if (m_services.askSchool) {
        school = [this](const QString &lesson, const QString &name, bool countUnfinished) {
            const SchoolAttempt asked = m_services.askSchool(lesson, name, countUnfinished);
            if (!asked.verdict)
                return SchoolWord{std::nullopt, asked.problem};
            return SchoolWord{*asked.verdict == AttemptVerdict::Allowed, {}};
        };
    }
    const Admission admission = m_rules->admit(lesson, askName, school);
    if (admission.fileFailure)
        failure(admission.refusal);
    else if (!admission.allowed())
        m_services.dialogs->showError(admission.refusal);
    else
        beginGame(admission.unchecked);
}

void TForm1::beginGame(const QString &unchecked)
{
    const Sequence sequence(*this);
    ResImage(QStringLiteral("game"), QString());
    // In a game the keys belong to the answers: the toolbar is out of Tab's way again, and
    // Space on a toolbar button cannot end the game.
    Client->setAccessibleName(QString());
    Client->setFocusPolicy(Qt::ClickFocus);
    SL7->setFocusPolicy(Qt::NoFocus);
    if (focusWidget() == SL7)
        Client->setFocus(Qt::OtherFocusReason);
    RestLadder();
    const Status started = m_rules->begin(unchecked);
    if (!started.ok()) {
        failure(started.error);
        return;
    }
    m_gameShown = true;
    if (gone())
        return;
    // The name's box has just closed over the window, and the gong holds the thread: the whole
    // window is painted now, or the box would stay on the screen until the gong ends.
    repaint();
    Wave("gong", ClipPlay::ToEnd);
    GameEnable(true);
    SetGame(Game.CurrentLevel);
    repaint();
    // Keys pressed during the gong were held until now: the question was not yet on screen.
    dropHeldAnswers();
}

void TForm1::finishGame(GameEnding how)
{
    const Status recorded = m_rules->finishGame(how);
    // Ended on the server meanwhile: no grade is shown here; the game is left as it was.
    if (gone())
        return;
    CloseGame(how != GameEnding::NoQuestion, recorded);
}

void TForm1::CloseGame(bool finished, const Status &recorded)
{
    // An illustration and the audience's poll belong to their question: they go with the game.
    collapseIllustration();
    hideAudience();
    m_gameShown = false;
    ResImage(QStringLiteral("ways"), QString());
    GameEnable(false);
    repaint();
    const Status stored = m_rules->storeCounters();
    if (!stored.ok())
        failure(stored.error);
    if (!finished)
        return;

    if (recorded.ok()) {
        Label1->setText(QStringLiteral("Оценка: ") + cp1251::decode(GradeWord(Game.CurrentLevel)));
        m_announcer->announce(QStringLiteral("Игра окончена. ") + Label1->text());
        Tablo->show();
        repaint();
        Wave("begin");
        m_services.pacer->wait(kBoardMs);
        Tablo->hide();
    } else {
        // No grade is shown that was not recorded; the window still returns to idle.
        failure(recorded.error);
    }
    EnterIdle();
}

void TForm1::N6Click()
{
    if (m_busy || !m_rules->mayStop())
        return;
    const Sequence sequence(*this);
    m_busy = true;
    Wave("final", ClipPlay::ToEnd);
    finishGame(GameEnding::Stop);
    m_busy = false;
}

void TForm1::endWithoutQuestion(const QString &message)
{
    // No grade and no record: the session writes no result for a broken game.
    m_rules->finishGame(GameEnding::NoQuestion);
    m_services.dialogs->showError(message);
    // No grade and no record: the student may sit the lesson once the bank is mended.
    CloseGame(false);
    EnterIdle();
}

void TForm1::EnterIdle()
{
    // Whatever way the game ended, the idle screen shows the emblem alone.
    Tablo->hide();
    // The idle screen is a picture: the client area, where the focus rests and where Tab
    // lands, tells a reader what to do next.
    Client->setAccessibleName(kIdleHint);
    Client->setFocusPolicy(Qt::StrongFocus);
    SL7->setFocusPolicy(Qt::TabFocus); // and Tab goes on to the command that starts a game
    Timer2->setInterval(kIdleExitMs);
    m_rules->close();
    Timer2->start();
    m_tickHeld = false;
}
