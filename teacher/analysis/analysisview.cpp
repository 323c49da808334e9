#include "analysisview.h"

#include "funnelchart.h"
#include "levelmovespane.h"
#include "questiontablemodel.h"
#include "answersfeed.h"
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
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QLabel *buddyLabel(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

} // namespace

AnalysisView::AnalysisView(QWidget *parent)
    : QWidget(parent), m_watch(new JournalWatch(this)), m_server(new AnswersFeed(this)),
      m_model(new QuestionTableModel(this))
{
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
    m_students->setReader([this](const GamePath &game) {
        return source() ? source()->path(game) : Result<QList<JournalAnswer>>::failure(QStringLiteral("журналы не открыты"));
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
    connect(m_server, &AnswersFeed::gamesEnded, this, &AnalysisView::refresh);
    refresh();
}

AnalysisView::~AnalysisView() = default;

QSpinBox *AnalysisView::addSpin(const char *name, int min, int max, int value, const QString &suffix)
{
    auto *spin = new QSpinBox(this);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(min, max);
    spin->setValue(value);
    spin->setSuffix(suffix);
    connect(spin, &QSpinBox::valueChanged, this, &AnalysisView::analyse);
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
    m_quickMs->setToolTip(QStringLiteral("Верный ответ быстрее этого считается угаданным"));
}

QWidget *AnalysisView::buildControls()
{
    auto *controls = new QWidget(this);
    m_lessonBox = new QComboBox(this);
    m_lessonBox->setObjectName(QStringLiteral("analysisLesson"));
    m_lessonBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_lessonBox, &QComboBox::currentIndexChanged, this, &AnalysisView::analyse);
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
    m_archive.reset();
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
    return m_archive ? m_archive->files() : QStringList{};
}

void AnalysisView::followServer(const QString &service)
{
    const QString problem = m_server->follow(service);
    m_serverLine = problem.isEmpty() ? QString()
                                     : QStringLiteral("Ответы с сервера «%1» не прочитаны, показаны журналы этой папки: %2")
                                           .arg(service, problem);
    m_stamp.clear();
    refresh();
}

bool AnalysisView::readsServer() const
{
    return m_server->answers() != nullptr;
}

const AnswerSource *AnalysisView::source() const
{
    if (readsServer())
        return m_server->answers();
    return m_archive.get();
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
    if (readsServer()) {
        // Every game that ended since: the server adds the lesson up anew.
        fillLessons();
        analyse();
        emit refreshed();
        return;
    }
    QStringList stamp = m_watch->stamp();
    if (m_archive && stamp == m_stamp)
        return;
    m_stamp = std::move(stamp);
    // The same journals, all readable: the archive reads again only those written meanwhile.
    // Another set, or one that could not be read (it may be whole now), is opened afresh.
    const QStringList journals = m_watch->journals();
    if (!m_archive || m_archive->files() != journals || !m_archive->problems().isEmpty())
        m_archive = std::make_unique<AnswerArchive>(journals);
    fillLessons();
    analyse();
    emit refreshed();
}

void AnalysisView::fillLessons()
{
    // The lesson chosen stays chosen while new games bring other lessons in.
    const QString chosen = m_lessonBox->currentText();
    const QSignalBlocker quiet(m_lessonBox);
    m_lessonBox->clear();
    m_lessonBox->addItems(source()->lessons());
    const int index = m_lessonBox->findText(chosen);
    m_lessonBox->setCurrentIndex(index >= 0 ? index : 0);
}

void AnalysisView::analyse()
{
    const QString lesson = m_lessonBox->currentText();
    m_analysis = source() && !lesson.isEmpty() ? source()->analyse(lesson, settings()) : LessonAnalysis{};
    m_model->setQuestions(m_analysis.questions);
    m_table->resizeColumnsToContents();
    m_table->resizeRowsToContents();
    QList<int> widths;
    for (int c = 0; c < QuestionTableModel::ColumnCount; ++c)
        widths.append(m_table->horizontalHeader()->sectionSize(c));
    m_fit->setPreferred(widths);
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
    if (readsServer())
        status.append(QStringLiteral("Сервер «%1»: игр занятия: %2, ответов: %3.")
                          .arg(m_server->service()).arg(m_analysis.games.size()).arg(m_analysis.answers));
    else if (!m_serverLine.isEmpty())
        status.prepend(m_serverLine);
}

void AnalysisView::showProblems()
{
    if (!source())
        return;
    m_problemList->clear();
    QStringList lines;
    for (const JournalProblem &p : source()->problems()) {
        lines.append(readsServer() ? QStringLiteral("Сервер «%1» не прочитан: %2").arg(m_server->service(), p.problem)
                                   : QStringLiteral("Журнал «%1» не прочитан: %2").arg(QDir::toNativeSeparators(p.file), p.problem));
    }
    for (const MachineProblem &p : m_watch->machineProblems())
        lines.append(QStringLiteral("Машина «%1» не смогла записать журнал: %2").arg(p.machine, p.note));
    m_problemList->addItems(lines);
    QStringList status;
    if (!readsServer())
        status.append(QStringLiteral("Журналов: %1, игр занятия: %2, ответов: %3.")
                          .arg(m_archive->files().size() - m_archive->problems().size())
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
