// Saving the bank: what it lacks confirmed, a damaged original kept beside it, and a file that
// changed on disk since it was read never overwritten unasked.

#include "teacherwindow.h"

#include "bankdocument.h"
#include "bankeditor.h"
#include "bankfile.h"
#include "bankwatch.h"
#include "prompts.h"
#include "userfile.h"

#include <QFileInfo>
#include <QSet>
#include <QUndoStack>

bool TeacherWindow::saveBankAs(const QString &path)
{
    // What is still being typed into a cell is saved with the rest.
    m_editor->commitEdit();
    if (!mayStore())
        return false;
    const bool overDamaged = !m_damaged.isEmpty() && QFileInfo(path) == QFileInfo(m_damaged);
    if (overDamaged && !keepDamagedOriginal(path))
        return false;
    return writeBank(path);
}

bool TeacherWindow::mayStore()
{
    const QList<BankProblem> problems = m_doc->allProblems();
    QStringList lines;
    bool unstorable = false;
    for (const BankProblem &p : problems) {
        lines.append(p.text);
        // A question or a note the bank cannot hold; a level short of questions is only a draft.
        unstorable = unstorable || p.row >= 0 || p.level == 0;
    }
    if (unstorable) {
        m_prompts->showError(this, QStringLiteral("Сохранить вопросник"),
                             QStringLiteral("Вопросник не сохранён: ошибок %1. Исправьте их — щелчок по строке "
                                            "списка ошибок переходит к ячейке.").arg(problems.size()),
                             lines.join(QLatin1Char('\n')));
        return false;
    }
    // A bank still being written is kept all the same, once the teacher knows what it lacks.
    return lines.isEmpty()
           || m_prompts->confirm(this, QStringLiteral("Сохранить вопросник"),
                                 lines.join(QLatin1Char('\n'))
                                     + QStringLiteral("\n\nИгра остановится на уровне без вопросов. Сохранить всё равно?"));
}

bool TeacherWindow::writeBank(const QString &path, bool overwrite)
{
    // The file this window read is compared with what it read, so that what another workbench
    // or an import wrote meanwhile is never overwritten unasked.
    const bool ours = !overwrite && m_watch->follows(path);
    const SaveOutcome written = SaveFaqOver(path, m_doc->bank(), ours ? std::optional(m_watch->digest()) : std::nullopt);
    if (written.changedOnDisk)
        return resolveChangedOnDisk(path);
    if (!written.status.ok()) {
        m_prompts->showError(this, QStringLiteral("Сохранить вопросник"), written.status.error);
        return false;
    }
    if (!m_damaged.isEmpty() && QFileInfo(path) == QFileInfo(m_damaged))
        m_damaged.clear();
    saved(path, written.digest);
    return true;
}

void TeacherWindow::saved(const QString &path, const QByteArray &digest)
{
    m_doc->undoStack()->setClean();
    m_watch->follow(path, digest);
    setPath(path);
    rememberFile(path);
}

bool TeacherWindow::resolveChangedOnDisk(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const QString copy = QFileInfo(path).completeBaseName() + QStringLiteral(" (мои правки).") + QFileInfo(path).suffix();
    const auto answer = m_prompts->choose(
        this, QStringLiteral("Вопросник изменён на диске"),
        QStringLiteral("«%1» изменён на диске после того, как мастерская его прочла (другой мастерской, импортом "
                       "tallory-bank или другой программой). Запись поверх сотрёт эти изменения.\n\n"
                       "«Сохранить копией» — записать ваш вопросник рядом, в «%2» (имя с номером, если такой файл "
                       "уже есть), и работать дальше с копией; файл на диске останется как есть.\n"
                       "«Перечитать с диска» — открыть файл, как он записан сейчас; ваши несохранённые правки пропадут.\n"
                       "«Заменить» — записать ваш вопросник поверх; изменения на диске пропадут.").arg(name, copy),
        {QStringLiteral("Сохранить копией"), QStringLiteral("Перечитать с диска"), QStringLiteral("Заменить")});
    if (!answer)
        return false;
    if (*answer == 1)
        return openBank(path);
    if (*answer == 2)
        return writeBank(path, true);
    const auto written = SaveFaqCopy(path, QStringLiteral("мои правки"), m_doc->bank());
    const auto bytes = written.ok() ? ReadInputFile(written.value) : Result<QByteArray>::failure(written.error);
    if (!bytes.ok()) {
        m_prompts->showError(this, QStringLiteral("Сохранить вопросник"), bytes.error);
        return false;
    }
    saved(written.value, BankDigest(bytes.value));
    return true;
}

// Changed on disk while open: a bank without edits is read again, so that the window shows what
// the file holds; one with edits says so in the title, and the next save asks.
void TeacherWindow::changedOnDisk()
{
    if (isModified()) {
        updateTitle();
        return;
    }
    const int level = m_editor->currentLevel();
    if (openBank(m_path))
        m_editor->setCurrentLevel(level);
}

// Saving over a bank the editor could not read whole: the file as it was goes beside it first,
// unless the teacher says otherwise.
namespace {

// The lines kept from the damaged file that the bank about to be saved no longer holds: taken out
// of the notes, and not typed into a level either.
QStringList keptLinesGone(const QStringList &kept, const EditorBank &bank)
{
    QSet<QString> held(bank.notes.cbegin(), bank.notes.cend());
    for (const auto &level : bank.levels) {
        for (const QuestionFields &q : level)
            held.insert(QuestionLine(q));
    }
    QStringList gone;
    for (const QString &note : kept) {
        if (!held.contains(note) && !held.contains(note.section(QStringLiteral(": "), 1)))
            gone.append(note);
    }
    return gone;
}

} // namespace

bool TeacherWindow::keepDamagedOriginal(const QString &path)
{
    const QFileInfo file(path);
    const QString copy = file.completeBaseName() + QStringLiteral(" (повреждённый).") + file.suffix();
    // What the save keeps of the lines the game did not read, and what it would lose, is said
    // before the teacher chooses to save without a copy.
    const QStringList gone = keptLinesGone(m_kept, m_doc->bank());
    QString kept;
    if (m_kept.size() > gone.size())
        kept = QStringLiteral("\n\nСтроки, которые игра не читала (%1), сохранятся в заметках как «строка N: …».")
                   .arg(m_kept.size() - gone.size());
    if (!gone.isEmpty())
        kept += QStringLiteral("\n\nВ новом файле не будет строк исходного (%1), убранных из заметок:\n%2")
                    .arg(gone.size()).arg(gone.mid(0, 5).join(QLatin1Char('\n')))
                + (gone.size() > 5 ? QStringLiteral("\n…") : QString())
                + QStringLiteral("\nБез копии они пропадут.");
    const auto answer = m_prompts->choose(
        this, QStringLiteral("Сохранить вопросник"),
        QStringLiteral("«%1» был открыт повреждённым: игра читала его не весь, а сохранение заменит его тем, что "
                       "прочла мастерская.%3\n\nИсходный файл можно оставить рядом копией «%2» (имя с номером, если "
                       "такая копия уже есть).").arg(file.fileName(), copy, kept),
        {QStringLiteral("Сохранить и оставить копию"), QStringLiteral("Сохранить без копии")});
    if (!answer)
        return false;
    if (*answer != 0)
        return true;
    const auto copied = KeepDamagedCopy(path);
    if (!copied.ok())
        m_prompts->showError(this, QStringLiteral("Сохранить вопросник"), copied.error + QStringLiteral("\nВопросник не сохранён."));
    return copied.ok();
}
