// Starting a game and ending it: NewGame, CloseGame and the stop command. Whether a game may
// start is decided in gamestart.cpp; here the window asks for the lesson and the name and shows.

#include "tform1.h"

#include "accessiblegame.h"
#include "announcer.h"
#include "banners.h"
#include "counters.h"
#include "cp1251.h"
#include "dialogs.h"
#include "files.h"
#include "gamestart.h"
#include "inifile.h"
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
    hideAudience();
    CloseGame(false);
    Timer2->stop();
    Timer2->setInterval(kTickMs);
    SelectRussianKeyboard();

    const QString lesson = ask(QStringLiteral("Тест-игра"), QStringLiteral("Введите код занятия:"));
    GameStart start = DecideGameStart(m_services.programFolder, lesson, [this] {
        return ask(QStringLiteral("Представьтесь"), QStringLiteral("Фамилия и инициалы студента:"));
    });
    // The window keeps what the start read even when it refuses: no game can use it then, and
    // the next start reads afresh.
    if (start.lessonCode)
        Game.LessonCode = *start.lessonCode;
    if (start.bank) {
        FaqGlobal = std::move(*start.bank);
        // The level's lines were views into the bank just replaced.
        FaqStr.clear();
        m_bankName = start.bankName;
    }
    if (start.playerName)
        Game.PlayerName = *start.playerName;
    if (start.fileFailure)
        failure(start.refusal);
    else if (!start.allowed())
        m_services.dialogs->showError(start.refusal);
    else
        admitAndBegin(start.bankPath, start.lessonCodes);
}

void TForm1::admitAndBegin(const QString &bankPath, const QList<QByteArray> &lessonCodes)
{
    const QString refusal = QStringLiteral("Нельзя дважды отвечать на вопросы теста!");
    const bool strict = strictAttempts();
    // Every spelling of the lesson counts: a game left under DEMO is an attempt at ДЕМО too.
    const QList<QByteArray> codes = lessonCodes.isEmpty() ? QList<QByteArray>{Game.LessonCode} : lessonCodes;
    for (const QByteArray &code : codes) {
        if (strict && recorder().leftUnfinished(code, Game.PlayerName))
            return m_services.dialogs->showError(refusal);
    }
    if (!m_services.askSchool)
        return beginGame(bankPath, QString());
    // The whole school's word, as this machine's file has already let the student in. The
    // student has just typed the name and waits anyway; the wait is bounded by the guard, and
    // a server that did not answer for one code is not asked again for the next.
    QString unchecked;
    for (const QByteArray &code : codes) {
        const SchoolAttempt school = m_services.askSchool(cp1251::decode(code), cp1251::decode(Game.PlayerName), strict);
        if (school.verdict && *school.verdict != AttemptVerdict::Allowed)
            return m_services.dialogs->showError(refusal);
        if (!school.verdict) {
            unchecked = school.problem;
            break;
        }
    }
    beginGame(bankPath, unchecked);
}

void TForm1::beginGame(const QString &bankPath, const QString &unchecked)
{
    ResImage(QStringLiteral("game"), QString());
    // In a game the keys belong to the answers: the toolbar is out of Tab's way again, and
    // Space on a toolbar button cannot end the game.
    Client->setAccessibleName(QString());
    Client->setFocusPolicy(Qt::ClickFocus);
    SL7->setFocusPolicy(Qt::NoFocus);
    if (focusWidget() == SL7)
        Client->setFocus(Qt::OtherFocusReason);
    Game.CurrentLevel = 1;
    Game.SecuredPoints = 0;
    RestLadder();
    const auto remark = RegReadInteger(kCounterSection, cp1251::text(u"Ответ"), 0);
    const auto sound = RegReadInteger(kCounterSection, cp1251::text(u"Звук"), 0);
    if (!remark.ok() || !sound.ok()) {
        failure(remark.ok() ? sound.error : remark.error);
        return;
    }
    Game.RemarkIndex = remark.value;
    Game.SoundIndex = sound.value;
    recorder().gameStarted({Game.LessonCode, Game.PlayerName, bankPath, unchecked});
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

void TForm1::CloseGame(bool finished)
{
    // An illustration and the audience's poll belong to their question: they go with the game.
    collapseIllustration();
    hideAudience();
    ResImage(QStringLiteral("ways"), QString());
    GameEnable(false);
    repaint();
    Status stored = RegWriteInteger(kCounterSection, cp1251::text(u"Ответ"), Game.RemarkIndex);
    if (stored.ok())
        stored = RegWriteInteger(kCounterSection, cp1251::text(u"Звук"), Game.SoundIndex);
    if (!stored.ok())
        failure(stored.error);
    if (!finished)
        return;

    const Status written = WriteResult(ResultsFilePath(m_services.programFolder), Game.LessonCode, Game.PlayerName,
                                       Game.CurrentLevel);
    if (written.ok()) {
        Label1->setText(QStringLiteral("Оценка: ") + cp1251::decode(GradeWord(Game.CurrentLevel)));
        m_announcer->announce(QStringLiteral("Игра окончена. ") + Label1->text());
        Tablo->show();
        repaint();
        Wave("begin");
        m_services.pacer->wait(kBoardMs);
        Tablo->hide();
    } else {
        // No grade is shown that was not recorded; the window still returns to idle.
        failure(written.error);
    }
    EnterIdle();
}

void TForm1::N6Click()
{
    if (m_busy || Game.SecuredPoints == 0 || Game.CurrentLevel == 0)
        return;
    m_busy = true;
    Wave("final", ClipPlay::ToEnd);
    recorder().gameEnded(GameEnding::Stop, Game.CurrentLevel);
    CloseGame(true);
    m_busy = false;
}

void TForm1::endWithoutQuestion(const QString &message)
{
    recorder().gameEnded(GameEnding::NoQuestion, Game.CurrentLevel);
    m_services.dialogs->showError(message);
    // No grade and no record: the student may sit the lesson once the bank is mended.
    CloseGame(false);
    EnterIdle();
}

// Off unless the settings say "Попытка=строго": a game left with Alt+X or F2 (or lost to a
// crash) then counts as the attempt, so a bad grade cannot be escaped by quitting.
bool TForm1::strictAttempts() const
{
    const QByteArray mode = IniReadString(SettingsFilePath(m_services.programFolder),
                                          cp1251::text(u"настройки"), cp1251::text(u"Попытка"), {});
    return cp1251::equalsNoCase(mode, cp1251::text(u"строго"));
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
    Game.CurrentLevel = 0;
    Timer2->start();
    m_tickHeld = false;
}
