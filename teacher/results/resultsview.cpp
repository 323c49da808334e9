#include "resultsview.h"

#include "cp1251.h"
#include "gradechart.h"
#include "resultsfiles.h"
#include "resultsfilter.h"
#include "resultsmodel.h"
#include "results.h"
#include "resultstable.h"
#include "toolio.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString lessonTitle(const QByteArray &lessonKey)
{
    return lessonKey.isEmpty() ? QStringLiteral("(без занятия)") : cp1251::decode(lessonKey);
}

} // namespace

ResultsView::ResultsView(QWidget *parent)
    : QWidget(parent),
      m_files(new ResultsFiles(this)),
      m_model(new ResultsModel(this)),
      m_filter(new ResultsFilter(this))
{
    m_filter->setResultsModel(m_model);
    buildLayout();
    connect(m_files, &ResultsFiles::changed, this, &ResultsView::refresh);
    connect(m_lessonBox, &QComboBox::currentIndexChanged, this, &ResultsView::chooseLesson);
    connect(m_nameEdit, &QLineEdit::textChanged, this, &ResultsView::typeName);
    fillLessons();
    updateShown();
}

ResultsView::~ResultsView() = default;

void ResultsView::buildLayout()
{
    m_lessonBox = new QComboBox(this);
    m_lessonBox->setObjectName(QStringLiteral("lessonFilter"));
    m_lessonBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(QStringLiteral("nameFilter"));
    m_nameEdit->setPlaceholderText(QStringLiteral("часть фамилии"));
    m_nameEdit->setClearButtonEnabled(true);
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
    m_table->setModel(m_filter);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Records stay in file order until the teacher clicks a column.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->setSortingEnabled(true);
    m_chart = new GradeChart(this);
    m_chart->setObjectName(QStringLiteral("gradeChart"));
    m_chart->setMinimumWidth(360);
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_table);
    splitter->addWidget(m_chart);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    // A pane dragged shut would leave only a thin handle at the edge, easy to miss.
    splitter->setChildrenCollapsible(false);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("resultsStatus"));
    m_status->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_status);
}

void ResultsView::openFiles(const QStringList &paths)
{
    m_files->setPaths(paths);
    showSources();
}

QStringList ResultsView::files() const
{
    return m_files->paths();
}

void ResultsView::refresh()
{
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

// Every title and every grade word read whole: the columns take the width of their contents
// (Qt looks at the rows shown and a thousand more), and the grade column the width of its
// longest word, which may stand far down a long file.
void ResultsView::fitColumns()
{
    m_table->resizeColumnsToContents();
    const int margin = 2 * m_table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_table) + 8;
    int grade = 0;
    for (int level : {1, 6, 11, 16})
        grade = std::max(grade, m_table->fontMetrics().horizontalAdvance(cp1251::decode(GradeWord(level))) + margin);
    QHeaderView *header = m_table->horizontalHeader();
    header->resizeSection(ResultsModel::Grade, std::max(header->sectionSize(ResultsModel::Grade), grade));
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
    for (int source : m_filter->shownSourceRows())
        entries.push_back(m_model->resultRow(source).entry);
    const Status written = WriteOutputFile(path, FormatResultsCsv(entries));
    if (error)
        *error = written.error;
    return written.ok();
}
