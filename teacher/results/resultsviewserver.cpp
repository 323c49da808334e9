// The results tab's reading of the school's server: the server's line and filters, the rows read
// and followed, the fall-back to the files, and the load of the files into the server.

#include "resultsview.h"

#include "resultsfiles.h"
#include "resultsmodel.h"
#include "resultsserver.h"

#include <QDateEdit>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

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

// The reader on its thread: what it opens, reads and loads comes back here by queued signals.
void ResultsView::connectServerReader()
{
    connect(m_server, &ResultsServer::opened, this, [this] {
        m_connecting = false;
        m_open = true;
        readServer();
    });
    connect(m_server, &ResultsServer::unreachable, this, [this](const QString &problem) {
        m_connecting = m_reading = m_readAgain = false;
        m_open = false;
        fallBackToFiles(problem);
    });
    connect(m_server, &ResultsServer::rowsRead, this, &ResultsView::showServerRows);
    connect(m_server, &ResultsServer::arrived, this, &ResultsView::readServer);
    connect(m_server, &ResultsServer::loaded, this, [this](bool ok, const QString &account) {
        const auto done = m_loads.takeFirst();
        done(ok ? Result<QString>::success(account) : Result<QString>::failure(account));
    });
}

void ResultsView::useServer(const QString &service)
{
    m_service = service;
    m_serverBar->show();
    if (m_serverLine->text().isEmpty())
        m_serverLine->setText(QStringLiteral("Подключение к серверу школы (служба «%1»)…").arg(service));
    m_connecting = true;
    QMetaObject::invokeMethod(m_server, [server = m_server, service] { server->open(service); });
}

bool ResultsView::showsServer() const
{
    return m_model->showsServer();
}

void ResultsView::setServerRetryMs(int ms)
{
    QMetaObject::invokeMethod(m_server, [server = m_server, ms] { server->setRetryMs(ms); });
}

void ResultsView::connectServer()
{
    useServer(m_service);
}

void ResultsView::readServer()
{
    if (!m_open)
        return;
    // Announcements and typing while the rows are read make one reading more, not one each.
    if (m_reading) {
        m_readAgain = true;
        return;
    }
    ServerResultsQuery query;
    query.machine = m_machineEdit->text().trimmed();
    if (m_fromDate->date() != m_fromDate->minimumDate())
        query.from = m_fromDate->date();
    if (m_toDate->date() != m_toDate->minimumDate())
        query.to = m_toDate->date();
    m_reading = true;
    QMetaObject::invokeMethod(m_server, [server = m_server, query] { server->read(query); });
}

void ResultsView::showServerRows(const std::vector<ServerResultRow> &rows)
{
    m_reading = false;
    if (std::exchange(m_readAgain, false)) {
        readServer();
        return;
    }
    m_model->setServerRows(rows);
    fitColumns();
    fillLessons();
    updateShown();
    QString line = QStringLiteral("Результаты всей школы с сервера (служба «%1»); новые записи появляются сами.")
                       .arg(m_service);
    if (!m_serverNote.isEmpty())
        line += QLatin1Char('\n') + m_serverNote;
    m_serverLine->setText(line);
    m_reconnect->hide();
    m_serverFilters->show();
    emit refreshed();
}

void ResultsView::fallBackToFiles(const QString &problem)
{
    m_serverLine->setText(QStringLiteral("Сервер школы недоступен. %1\nПоказаны результаты из файлов; программа "
                                         "подключается к серверу снова сама, пока он не ответит.").arg(problem));
    m_reconnect->show();
    m_serverFilters->hide();
    showSources();
}

void ResultsView::showServerNote(const QString &text)
{
    m_serverNote = text;
    if (m_open)
        readServer();
    else
        m_serverLine->setText(m_serverLine->text() + QLatin1Char('\n') + text);
}

void ResultsView::loadFilesToServer(const QStringList &paths, const QStringList &journals,
                                    const std::function<void(const Result<QString> &)> &done)
{
    if (m_service.isEmpty()) {
        done(Result<QString>::failure(QStringLiteral("В tallory.ini папки не назван сервер школы ([сервер] Служба=…).")));
        return;
    }
    // The loads are made in turn on the reader's thread, and their outcomes come back in turn.
    m_loads.append(done);
    QMetaObject::invokeMethod(m_server, [server = m_server, paths, journals] { server->load(paths, journals); });
}
