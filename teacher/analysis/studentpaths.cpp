#include "studentpaths.h"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString letter(int button)
{
    return button >= 1 && button <= 4 ? QString(QLatin1Char(static_cast<char>('A' + button - 1))) : QString();
}

QTableWidget *makeTable(QWidget *parent, const char *name, const QString &spoken, const QStringList &titles)
{
    auto *table = new QTableWidget(0, int(titles.size()), parent);
    table->setObjectName(QLatin1String(name));
    table->setAccessibleName(spoken);
    table->setHorizontalHeaderLabels(titles);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    // A line a row, as in the question table: a class's games fit the screen.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
    return table;
}

void setRow(QTableWidget *table, int row, const QStringList &cells)
{
    for (int c = 0; c < cells.size(); ++c) {
        auto *item = new QTableWidgetItem(cells[c]);
        item->setToolTip(cells[c]);
        table->setItem(row, c, item);
    }
}

QString verdict(const JournalAnswer &a)
{
    if (a.clickedButton == 0)
        return QStringLiteral("остановился");
    return a.chosen == 1 ? QStringLiteral("верно") : QStringLiteral("неверно (неверный %1)").arg(a.chosen - 1);
}

} // namespace

QString GameOutcomeText(const JournalGame &game)
{
    if (!game.ending)
        return QStringLiteral("не закончена");
    switch (*game.ending) {
    case GameEnding::Wrong: return QStringLiteral("неверный ответ");
    case GameEnding::Stop: return QStringLiteral("остановился");
    case GameEnding::Won: return QStringLiteral("все пятнадцать");
    case GameEnding::NoQuestion: return QStringLiteral("в вопроснике нет вопроса уровня");
    }
    return {};
}

QString LifelinesText(const JournalAnswer &a)
{
    QStringList parts;
    if (a.fiftyBlanked[0] > 0)
        parts.append(QStringLiteral("50:50 убрал %1 и %2").arg(letter(a.fiftyBlanked[0]), letter(a.fiftyBlanked[1])));
    if (a.votes) {
        QStringList votes;
        for (int b = 1; b <= 4; ++b)
            votes.append(QStringLiteral("%1 %2").arg(letter(b)).arg((*a.votes)[size_t(b)]));
        parts.append(QStringLiteral("зал: ") + votes.join(QStringLiteral(", ")));
    }
    if (!a.friendReply.isEmpty())
        parts.append(QStringLiteral("друг: «%1»").arg(a.friendReply));
    if (!a.tease.isEmpty())
        parts.append(QStringLiteral("ведущий переспросил"));
    return parts.join(QStringLiteral("; "));
}

StudentPaths::StudentPaths(QWidget *parent)
    : QWidget(parent)
{
    m_gameTable = makeTable(this, "analysisGames", QStringLiteral("Игры учеников"), {QStringLiteral("Ученик"), QStringLiteral("Машина"),
                                                    QStringLiteral("Начало"), QStringLiteral("Пройдено уровней"),
                                                    QStringLiteral("Оценка"), QStringLiteral("Конец")});
    m_pathTable = makeTable(this, "analysisPath", QStringLiteral("Путь ученика по вопросам"), {QStringLiteral("Уровень"), QStringLiteral("Вопрос"),
                                                   QStringLiteral("Ответ"), QStringLiteral("Итог"),
                                                   QStringLiteral("Время"), QStringLiteral("Подсказки")});
    m_pathTitle = new QLabel(QStringLiteral("Выберите игру в списке."), this);
    m_pathTitle->setObjectName(QStringLiteral("analysisPathTitle"));
    auto *lower = new QWidget(this);
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(m_pathTitle);
    lowerLayout->addWidget(m_pathTable, 1);
    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_gameTable);
    splitter->addWidget(lower);
    splitter->setChildrenCollapsible(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    connect(m_gameTable, &QTableWidget::itemSelectionChanged, this, &StudentPaths::chooseGame);
}

void StudentPaths::setGames(const QList<GamePath> &games)
{
    const int row = m_gameTable->currentRow();
    const QString chosen = row >= 0 && row < m_games.size() ? m_games[row].game.id : QString();
    m_games = games;
    const QSignalBlocker quiet(m_gameTable);
    m_gameTable->clearContents();
    m_gameTable->setRowCount(int(games.size()));
    int again = -1;
    for (int r = 0; r < games.size(); ++r) {
        const JournalGame &g = games[r].game;
        setRow(m_gameTable, r, {g.student, g.machine,
                                QLocale(QLocale::Russian).toString(g.started.toLocalTime(), QStringLiteral("dd.MM.yyyy HH:mm")),
                                g.levelsPassed >= 0 ? QString::number(g.levelsPassed) : QStringLiteral("—"),
                                g.grade.isEmpty() ? QStringLiteral("—") : g.grade, GameOutcomeText(g)});
        if (g.id == chosen)
            again = r;
    }
    m_gameTable->resizeColumnsToContents();
    if (again >= 0)
        m_gameTable->selectRow(again);
    chooseGame();
}

int StudentPaths::chosenRow() const
{
    const QList<QTableWidgetItem *> selected = m_gameTable->selectedItems();
    const int row = selected.isEmpty() ? -1 : selected.front()->row();
    return row < m_games.size() ? row : -1;
}

void StudentPaths::chooseGame()
{
    const int row = chosenRow();
    if (row < 0 || !m_reader) {
        m_pathTitle->setText(QStringLiteral("Выберите игру в списке."));
        return showPath({});
    }
    m_pathTitle->setText(QStringLiteral("Ход игры читается…"));
    showPath({});
    m_reader(m_games[row]);
}

void StudentPaths::showGamePath(const QString &gameId, const Result<QList<JournalAnswer>> &answers)
{
    const int row = chosenRow();
    if (row < 0 || m_games[row].game.id != gameId)
        return;
    const GamePath &game = m_games[row];
    if (!answers.ok()) {
        m_pathTitle->setText(QStringLiteral("Ход игры не прочитан: %1").arg(answers.error));
        return showPath({});
    }
    m_pathTitle->setText(QStringLiteral("%1, %2: %3").arg(game.game.student, game.game.machine, GameOutcomeText(game.game)));
    showPath(answers.value);
}

void StudentPaths::showPath(const QList<JournalAnswer> &answers)
{
    m_pathTable->clearContents();
    m_pathTable->setRowCount(int(answers.size()));
    const QLocale russian(QLocale::Russian);
    for (int r = 0; r < answers.size(); ++r) {
        const JournalAnswer &a = answers[r];
        const QString answer = a.clickedButton > 0
                                   ? QStringLiteral("%1: %2").arg(letter(a.clickedButton), a.answers[size_t(a.clickedButton)])
                                   : QStringLiteral("—");
        const QString time = a.ms >= 0 ? russian.toString(a.ms / 1000.0, 'f', 1) + QStringLiteral(" с") : QStringLiteral("—");
        setRow(m_pathTable, r, {QString::number(a.level), a.question, answer, verdict(a), time, LifelinesText(a)});
    }
    m_pathTable->resizeColumnsToContents();
}
