#include "analysisview.h"

#include "backgroundthread.h"
#include "funnelchart.h"
#include "levelmovespane.h"
#include "questiontablemodel.h"
#include "studentpaths.h"
#include "tablefit.h"
#include "userfile.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

QLabel *buddyLabel(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

} // namespace

AnalysisView::AnalysisView(QWidget *parent)
    : QWidget(parent), m_watch(new JournalWatch(this)), m_thread(new QThread(this)),
      m_worker(new AnalysisWorker), m_model(new QuestionTableModel(this))
{
    // The worker and everything it opens are destroyed on its thread as the thread ends.
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->setObjectName(QStringLiteral("analysis"));
    StartBackgroundThread(m_thread);
    // Made in the order they stand, top to bottom, which is the order Tab visits them in: the
    // lesson and the thresholds, the pages' tabs, then what the page shows.
    QWidget *controls = buildControls();
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("analysisPages"));
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("questionTable"));
    m_table->setAccessibleName(QStringLiteral("Вопросы занятия"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // A line a row, the height known without asking every row for it.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // The question takes the room left; the figures keep theirs, so a 1024-pixel screen shows
    // every column, the question's whole text in its tooltip.
    QList<int> weights(QuestionTableModel::ColumnCount, 0);
    weights[QuestionTableModel::Question] = 1;
    m_fit = new TableFit(m_table, weights);
    m_funnel = new FunnelChart(this);
    m_funnel->setObjectName(QStringLiteral("funnelChart"));
    m_funnel->setAccessibleName(QStringLiteral("Сколько учеников дошли до каждого уровня и прошли его"));
    m_students = new StudentPaths(this);
    m_students->setObjectName(QStringLiteral("studentPaths"));
    m_students->setReader([worker = m_worker](const GamePath &game) {
        QMetaObject::invokeMethod(worker, [worker, game] { worker->readPath(game); });
    });
    m_moves = new LevelMovesPane(this);
    m_moves->setObjectName(QStringLiteral("levelMovesPane"));
    m_moves->setApplier([this](const LevelMove &move) {
        return m_applier ? m_applier(lessonBankFile(), move) : QStringLiteral("Вопросник не открыт.");
    });
    m_pages->addTab(m_table, QStringLiteral("Вопросы"));
    m_pages->addTab(m_funnel, QStringLiteral("Уровни"));
    m_pages->addTab(m_students, QStringLiteral("Ученики"));
    m_pages->addTab(m_moves, QStringLiteral("Перенос по уровням"));
    m_pages->addTab(buildJournalsPane(), QStringLiteral("Журналы"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("analysisStatus"));
    m_status->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(controls);
    layout->addWidget(m_pages, 1);
    layout->addWidget(m_status);
    // While the server is read, the folder's journals are its machines' copies: the server's
    // word that a game ended is what counts.
    connect(m_watch, &JournalWatch::changed, this, [this] {
        if (!readsServer())
            refresh();
    });
    connect(m_worker, &AnalysisWorker::analysed, this, &AnalysisView::received);
    connect(m_worker, &AnalysisWorker::pathRead, this, [this](const PathOutcome &path) {
        m_students->showGamePath(path.gameId, path.answers);
    });
    connect(m_worker, &AnalysisWorker::changed, this, [this] { request(JournalReading::Changed); });
    refresh();
}

AnalysisView::~AnalysisView()
{
    m_thread->quit();
    m_thread->wait();
}

QSpinBox *AnalysisView::addSpin(const char *name, int min, int max, int value, const QString &suffix)
{
    auto *spin = new QSpinBox(this);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(min, max);
    spin->setValue(value);
    spin->setSuffix(suffix);
    connect(spin, &QSpinBox::valueChanged, this, &AnalysisView::reflag);
    return spin;
}

// The thresholds of the flags and the moves: each change redraws the table at once.
void AnalysisView::buildThresholds()
{
    const AnalysisSettings defaults;
    m_margin = addSpin("analysisMargin", 1, 90, qRound(defaults.margin * 100), QStringLiteral(" %"));
    m_margin->setToolTip(QStringLiteral("Насколько доля верных может отстоять от соседних вопросов уровня, "
                                        "прежде чем вопрос отмечен как трудный или лёгкий"));
    m_minAnswers = addSpin("analysisMinAnswers", 1, 10000, defaults.minAnswers, QString());
    m_minAnswers->setToolTip(QStringLiteral("Сколько ответов нужно вопросу, чтобы его отмечать"));
    m_minMove = addSpin("analysisMinMove", 1, 10000, defaults.minAnswersToMove, QString());
    m_minMove->setToolTip(QStringLiteral("Сколько ответов нужно вопросу, чтобы предлагать его перенос"));
    m_quickMs = addSpin("analysisQuickMs", 100, 60000, int(defaults.quickMs), QStringLiteral(" мс"));
    m_quickMs->setSingleStep(100);
    // What counts as quick is counted as the answers are read: they are read again.
    disconnect(m_quickMs, &QSpinBox::valueChanged, this, &AnalysisView::reflag);
    connect(m_quickMs, &QSpinBox::valueChanged, this, [this] { request(JournalReading::Keep); });
    m_quickMs->setToolTip(QStringLiteral("Верный ответ быстрее этого считается угаданным"));
}

QWidget *AnalysisView::buildControls()
{
    auto *controls = new QWidget(this);
    m_lessonBox = new QComboBox(this);
    m_lessonBox->setObjectName(QStringLiteral("analysisLesson"));
    m_lessonBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_lessonBox, &QComboBox::currentIndexChanged, this, [this] {
        m_wantedLesson = m_lessonBox->currentText();
        request(JournalReading::Keep);
    });
    auto *propose = new QPushButton(QStringLiteral("Предложить &уровни"), this);
    propose->setObjectName(QStringLiteral("proposeLevels"));
    auto *exportCsv = new QPushButton(QStringLiteral("Экспорт &CSV…"), this);
    exportCsv->setObjectName(QStringLiteral("analysisCsv"));
    // The thresholds' line is below the lesson's, and after it for Tab.
    buildThresholds();
    connect(propose, &QPushButton::clicked, this, &AnalysisView::proposeLevels);
    connect(exportCsv, &QPushButton::clicked, this, &AnalysisView::exportRequested);
    auto *top = new QHBoxLayout;
    top->addWidget(buddyLabel(QStringLiteral("&Занятие:"), m_lessonBox));
    top->addWidget(m_lessonBox);
    top->addStretch(1);
    top->addWidget(propose);
    top->addWidget(exportCsv);
    // The thresholds on a line of their own, so that the tab fits a 1024-pixel screen.
    auto *thresholds = new QHBoxLayout;
    const QList<std::pair<QString, QWidget *>> fields{
        {QStringLiteral("По&рог:"), m_margin}, {QStringLiteral("Ответов для о&тметки:"), m_minAnswers},
        {QStringLiteral("для пере&носа:"), m_minMove}, {QStringLiteral("&Быстро:"), m_quickMs}};
    for (const auto &[text, field] : fields) {
        thresholds->addWidget(buddyLabel(text, field));
        thresholds->addWidget(field);
    }
    thresholds->addStretch(1);
    auto *rows = new QVBoxLayout(controls);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->addLayout(top);
    rows->addLayout(thresholds);
    return controls;
}

QWidget *AnalysisView::buildJournalsPane()
{
    auto *pane = new QWidget(this);
    m_sourceList = new QListWidget(pane);
    m_sourceList->setObjectName(QStringLiteral("analysisSources"));
    m_sourceList->setAccessibleName(QStringLiteral("Журналы ответов"));
    auto *add = new QPushButton(QStringLiteral("&Добавить журналы…"), pane);
    add->setObjectName(QStringLiteral("addJournals"));
    auto *remove = new QPushButton(QStringLiteral("Убрать из спис&ка"), pane);
    remove->setObjectName(QStringLiteral("removeJournals"));
    // Below the buttons, and so after them for Tab.
    m_problemList = new QListWidget(pane);
    m_problemList->setObjectName(QStringLiteral("analysisProblems"));
    m_problemList->setAccessibleName(QStringLiteral("Неполадки журналов"));
    m_problemList->setWordWrap(true);
    connect(add, &QPushButton::clicked, this, &AnalysisView::addRequested);
    connect(remove, &QPushButton::clicked, this, &AnalysisView::removeChosenSource);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(pane);
    layout->addWidget(new QLabel(QStringLiteral("Папки и журналы, которые читаются:"), pane));
    layout->addWidget(m_sourceList, 1);
    layout->addLayout(buttons);
    layout->addWidget(new QLabel(QStringLiteral("Неполадки журналов:"), pane));
    layout->addWidget(m_problemList, 1);
    return pane;
}

void AnalysisView::openSources(const QStringList &sources)
{
    m_watch->setSources(sources);
    m_stamp.clear();
    m_reading = JournalReading::Afresh;
    m_sourceList->clear();
    for (const QString &source : m_watch->sources())
        m_sourceList->addItem(QDir::toNativeSeparators(source));
    refresh();
}

QStringList AnalysisView::sources() const
{
    return m_watch->sources();
}

QStringList AnalysisView::journals() const
{
    return m_journals;
}

void AnalysisView::followServer(const QString &service)
{
    m_service = service;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, service] { worker->follow(service); });
    request(JournalReading::Keep);
}

void AnalysisView::setServerRetryMs(int ms)
{
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, ms] { worker->setRetryMs(ms); });
}

void AnalysisView::removeChosenSource()
{
    const int row = m_sourceList->currentRow();
    QStringList sources = m_watch->sources();
    if (row < 0 || row >= sources.size())
        return;
    sources.removeAt(row);
    openSources(sources);
}

AnalysisSettings AnalysisView::settings() const
{
    AnalysisSettings s;
    s.margin = m_margin->value() / 100.0;
    s.minAnswers = m_minAnswers->value();
    s.minAnswersToMove = m_minMove->value();
    s.quickMs = m_quickMs->value();
    return s;
}

void AnalysisView::refresh()
{
    // While the server is read, every game that ended since counts: the server adds the lesson
    // up anew. The journals are read again only when they changed since they were last read.
    if (!m_fromServer) {
        QStringList stamp = m_watch->stamp();
        if (m_reading != JournalReading::Afresh && stamp == m_stamp)
            return;
        m_stamp = std::move(stamp);
    }
    request(JournalReading::Changed);
}

void AnalysisView::request(JournalReading reading)
{
    m_reading = std::max(m_reading, reading);
    if (m_inFlight) {
        m_again = true;
        return;
    }
    AnalysisRequest r{m_watch->journals(), m_reading, m_wantedLesson, settings()};
    m_reading = JournalReading::Keep;
    m_inFlight = true;
    if (m_analysis.lesson.isEmpty() && m_analysis.questions.isEmpty())
        m_status->setText(QStringLiteral("Ответы читаются…"));
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, r] { worker->analyse(r); });
}

void AnalysisView::received(const AnalysisOutcome &outcome)
{
    // What the window shows is shared with the outcome; what it showed before (tens of
    // thousands of games) is let go on the reading thread, not here.
    LessonAnalysis shown = m_analysis;
    m_inFlight = false;
    const bool again = std::exchange(m_again, false);
    // A reading of the lesson the teacher has since left is not shown: the next one follows.
    if (!again || outcome.analysis.lesson == m_wantedLesson || m_wantedLesson.isEmpty()) {
        m_fromServer = outcome.fromServer;
        m_serverProblem = outcome.serverProblem;
        m_problems = outcome.problems;
        m_journals = outcome.journals;
        fillLessons(outcome.lessons);
        if (m_wantedLesson.isEmpty())
            m_wantedLesson = m_lessonBox->currentText();
        m_analysis = outcome.analysis;
        showAnalysis();
    }
    QMetaObject::invokeMethod(m_worker, [gone = std::move(shown)] { Q_UNUSED(gone) });
    if (again)
        request(JournalReading::Keep);
    else
        emit refreshed();
}

void AnalysisView::fillLessons(const QStringList &lessons)
{
    // The lesson chosen stays chosen while new games bring other lessons in.
    const QString chosen = m_wantedLesson.isEmpty() ? m_lessonBox->currentText() : m_wantedLesson;
    // The same list with the same lesson chosen is left as it is: refilled, the box would be
    // measured anew and the whole tab laid out and repainted again.
    QStringList shown;
    for (int i = 0; i < m_lessonBox->count(); ++i)
        shown.append(m_lessonBox->itemText(i));
    if (shown == lessons && m_lessonBox->currentText() == chosen)
        return;
    const QSignalBlocker quiet(m_lessonBox);
    m_lessonBox->clear();
    m_lessonBox->addItems(lessons);
    const int index = m_lessonBox->findText(chosen);
    m_lessonBox->setCurrentIndex(index >= 0 ? index : 0);
}

void AnalysisView::reflag()
{
    FlagQuestions(m_analysis, settings());
    showAnalysis();
}

void AnalysisView::showAnalysis()
{
    m_model->setQuestions(m_analysis.questions);
    m_fit->setPreferred(contentWidths());
    m_funnel->setLevels(m_analysis.levels);
    m_students->setGames(m_analysis.games);
    // The proposals shown follow the lesson's new games with the teacher's decisions kept;
    // another lesson's would not hold.
    if (!m_moves->lesson().isEmpty() && m_moves->lesson() == m_analysis.lesson)
        m_moves->setMoves(m_analysis.lesson, ProposeLevels(m_analysis, settings()), settings());
    else
        m_moves->clear();
    // A journal may turn out unreadable only as a lesson is added up.
    showProblems();
}

QList<int> AnalysisView::contentWidths() const
{
    // Measured with the font, as the item delegate would draw the text: asking the view for its
    // columns' sizes goes through the delegate cell by cell and costs the window tens of ms.
    const QFontMetrics metrics(m_table->font());
    // A text's margins on either side, and the grid's line.
    const int padding = 2 * (m_table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_table) + 1)
                        + (m_table->showGrid() ? 1 : 0);
    QList<int> widths;
    for (int c = 0; c < QuestionTableModel::ColumnCount; ++c) {
        int width = m_table->horizontalHeader()->sectionSizeHint(c);
        for (int r = 0; r < m_model->rowCount(); ++r) {
            const QString text = m_model->data(m_model->index(r, c)).toString();
            width = std::max(width, metrics.horizontalAdvance(text) + padding);
        }
        widths.append(width);
    }
    return widths;
}

void AnalysisView::proposeLevels()
{
    m_moves->setMoves(m_analysis.lesson, ProposeLevels(m_analysis, settings()), settings());
    m_pages->setCurrentWidget(m_moves);
}

QString AnalysisView::lessonBankFile() const
{
    for (auto game = m_analysis.games.crbegin(); game != m_analysis.games.crend(); ++game) {
        if (!game->game.bankFile.isEmpty())
            return game->game.bankFile;
    }
    return {};
}

void AnalysisView::showServerStatus(QStringList &status) const
{
    if (m_fromServer)
        status.append(QStringLiteral("Сервер «%1»: игр занятия: %2, ответов: %3.")
                          .arg(m_service).arg(m_analysis.games.size()).arg(m_analysis.answers));
    else if (!m_service.isEmpty() && !m_serverProblem.isEmpty())
        status.prepend(QStringLiteral("Ответы с сервера «%1» не прочитаны, показаны журналы этой папки: %2 "
                                      "Программа подключается снова сама, пока сервер не ответит.")
                           .arg(m_service, m_serverProblem));
}

void AnalysisView::showProblems()
{
    m_problemList->clear();
    QStringList lines;
    for (const JournalProblem &p : m_problems) {
        lines.append(m_fromServer ? QStringLiteral("Сервер «%1» не прочитан: %2").arg(m_service, p.problem)
                                  : QStringLiteral("Журнал «%1» не прочитан: %2").arg(QDir::toNativeSeparators(p.file), p.problem));
    }
    for (const MachineProblem &p : m_watch->machineProblems())
        lines.append(QStringLiteral("Машина «%1» не смогла записать журнал: %2").arg(p.machine, p.note));
    m_problemList->addItems(lines);
    QStringList status;
    if (!m_fromServer)
        status.append(QStringLiteral("Журналов: %1, игр занятия: %2, ответов: %3.")
                          .arg(m_journals.size() - m_problems.size())
                          .arg(m_analysis.games.size()).arg(m_analysis.answers));
    showServerStatus(status);
    if (!lines.isEmpty())
        status.append(QStringLiteral("Неполадки (%1) — на странице «Журналы»: ").arg(lines.size()) + lines.front());
    m_status->setText(status.join(QLatin1Char('\n')));
}

bool AnalysisView::exportCsv(const QString &path, QString *error) const
{
    const Status written = WriteOutputFile(path, QuestionTableCsv(m_analysis));
    if (error)
        *error = written.error;
    return written.ok();
}
