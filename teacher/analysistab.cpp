#include "analysistab.h"

#include "analysisview.h"
#include "bankdocument.h"
#include "levelmoveedit.h"
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

// The lesson's bank in the editor: the one open when it holds the question (the journal may
// name it by another machine's path), else the file the games were played from, opened with
// the teacher's consent and only when no edit of the open bank would be lost.
QString openLessonBank(TeacherWindow *window, TeacherPrompts *prompts, const QString &bankFile)
{
    const QString shown = QDir::toNativeSeparators(bankFile);
    if (bankFile.isEmpty() || !QFileInfo::exists(bankFile)) {
        return QStringLiteral("Вопроса нет в открытом вопроснике. Откройте на вкладке «Вопросник» вопросник "
                              "занятия%1 и примите перенос снова.")
            .arg(bankFile.isEmpty() ? QString() : QStringLiteral(" (в журнале: «%1», на этом компьютере такого файла нет)").arg(shown));
    }
    if (window->isModified()) {
        return QStringLiteral("Занятие играли по вопроснику «%1», а в «Вопроснике» открыт другой, с несохранёнными "
                              "правками. Сохраните их, откройте «%1» и примите перенос снова.").arg(shown);
    }
    if (!prompts->confirm(window, kMoveCaption,
                          QStringLiteral("Занятие играли по вопроснику «%1». Открыть его в «Вопроснике», "
                                         "чтобы внести перенос?").arg(shown))) {
        return QStringLiteral("Перенос не сделан: откройте вопросник «%1».").arg(shown);
    }
    QWidget *analysis = window->tabs()->currentWidget();
    const bool opened = window->openBank(bankFile);
    window->tabs()->setCurrentWidget(analysis);
    return opened ? QString() : QStringLiteral("Вопросник «%1» не открыт; перенос не сделан.").arg(shown);
}

QString applyMove(TeacherWindow *window, TeacherPrompts *prompts, const QString &bankFile, const LevelMove &move)
{
    BankDocument &doc = *window->document();
    const bool held = FindQuestionByHash(doc, move.sha256, move.fromLevel, move.bankIndex).has_value();
    if (!held && !sameFile(window->bankPath(), bankFile)) {
        const QString refused = openLessonBank(window, prompts, bankFile);
        if (!refused.isEmpty())
            return refused;
    }
    return ApplyLevelMove(doc, move);
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
    view->setMoveApplier([window, prompts](const QString &bankFile, const LevelMove &move) {
        return applyMove(window, prompts, bankFile, move);
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
