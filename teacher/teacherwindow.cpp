#include "teacherwindow.h"

#include "analysistab.h"
#include "bankdocument.h"
#include "bankeditor.h"
#include "bankfile.h"
#include "bankwatch.h"
#include "classroomtab.h"
#include "focusframe.h"
#include "journalfiles.h"
#include "lessonstab.h"
#include "prompts.h"
#include "results.h"
#include "resultsview.h"
#include "serverconnection.h"
#include "settingsencoding.h"
#include "teacherhelp.h"
#include "userfile.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>

namespace {

constexpr int kRecentFiles = 8;
const QString kBankFilter = QStringLiteral("Вопросники и тексты вопросов (*.faq *.txt);;Все файлы (*)");

QSettings settings()
{
    return QSettings(QStringLiteral("Quarnel"), QStringLiteral("tallory-teacher"));
}

} // namespace

TeacherWindow::TeacherWindow(const QString &folder, TeacherPrompts *prompts, QWidget *parent)
    : QMainWindow(parent), m_folder(folder), m_prompts(prompts), m_doc(new BankDocument(this)),
      m_watch(new BankWatch(this))
{
    m_editor = new BankEditor(m_doc, folder, prompts, this);
    m_lessons = new LessonsTab(folder, prompts, this);
    m_results = new ResultsView(this);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(m_editor, QStringLiteral("Вопросник"));
    m_tabs->addTab(m_lessons, QStringLiteral("Занятия"));
    m_tabs->addTab(m_results, QStringLiteral("Результаты"));
    AddAnalysisTab(this, folder, prompts);
    m_classroom = new ClassroomTab(folder, prompts, this);
    m_tabs->addTab(m_classroom, QStringLiteral("Класс по сети"));
    connect(m_results, &ResultsView::addRequested, this, &TeacherWindow::chooseResults);
    setCentralWidget(m_tabs);
    FrameFocusOfViews(this);
    // Tab goes on from a table as from any control; the arrows move between its cells.
    for (QAbstractItemView *view : findChildren<QAbstractItemView *>())
        view->setTabKeyNavigation(false);
    buildMenus();
    connect(m_doc->undoStack(), &QUndoStack::cleanChanged, this, &TeacherWindow::updateTitle);
    connect(m_editor, &BankEditor::pendingEditChanged, this, &TeacherWindow::updateTitle);
    connect(m_watch, &BankWatch::changed, this, &TeacherWindow::changedOnDisk);
    m_doc->reset(EditorBank{});
    updateTitle();
    restoreSettings();
    // The game finds neither the lessons nor the server of a UTF-8 settings file: the teacher
    // hears of it on opening the workbench, whichever tab comes first.
    if (const QString problem = SettingsEncodingProblem(folder); !problem.isEmpty())
        QTimer::singleShot(0, this, [this, problem] { m_prompts->showError(this, QStringLiteral("Файл настроек"), problem); });
}

TeacherWindow::~TeacherWindow() = default;

// Text being typed into a cell is a change too, though the bank has not taken it yet.
bool TeacherWindow::isModified() const
{
    return !m_doc->undoStack()->isClean() || m_editor->hasPendingEdit();
}

void TeacherWindow::newBank()
{
    if (!mayLeave())
        return;
    m_doc->reset(EditorBank{});
    m_watch->follow({}, {});
    setPath({});
    m_editor->setCurrentLevel(1);
}

void TeacherWindow::chooseBank()
{
    if (!mayLeave())
        return;
    const QString path = m_prompts->openFile(this, QStringLiteral("Открыть вопросник"), kBankFilter);
    if (!path.isEmpty())
        openBank(path);
}

bool TeacherWindow::openBank(const QString &path)
{
    auto read = ReadBank(path);
    if (!read.ok()) {
        m_prompts->showError(this, QStringLiteral("Открыть вопросник"), read.error);
        return false;
    }
    const DamageReport damage = DescribeDamage(QFileInfo(path).fileName(), read.value);
    m_kept = read.value.bank.notes.mid(read.value.bank.notes.size() - read.value.keptAsNotes);
    m_doc->reset(std::move(read.value.bank));
    // A plain text is saved as a game bank next to it, never over the text itself.
    m_watch->follow(IsFaqPath(path) ? path : QString(), read.value.digest);
    setPath(IsFaqPath(path) ? path : QString());
    m_damaged = read.value.damage.empty() ? QString() : path;
    rememberFile(path);
    m_editor->setCurrentLevel(1);
    m_tabs->setCurrentWidget(m_editor);
    // The teacher learns what the game cannot read before a save could make it final.
    if (!damage.text.isEmpty())
        m_prompts->showError(this, QStringLiteral("Открыть вопросник"), damage.text, damage.details);
    else if (!read.value.warnings.isEmpty())
        m_prompts->showError(this, QStringLiteral("Открыть вопросник"), read.value.warnings.join(QLatin1Char('\n')));
    return true;
}

bool TeacherWindow::save()
{
    m_editor->commitEdit();
    return m_path.isEmpty() ? saveAs() : saveBankAs(m_path);
}

bool TeacherWindow::saveAs()
{
    m_editor->commitEdit();
    const QString path = m_prompts->saveFile(this, QStringLiteral("Сохранить вопросник"),
                                             m_path.isEmpty() ? m_folder : m_path,
                                             QStringLiteral("Вопросники (*.faq)"));
    return !path.isEmpty() && saveBankAs(path);
}

void TeacherWindow::exportText()
{
    m_editor->commitEdit();
    const QString suggested = m_path.isEmpty() ? m_folder : QFileInfo(m_path).path() + QLatin1Char('/') + QFileInfo(m_path).completeBaseName() + QStringLiteral(".txt");
    const QString path = m_prompts->saveFile(this, QStringLiteral("Экспорт в текст"), suggested,
                                             QStringLiteral("Текст (*.txt)"));
    if (path.isEmpty())
        return;
    const Status written = ExportPlainText(path, m_doc->bank());
    if (!written.ok())
        m_prompts->showError(this, QStringLiteral("Экспорт в текст"), written.error);
}

void TeacherWindow::chooseImport()
{
    const QString path = m_prompts->openFile(this, QStringLiteral("Импорт вопросов"),
                                             QStringLiteral("Вопросы (*.gift *.xml *.txt *.csv);;Все файлы (*)"));
    if (!path.isEmpty())
        importQuestions(path);
}

bool TeacherWindow::importQuestions(const QString &path)
{
    const auto bytes = ReadInputFile(path);
    if (!bytes.ok()) {
        m_prompts->showError(this, QStringLiteral("Импорт вопросов"), bytes.error);
        return false;
    }
    m_editor->commitEdit();
    const ImportOutcome outcome = ImportQuestions(bytes.value);
    const int level = m_editor->currentLevel();
    const auto placement = m_prompts->reviewImport(this, outcome, level);
    if (!placement)
        return false;
    QList<LevelQuestion> questions;
    for (const ImportedQuestion &q : outcome.taken) {
        const bool own = *placement == ImportPlacement::SourceLevels && q.level >= 1 && q.level <= kBankLevels;
        questions.append(LevelQuestion{own ? q.level : level, q.fields});
    }
    // The questions and the title they bring are one import, undone by one Ctrl+Z.
    const QString what = QStringLiteral("импорт из «%1»").arg(QFileInfo(path).fileName());
    m_doc->undoStack()->beginMacro(what);
    m_doc->addQuestions(questions, what);
    if (m_doc->notes().isEmpty() && !outcome.notes.isEmpty())
        m_doc->setNotes(outcome.notes);
    m_doc->undoStack()->endMacro();
    m_tabs->setCurrentWidget(m_editor);
    return true;
}

void TeacherWindow::chooseResults()
{
    // A lab's files are chosen together, one from each machine's folder of a share.
    const QStringList chosen = m_prompts->openFiles(this, QStringLiteral("Открыть результаты"),
                                                    QStringLiteral("Результаты (*.rez);;Все файлы (*)"));
    if (chosen.isEmpty())
        return;
    m_results->openFiles(m_results->files() + chosen);
    m_tabs->setCurrentWidget(m_results);
}

void TeacherWindow::exportResults()
{
    // The records shown, as the results lister writes them: a Russian spreadsheet opens it.
    const QString path = m_prompts->saveFile(this, QStringLiteral("Результаты в CSV"), m_folder + QStringLiteral("results.csv"),
                                             QStringLiteral("Таблица CSV (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!m_results->exportCsv(path, &error))
        m_prompts->showError(this, QStringLiteral("Результаты в CSV"), error);
}

// The folder's own results file, every file open in the tab and the folder's answer journals go
// to the server, each row once.
void TeacherWindow::loadToServer()
{
    m_tabs->setCurrentWidget(m_results);
    QStringList files = m_results->files();
    const QString own = QFileInfo(ResultsFilePath(m_folder)).absoluteFilePath();
    if (!files.contains(own))
        files.prepend(own);
    // Loaded off the window's thread; the window goes on answering meanwhile.
    m_results->loadFilesToServer(files, JournalFiles(m_folder), [this](const Result<QString> &loaded) {
        if (!loaded.ok()) {
            m_prompts->showError(this, QStringLiteral("Загрузить файлы на сервер"), loaded.error);
            return;
        }
        m_results->showServerNote(loaded.value);
    });
}

void TeacherWindow::registerLesson()
{
    m_editor->commitEdit();
    m_tabs->setCurrentWidget(m_lessons);
    m_lessons->addLesson(IsFaqPath(m_path) ? m_path : QString());
}

void TeacherWindow::showHelp()
{
    if (!m_help)
        m_help = new TeacherHelp(this);
    // The guide takes the keyboard, so that Escape closes it at once.
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

bool TeacherWindow::mayLeave()
{
    // Text still being typed into a cell is an edit like any other: saved or not, as the teacher says.
    m_editor->commitEdit();
    if (!isModified())
        return true;
    const QString name = m_path.isEmpty() ? QStringLiteral("новый вопросник") : QFileInfo(m_path).fileName();
    const auto answer = m_prompts->choose(this, QStringLiteral("Вопросник изменён"),
                                          QStringLiteral("Изменения в «%1» не сохранены. Сохранить их?").arg(name),
                                          {QStringLiteral("Сохранить"), QStringLiteral("Не сохранять")});
    if (!answer)
        return false;
    return *answer == 1 || save();
}

void TeacherWindow::setPath(const QString &path)
{
    m_path = path;
    updateTitle();
}

void TeacherWindow::updateTitle()
{
    QString name = m_path.isEmpty() ? QStringLiteral("новый вопросник") : QFileInfo(m_path).fileName();
    if (m_watch->changedOnDisk())
        name += QStringLiteral(" (изменён на диске)");
    setWindowTitle(QStringLiteral("%1[*] — Таллори! Мастерская учителя").arg(name));
    setWindowModified(isModified());
}

void TeacherWindow::closeEvent(QCloseEvent *event)
{
    if (!mayLeave() || !m_classroom->closeRoom()) {
        event->ignore();
        return;
    }
    storeSettings();
    event->accept();
}

void TeacherWindow::rememberFile(const QString &path)
{
    QSettings s = settings();
    QStringList recent = s.value(QStringLiteral("bank/recent")).toStringList();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    s.setValue(QStringLiteral("bank/recent"), recent.mid(0, kRecentFiles));
    fillRecent();
}

void TeacherWindow::fillRecent()
{
    m_recent->clear();
    const QStringList recent = settings().value(QStringLiteral("bank/recent")).toStringList();
    for (const QString &path : recent) {
        // Numbered, so that the keyboard picks one as quickly as the mouse.
        QString caption = QDir::toNativeSeparators(path).replace(QLatin1Char('&'), QStringLiteral("&&"));
        caption.prepend(QStringLiteral("&%1 ").arg(m_recent->actions().size() + 1));
        QAction *a = m_recent->addAction(caption);
        connect(a, &QAction::triggered, this, [this, path] {
            if (mayLeave())
                openBank(path);
        });
    }
    m_recent->setEnabled(!recent.isEmpty());
}

void TeacherWindow::restoreSettings()
{
    QSettings s = settings();
    if (!restoreGeometry(s.value(QStringLiteral("window/geometry")).toByteArray())) {
        // The first start: a roomy window, but never larger than the screen it opens on.
        const QSize room = screen() ? screen()->availableSize() : QSize(1180, 720);
        resize(QSize(1180, 720).boundedTo(room));
    }
    m_doc->setMinimum(qMax(1, s.value(QStringLiteral("bank/minimum"), 1).toInt()));
    fillRecent();
    // The first start on a folder shows the folder's own file, there or not yet: the first game
    // of a fresh folder writes it, and the tab follows. Later starts on the same folder show what
    // the teacher left open there, a file not there yet included; a file taken off the list
    // stays off. Each folder keeps its own list: a start with --folder on another class's folder
    // shows that class's results, not the files left open on this one.
    const QVariantMap byFolder = s.value(QStringLiteral("results/byFolder")).toMap();
    const QString here = QDir(m_folder).absolutePath();
    const QStringList results = byFolder.contains(here) ? byFolder.value(here).toStringList()
                                                        : QStringList{ResultsFilePath(m_folder)};
    m_results->openFiles(results);
    const QString service = ServerServiceOf(m_folder);
    m_loadToServer->setEnabled(!service.isEmpty());
    if (!service.isEmpty())
        m_results->useServer(service);
}

void TeacherWindow::storeSettings() const
{
    QSettings s = settings();
    s.setValue(QStringLiteral("window/geometry"), saveGeometry());
    s.setValue(QStringLiteral("bank/minimum"), m_doc->minimum());
    QVariantMap byFolder = s.value(QStringLiteral("results/byFolder")).toMap();
    byFolder.insert(QDir(m_folder).absolutePath(), m_results->files());
    s.setValue(QStringLiteral("results/byFolder"), byFolder);
}
