#include "resultsview.h"

#include "backgroundthread.h"
#include "cp1251.h"
#include "gradechart.h"
#include "resultsfiles.h"
#include "resultsfilter.h"
#include "resultsmodel.h"
#include "results.h"
#include "resultstable.h"
#include "resultsserver.h"
#include "tablefit.h"
#include "userfile.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString lessonTitle(const QByteArray &lessonKey)
{
    return lessonKey.isEmpty() ? QStringLiteral("(без занятия)") : cp1251::decode(lessonKey);
}

} // namespace

void EnableNamedClearButton(QLineEdit *edit)
{
    edit->setClearButtonEnabled(true);
    // The clear button shows once something is typed; a screen reader names it then too.
    for (QToolButton *clear : edit->findChildren<QToolButton *>())
        clear->setAccessibleName(QStringLiteral("Очистить"));
}

ResultsView::ResultsView(QWidget *parent)
    : QWidget(parent),
      m_files(new ResultsFiles(this)),
      m_model(new ResultsModel(this)),
      m_filter(new ResultsFilter(this)),
      m_serverThread(new QThread(this)),
      m_server(new ResultsServer)
{
    // The reader and its connections are destroyed on their thread as it ends.
    m_server->moveToThread(m_serverThread);
    connect(m_serverThread, &QThread::finished, m_server, &QObject::deleteLater);
    m_serverThread->setObjectName(QStringLiteral("results server"));
    StartBackgroundThread(m_serverThread);
    m_filter->setResultsModel(m_model);
    buildLayout();
    connect(m_files, &ResultsFiles::changed, this, &ResultsView::refresh);
    connect(m_lessonBox, &QComboBox::currentIndexChanged, this, &ResultsView::chooseLesson);
    connect(m_nameEdit, &QLineEdit::textChanged, this, &ResultsView::typeName);
    connectServerReader();
    fitColumns();
    fillLessons();
    updateShown();
    fillFiles();
}

ResultsView::~ResultsView()
{
    m_serverThread->quit();
    m_serverThread->wait();
}

void ResultsView::buildLayout()
{
    m_lessonBox = new QComboBox(this);
    m_lessonBox->setObjectName(QStringLiteral("lessonFilter"));
    m_lessonBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(QStringLiteral("nameFilter"));
    m_nameEdit->setPlaceholderText(QStringLiteral("часть фамилии"));
    EnableNamedClearButton(m_nameEdit);
    auto *lessonLabel = new QLabel(QStringLiteral("&Занятие:"), this);
    lessonLabel->setBuddy(m_lessonBox);
    auto *nameLabel = new QLabel(QStringLiteral("&Фамилия:"), this);
    nameLabel->setBuddy(m_nameEdit);
    auto *filters = new QHBoxLayout;
    filters->addWidget(lessonLabel);
    filters->addWidget(m_lessonBox);
    filters->addSpacing(12);
    filters->addWidget(nameLabel);
    filters->addWidget(m_nameEdit, 1);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("resultsTable"));
    m_table->setAccessibleName(QStringLiteral("Результаты"));
    m_table->setModel(m_filter);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // The weights of lesson, name, levels, grade, files and state.
    m_fit = new TableFit(m_table, {0, 2, 0, 0, 1, 3});
    // Records stay in file order until the teacher clicks a column.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->setSortingEnabled(true);
    m_chart = new GradeChart(this);
    m_chart->setObjectName(QStringLiteral("gradeChart"));
    m_chart->setMinimumWidth(300);
    auto *side = new QWidget(this);
    auto *sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(m_chart, 1);
    sideLayout->addWidget(buildFilesPane());
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_table);
    splitter->addWidget(side);
    // The table takes the room a wide screen gives; the chart keeps what it needs.
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    // A pane dragged shut would leave only a thin handle at the edge, easy to miss.
    splitter->setChildrenCollapsible(false);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("resultsStatus"));
    m_status->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildServerBar());
    layout->addLayout(filters);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_status);
}

// The files open, so that one can be taken off: a machine gone from the lab, a file opened by
// mistake, or the folder's own file where the class keeps its results elsewhere.
QWidget *ResultsView::buildFilesPane()
{
    auto *pane = new QWidget(this);
    m_fileList = new QListWidget(pane);
    m_fileList->setObjectName(QStringLiteral("resultsFiles"));
    m_fileList->setAccessibleName(QStringLiteral("Файлы результатов"));
    m_fileList->setMaximumHeight(5 * m_fileList->fontMetrics().lineSpacing() + 8);
    auto *label = new QLabel(QStringLiteral("Файлы &результатов:"), pane);
    label->setBuddy(m_fileList);
    auto *add = new QPushButton(QStringLiteral("Д&обавить…"), pane);
    add->setObjectName(QStringLiteral("addResultsFile"));
    m_removeFile = new QPushButton(QStringLiteral("&Убрать из списка"), pane);
    m_removeFile->setObjectName(QStringLiteral("removeResultsFile"));
    connect(add, &QPushButton::clicked, this, &ResultsView::addRequested);
    connect(m_removeFile, &QPushButton::clicked, this, &ResultsView::removeChosenFile);
    connect(m_fileList, &QListWidget::currentRowChanged, this, [this](int row) { m_removeFile->setEnabled(row >= 0); });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(m_removeFile);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(m_fileList);
    layout->addLayout(buttons);
    return pane;
}

void ResultsView::openFiles(const QStringList &paths)
{
    m_files->setPaths(paths);
    // The server's rows stay shown: the files are what a load would send.
    if (!m_open)
        showSources();
    fillFiles();
}

void ResultsView::removeChosenFile()
{
    const int row = m_fileList->currentRow();
    QStringList paths = m_files->paths();
    if (row < 0 || row >= paths.size())
        return;
    paths.removeAt(row);
    openFiles(paths);
    m_fileList->setCurrentRow(std::min(row, int(paths.size()) - 1));
}

void ResultsView::fillFiles()
{
    m_fileList->clear();
    for (const QString &path : m_files->paths())
        m_fileList->addItem(QDir::toNativeSeparators(path));
    m_removeFile->setEnabled(m_fileList->currentRow() >= 0);
}

QStringList ResultsView::files() const
{
    return m_files->paths();
}

void ResultsView::refresh()
{
    if (m_open) {
        readServer();
        return;
    }
    std::vector<ResultsSource> sources = m_files->read();
    // The lock file and the game's temporary file stir the folder too: only new bytes count.
    if (sources == m_model->sources())
        return;
    m_model->setSources(std::move(sources));
    fitColumns();
    fillLessons();
    updateShown();
    emit refreshed();
}

void ResultsView::showSources()
{
    m_model->setSources(m_files->read());
    fitColumns();
    fillLessons();
    updateShown();
}

// Every title and every grade word read whole: the columns would take the width of their
// contents (Qt looks at the rows shown and a thousand more), and the grade column the width of
// its longest word, which may stand far down a long file. On a narrow screen the name, the
// files and the state give up room, so that the state column is still seen.
void ResultsView::fitColumns()
{
    m_table->resizeColumnsToContents();
    const int margin = 2 * m_table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_table) + 8;
    int grade = 0;
    for (int level : {1, 6, 11, 16})
        grade = std::max(grade, m_table->fontMetrics().horizontalAdvance(cp1251::decode(GradeWord(level))) + margin);
    QHeaderView *header = m_table->horizontalHeader();
    QList<int> widths;
    for (int c = 0; c < header->count(); ++c)
        widths.append(c == ResultsModel::Grade ? std::max(header->sectionSize(c), grade) : header->sectionSize(c));
    m_fit->setPreferred(widths);
}

void ResultsView::fillLessons()
{
    // The lesson chosen stays chosen while a refresh brings other lessons in; one that has gone
    // leaves every lesson shown.
    const QVariant chosen = m_lessonBox->currentData();
    const QSignalBlocker quiet(m_lessonBox);
    m_lessonBox->clear();
    m_lessonBox->addItem(QStringLiteral("Все занятия"));
    for (const QByteArray &lesson : m_model->lessons())
        m_lessonBox->addItem(lessonTitle(lesson), lesson);
    const int index = chosen.isValid() ? m_lessonBox->findData(chosen) : 0;
    m_lessonBox->setCurrentIndex(index < 0 ? 0 : index);
    m_filter->setLesson(index > 0 ? std::optional(chosen.toByteArray()) : std::nullopt);
}

void ResultsView::chooseLesson(int index)
{
    const QVariant lesson = m_lessonBox->itemData(index);
    m_filter->setLesson(lesson.isValid() ? std::optional(lesson.toByteArray()) : std::nullopt);
    updateShown();
}

void ResultsView::typeName(const QString &text)
{
    m_filter->setNameFilter(text);
    updateShown();
}

void ResultsView::updateShown()
{
    const std::optional<QByteArray> lesson = m_filter->lesson();
    m_chart->setSubject(lesson ? lessonTitle(*lesson) : QStringLiteral("все занятия"));
    m_chart->setCounts(m_filter->gradeCounts());
    m_status->setText(statusText());
}

QString ResultsView::statusText() const
{
    QStringList lines{QStringLiteral("Показано записей: %1 из %2.")
                          .arg(m_filter->rowCount()).arg(m_model->rowCount())};
    for (const ResultsSource &source : m_model->sources()) {
        if (source.missing)
            lines.append(QStringLiteral("Файла «%1» пока нет.").arg(QDir::toNativeSeparators(source.path)));
        else if (!source.error.isEmpty())
            lines.append(source.error);
    }
    return lines.join(QLatin1Char('\n'));
}

bool ResultsView::exportCsv(const QString &path, QString *error) const
{
    std::vector<ResultEntry> entries;
    std::vector<QStringList> serverRows{ServerResultColumnTitles()};
    for (int source : m_filter->shownSourceRows()) {
        entries.push_back(m_model->resultRow(source).entry);
        if (m_model->showsServer())
            serverRows.push_back(ServerResultFields(m_model->serverRow(source)));
    }
    const Status written
        = WriteOutputFile(path, m_model->showsServer() ? FormatCsv(serverRows) : FormatResultsCsv(entries));
    if (error)
        *error = written.error;
    return written.ok();
}

