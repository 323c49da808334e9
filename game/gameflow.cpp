// Starting a game and ending it: NewGame, CloseGame and the stop command.

#include "tform1.h"

#include "banners.h"
#include "counters.h"
#include "cp1251.h"
#include "dialogs.h"
#include "files.h"
#include "inifile.h"
#include "pacer.h"
#include "results.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QTimer>

namespace {
constexpr int kTickMs = 1000;
constexpr int kBoardMs = 3000;
} // namespace

bool TForm1::askUpper(const QString &caption, const QString &prompt, QByteArray &result)
{
    QString typed;
    if (!m_services.dialogs->inputText(caption, prompt, typed))
        typed.clear();
    // Text the stored files cannot hold is refused, never altered or dropped.
    const QString bad = cp1251::firstUnencodable(typed);
    if (!bad.isEmpty()) {
        m_services.dialogs->showError(
            QStringLiteral("Символ %1 нельзя использовать: его нельзя сохранить в файлах программы.")
                .arg(DescribeCharacter(bad)));
        return false;
    }
    result = cp1251::upper(*cp1251::encode(typed));
    return true;
}

void TForm1::NewGame()
{
    if (m_busy)
        return;
    hideAudience();
    CloseGame(false);
    Timer2->stop();
    Timer2->setInterval(kTickMs);
    SelectRussianKeyboard();

    if (!askUpper(QStringLiteral("Тест-игра"), QStringLiteral("Введите код занятия:"), Game.LessonCode))
        return;
    const QString settings = m_services.programFolder + QStringLiteral("tallory.ini");
    const QByteArray configured = IniReadString(settings, Game.LessonCode, cp1251::text(u"Вопросник"), {});
    const QString bank = FindBankFile(configured, m_services.programFolder);
    if (bank.isEmpty()) {
        m_services.dialogs->showError(QStringLiteral("Код занятия не содержит вопросов!"));
        return;
    }
    auto loaded = LoadBankFile(bank);
    if (!loaded.ok()) {
        failure(loaded.error);
        return;
    }
    FaqGlobal = std::move(loaded.value);
    // The level's lines were views into the bank just replaced.
    FaqStr.clear();
    m_bankName = QFileInfo(bank).fileName();

    if (!askUpper(QStringLiteral("Представьтесь"), QStringLiteral("Фамилия и инициалы студента:"), Game.PlayerName))
        return;
    // A name of blanks alone names nobody, and would be recorded as such.
    if (Game.PlayerName.trimmed().isEmpty()) {
        m_services.dialogs->showError(QStringLiteral("Фамилия и инициалы студента обязательны для заполнения!"));
        return;
    }
    // A name whose record would be cut or split in the results file is refused before the game.
    const QString problem = RecordProblem(Game.PlayerName);
    if (!problem.isEmpty()) {
        m_services.dialogs->showError(problem);
        return;
    }
    const auto seen = AttemptRecorded(ResultsFilePath(m_services.programFolder), Game.LessonCode, Game.PlayerName);
    if (!seen.ok()) {
        failure(seen.error);
        return;
    }
    if (seen.value || attemptLeftUnfinished()) {
        m_services.dialogs->showError(QStringLiteral("Нельзя дважды отвечать на вопросы теста!"));
        return;
    }
    // A game whose grade could not be recorded would be played for nothing, and could be played
    // again: it does not start.
    const QString unwritable = ResultsWriteProblem(ResultsFilePath(m_services.programFolder));
    if (!unwritable.isEmpty()) {
        m_services.dialogs->showError(
            QStringLiteral("Результат игры нельзя будет записать: %1. Обратитесь к учителю.").arg(unwritable));
        return;
    }

    ResImage(QStringLiteral("game"), QString());
    Game.CurrentLevel = 1;
    Game.SecuredPoints = 0;
    for (int n = 1; n <= kLevels; ++n)
        New(n);
    New(0);
    const auto remark = RegReadInteger(kCounterSection, cp1251::text(u"Ответ"), 0);
    const auto sound = RegReadInteger(kCounterSection, cp1251::text(u"Звук"), 0);
    if (!remark.ok() || !sound.ok()) {
        failure(remark.ok() ? sound.error : remark.error);
        return;
    }
    Game.RemarkIndex = remark.value;
    Game.SoundIndex = sound.value;
    recorder().gameStarted({Game.LessonCode, Game.PlayerName, bank});
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
bool TForm1::attemptLeftUnfinished()
{
    const QByteArray mode = IniReadString(m_services.programFolder + QStringLiteral("tallory.ini"),
                                          cp1251::text(u"настройки"), cp1251::text(u"Попытка"), {});
    return cp1251::equalsNoCase(mode, cp1251::text(u"строго"))
           && recorder().leftUnfinished(Game.LessonCode, Game.PlayerName);
}

void TForm1::EnterIdle()
{
    // Whatever way the game ended, the idle screen shows the emblem alone.
    Tablo->hide();
    Timer2->setInterval(kIdleExitMs);
    Game.CurrentLevel = 0;
    Timer2->start();
    m_tickHeld = false;
}
