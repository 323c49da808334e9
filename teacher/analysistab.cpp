#include "analysistab.h"

#include "analysisview.h"
#include "bankdocument.h"
#include "cp1251.h"
#include "faq.h"
#include "files.h"
#include "inifile.h"
#include "levelmoveedit.h"
#include "levelmovespane.h"
#include "prompts.h"
#include "serverconnection.h"
#include "teacherwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QTabWidget>

namespace {

const QString kMoveCaption = QStringLiteral("Перенос по уровням");

bool sameFile(const QString &a, const QString &b)
{
    return !a.isEmpty() && !b.isEmpty() && QFileInfo(a) == QFileInfo(b);
}

// The bank the program folder's own settings give the lesson: the file its games are played
// from here. A journal read from another machine's folder names that machine's copy, which is
// never the one edited.
QString folderLessonBank(const QString &folder, const QString &lesson)
{
    const auto code = cp1251::encode(lesson);
    if (!code || code->isEmpty())
        return {};
    return FindBankFile(IniReadString(SettingsFilePath(folder), *code, LessonBankKey(), {}), folder);
}

// The folder's bank of the lesson in the editor: already open, or opened with the teacher's
// consent and only when no edit of the open bank would be lost.
QString openLessonBank(TeacherWindow *window, TeacherPrompts *prompts, const QString &bankFile)
{
    const QString shown = QDir::toNativeSeparators(bankFile);
    if (sameFile(window->bankPath(), bankFile))
        return {};
    if (window->isModified()) {
        return QStringLiteral("Занятие играют по вопроснику «%1», а в «Вопроснике» открыт другой, с несохранёнными "
                              "правками. Сохраните их, откройте «%1» и примите перенос снова.").arg(shown);
    }
    if (!prompts->confirm(window, kMoveCaption,
                          QStringLiteral("Занятие играют по вопроснику «%1». Открыть его в «Вопроснике», "
                                         "чтобы внести перенос?").arg(shown))) {
        return QStringLiteral("Перенос не сделан: откройте вопросник «%1».").arg(shown);
    }
    QWidget *analysis = window->tabs()->currentWidget();
    const bool opened = window->openBank(bankFile);
    window->tabs()->setCurrentWidget(analysis);
    return opened ? QString() : QStringLiteral("Вопросник «%1» не открыт; перенос не сделан.").arg(shown);
}

QString applyMove(TeacherWindow *window, TeacherPrompts *prompts, const QString &folder, const QString &lesson,
                  const QString &journalBank, const LevelMove &move)
{
    const QString bankFile = folderLessonBank(folder, lesson);
    if (bankFile.isEmpty()) {
        return QStringLiteral("Перенос не сделан: в файле настроек этой папки (%1) у занятия «%2» нет вопросника%3. "
                              "Перенос вносится только в вопросник, по которому занятие играют из этой папки: "
                              "добавьте занятие на вкладке «Занятия» или откройте мастерскую на папке класса.")
            .arg(QDir::toNativeSeparators(SettingsFilePath(folder)), lesson,
                 journalBank.isEmpty() ? QString()
                                       : QStringLiteral(" (журнал называет «%1»)")
                                             .arg(QDir::toNativeSeparators(journalBank)));
    }
    const QString refused = openLessonBank(window, prompts, bankFile);
    if (!refused.isEmpty())
        return refused;
    // The only question of a level: the teacher decides, and Enter keeps the level.
    return ApplyLevelMove(*window->document(), move, [window, prompts](const QString &why) {
        return prompts->choose(window, kMoveCaption, why + QStringLiteral("\n\nПеренести всё равно?"),
                               {QStringLiteral("Не переносить"), QStringLiteral("Перенести")})
               == 1;
    });
}

// Said with the proposal, before any click: a move that would leave a level of the folder's bank
// empty, when that bank is the one open.
QString warnMove(TeacherWindow *window, const QString &folder, const QString &lesson, const LevelMove &move)
{
    if (!sameFile(window->bankPath(), folderLessonBank(folder, lesson)))
        return {};
    const auto place = FindQuestionByHash(*window->document(), move.sha256, move.fromLevel, move.bankIndex);
    return place ? EmptiedLevelWarning(*window->document(), *place) : QString();
}

void chooseJournals(AnalysisView *view, TeacherWindow *window, TeacherPrompts *prompts)
{
    // Journals of other machines' folders, chosen together.
    const QStringList chosen = prompts->openFiles(window, QStringLiteral("Добавить журналы"),
                                                  QStringLiteral("Журналы ответов (*.sqlite);;Все файлы (*)"));
    if (!chosen.isEmpty())
        view->openSources(view->sources() + chosen);
}

void exportTable(AnalysisView *view, TeacherWindow *window, TeacherPrompts *prompts, const QString &folder)
{
    const QString caption = QStringLiteral("Анализ в CSV");
    const QString lesson = view->analysis().lesson;
    const QString suggested = folder + QStringLiteral("analysis%1.csv").arg(lesson.isEmpty() ? QString() : QLatin1Char('-') + lesson);
    const QString path = prompts->saveFile(window, caption, suggested, QStringLiteral("Таблица CSV (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!view->exportCsv(path, &error))
        prompts->showError(window, caption, error);
}

} // namespace

AnalysisView *AddAnalysisTab(TeacherWindow *window, const QString &folder, TeacherPrompts *prompts)
{
    auto *view = new AnalysisView(window);
    view->setObjectName(QStringLiteral("analysisView"));
    window->tabs()->addTab(view, QStringLiteral("Анализ"));
    view->setMoveApplier([window, prompts, folder, view](const QString &journalBank, const LevelMove &move) {
        return applyMove(window, prompts, folder, view->analysis().lesson, journalBank, move);
    });
    view->movesPane()->setWarner([window, folder, view](const LevelMove &move) {
        return warnMove(window, folder, view->analysis().lesson, move);
    });
    QObject::connect(view, &AnalysisView::addRequested, window, [view, window, prompts] {
        chooseJournals(view, window, prompts);
    });
    QObject::connect(view, &AnalysisView::exportRequested, window, [view, window, prompts, folder] {
        exportTable(view, window, prompts, folder);
    });
    // A school with a server: the whole school's answers, the folder's journals while the
    // server cannot be reached. Named first, so that the first reading is the server's.
    const QString service = ServerServiceOf(folder);
    if (!service.isEmpty())
        view->followServer(service);
    view->openSources({folder});
    return view;
}
