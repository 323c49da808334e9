// The results tab's reading of the school's server: the server's line and filters, the rows read
// and followed, the fall-back to the files, and the load of the files into the server.

#include "resultsview.h"

#include "journalload.h"

#include "resultsfiles.h"
#include "resultsmodel.h"
#include "serverfeed.h"

#include <QDateEdit>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A day bounding the rows read; its least date reads "любая": no bound on that side.
QDateEdit *dateFilter(QWidget *parent, QHBoxLayout *row, const QString &title, const char *name)
{
    auto *edit = new QDateEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMinimumDate(QDate(2000, 1, 1));
    edit->setSpecialValueText(QStringLiteral("любая"));
    edit->setDate(edit->minimumDate());
    edit->setCalendarPopup(true);
    auto *label = new QLabel(title, parent);
    label->setBuddy(edit);
    row->addWidget(label);
    row->addWidget(edit);
    return edit;
}

} // namespace

// The server's line, with a button to try again, and the filters the server applies: a machine
// and the days the rows were recorded on, each narrowing what is read.
QWidget *ResultsView::buildServerBar()
{
    m_serverBar = new QWidget(this);
    m_serverLine = new QLabel(m_serverBar);
    m_serverLine->setObjectName(QStringLiteral("serverLine"));
    m_serverLine->setWordWrap(true);
    m_reconnect = new QPushButton(QStringLiteral("Подключиться &снова"), m_serverBar);
    m_reconnect->setObjectName(QStringLiteral("serverReconnect"));
    connect(m_reconnect, &QPushButton::clicked, this, &ResultsView::connectServer);
    m_serverFilters = new QWidget(m_serverBar);
    m_machineEdit = new QLineEdit(m_serverFilters);
    m_machineEdit->setObjectName(QStringLiteral("machineFilter"));
    m_machineEdit->setPlaceholderText(QStringLiteral("часть имени компьютера"));
    EnableNamedClearButton(m_machineEdit);
    auto *filters = new QHBoxLayout(m_serverFilters);
    filters->setContentsMargins(0, 0, 0, 0);
    auto *machineLabel = new QLabel(QStringLiteral("&Компьютер:"), m_serverFilters);
    machineLabel->setBuddy(m_machineEdit);
    filters->addWidget(machineLabel);
    filters->addWidget(m_machineEdit, 1);
    m_fromDate = dateFilter(m_serverFilters, filters, QStringLiteral("&с:"), "fromDate");
    m_toDate = dateFilter(m_serverFilters, filters, QStringLiteral("&по:"), "toDate");
    for (QDateEdit *edit : {m_fromDate, m_toDate})
        connect(edit, &QDateEdit::dateChanged, this, &ResultsView::readServer);
    connect(m_machineEdit, &QLineEdit::textChanged, this, &ResultsView::readServer);
    auto *line = new QHBoxLayout;
    line->addWidget(m_serverLine, 1);
    line->addWidget(m_reconnect);
    auto *layout = new QVBoxLayout(m_serverBar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(line);
    layout->addWidget(m_serverFilters);
    m_serverBar->hide();
    return m_serverBar;
}

void ResultsView::useServer(const QString &service)
{
    m_feed->open(service);
    m_serverBar->show();
    if (m_feed->isOpen())
        readServer();
    else
        fallBackToFiles(m_feed->problem());
}

bool ResultsView::showsServer() const
{
    return m_model->showsServer();
}

void ResultsView::connectServer()
{
    useServer(m_feed->service());
}

void ResultsView::readServer()
{
    if (!m_feed->isOpen())
        return;
    ServerResultsQuery query;
    query.machine = m_machineEdit->text().trimmed();
    if (m_fromDate->date() != m_fromDate->minimumDate())
        query.from = m_fromDate->date();
    if (m_toDate->date() != m_toDate->minimumDate())
        query.to = m_toDate->date();
    auto rows = m_feed->read(query);
    if (!rows.ok()) {
        fallBackToFiles(m_feed->problem());
        return;
    }
    m_model->setServerRows(std::move(rows.value));
    fitColumns();
    fillLessons();
    updateShown();
    QString line = QStringLiteral("Результаты всей школы с сервера (служба «%1»); новые записи появляются сами.")
                       .arg(m_feed->service());
    if (!m_serverNote.isEmpty())
        line += QLatin1Char('\n') + m_serverNote;
    m_serverLine->setText(line);
    m_reconnect->hide();
    m_serverFilters->show();
    emit refreshed();
}

void ResultsView::fallBackToFiles(const QString &problem)
{
    m_serverLine->setText(QStringLiteral("Сервер школы недоступен. %1\nПоказаны результаты из файлов.").arg(problem));
    m_reconnect->show();
    m_serverFilters->hide();
    showSources();
}

void ResultsView::showServerNote(const QString &text)
{
    m_serverNote = text;
    if (m_feed->isOpen())
        readServer();
    else
        m_serverLine->setText(m_serverLine->text() + QLatin1Char('\n') + text);
}

Result<QString> ResultsView::loadFilesToServer(const QStringList &paths, const QStringList &journals)
{
    using Loaded = Result<QString>;
    if (m_feed->service().isEmpty())
        return Loaded::failure(QStringLiteral("В tallory.ini папки не назван сервер школы ([сервер] Служба=…)."));
    QString problem;
    const auto connection = OpenSchoolServer(m_feed->service(), ServerFeed::windowOptions(), &problem);
    if (!connection)
        return Loaded::failure(problem);
    QSqlDatabase db = connection->database();
    RezLoadCounts total;
    for (const QString &path : paths) {
        if (!QFileInfo::exists(path))
            continue;
        const auto counts = LoadResultsFile(db, path);
        if (!counts.ok())
            return Loaded::failure(counts.error);
        total += counts.value;
    }
    QStringList account{DescribeLoadCounts(total)};
    for (const QString &journal : journals) {
        const auto counts = LoadJournalToServer(db, journal);
        account << (counts.ok() ? QStringLiteral("%1: %2").arg(QFileInfo(journal).fileName(),
                                                               DescribeJournalCounts(counts.value))
                                : counts.error);
    }
    // A server out of reach until now is read at once; a connected one announces the new rows.
    if (!m_feed->isOpen())
        connectServer();
    return Loaded::success(account.join(QLatin1Char(' ')));
}
