#include "gamestart.h"

#include "cp1251.h"
#include "faq.h"
#include "files.h"
#include "inifile.h"
#include "lessoncodes.h"
#include "results.h"
#include "settingsencoding.h"

#include <QFileInfo>

namespace {

// The typed text upper-cased in the stored code page; nothing when it holds a character the
// files cannot hold, with the refusal naming it. Such text is refused, never altered or dropped.
std::optional<QByteArray> storableUpper(const QString &typed, GameStart &start)
{
    const QString bad = cp1251::firstUnencodable(typed);
    if (!bad.isEmpty()) {
        start.refusal = QStringLiteral("Символ %1 нельзя использовать: его нельзя сохранить в файлах программы.")
                            .arg(DescribeCharacter(bad));
        return std::nullopt;
    }
    return cp1251::upper(*cp1251::encode(typed));
}

void refuseForFile(GameStart &start, const QString &error)
{
    start.refusal = error;
    start.fileFailure = true;
}

// The lesson's bank read into start, or the refusal.
bool readBank(const QString &programFolder, GameStart &start)
{
    const QString settings = SettingsFilePath(programFolder);
    const QByteArray configured = IniReadString(settings, *start.lessonCode, LessonBankKey(), {});
    const QString bank = FindBankFile(configured, programFolder);
    if (bank.isEmpty()) {
        start.refusal = QStringLiteral("Код занятия не содержит вопросов!");
        // A lesson the file holds in UTF-8 is there for the teacher's eyes, not for the game's.
        const QString encoding = SettingsEncodingProblem(programFolder);
        if (!encoding.isEmpty())
            start.refusal += QStringLiteral("\n\n") + encoding;
        return false;
    }
    auto loaded = LoadBankFile(bank);
    if (!loaded.ok()) {
        refuseForFile(start, loaded.error);
        return false;
    }
    start.bank = std::move(loaded.value);
    start.bankName = QFileInfo(bank).fileName();
    start.bankPath = bank;
    start.lessonCodes = SameLessonCodes(programFolder, *start.lessonCode);
    return true;
}

// Whether the player may sit the lesson and have the grade recorded; the refusal otherwise.
void admitPlayer(const QString &programFolder, GameStart &start)
{
    const QByteArray &name = *start.playerName;
    // A name of blanks alone names nobody, and would be recorded as such.
    if (name.trimmed().isEmpty()) {
        start.refusal = QStringLiteral("Фамилия и инициалы студента обязательны для заполнения!");
        return;
    }
    // A name whose record would be cut or split in the results file is refused before the game.
    const QString problem = RecordProblem(name);
    if (!problem.isEmpty()) {
        start.refusal = problem;
        return;
    }
    const QString results = ResultsFilePath(programFolder);
    // Each spelling of the lesson: a student who won ДЕМО has sat DEMO as well.
    for (const QByteArray &code : start.lessonCodes) {
        const auto seen = AttemptRecorded(results, code, name);
        if (!seen.ok()) {
            refuseForFile(start, seen.error);
            return;
        }
        if (seen.value) {
            start.refusal = QStringLiteral("Нельзя дважды отвечать на вопросы теста!");
            return;
        }
    }
    // A game whose grade could not be recorded would be played for nothing, and could be played
    // again: it does not start.
    const QString unwritable = ResultsWriteProblem(results);
    if (!unwritable.isEmpty())
        start.refusal = QStringLiteral("Результат игры нельзя будет записать: %1. Обратитесь к учителю.").arg(unwritable);
}

} // namespace

GameStart DecideGameStart(const QString &programFolder, const QString &typedLesson,
                          const std::function<QString()> &askName)
{
    GameStart start;
    start.lessonCode = storableUpper(typedLesson, start);
    if (!start.lessonCode || !readBank(programFolder, start))
        return start;
    start.playerName = storableUpper(askName(), start);
    if (start.playerName)
        admitPlayer(programFolder, start);
    return start;
}
