#include "studentpaths.h"

#include <QAbstractTableModel>
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

template <typename Table>
void shapeTable(Table *table, const char *name, const QString &spoken)
{
    table->setObjectName(QLatin1String(name));
    table->setAccessibleName(spoken);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    // A line a row, as in the question table: a class's games fit the screen.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
}

QTableWidget *makeTable(QWidget *parent, const char *name, const QString &spoken, const QStringList &titles)
{
    auto *table = new QTableWidget(0, int(titles.size()), parent);
    table->setHorizontalHeaderLabels(titles);
    shapeTable(table, name, spoken);
    return table;
}

const QStringList &gameTitles()
{
    static const QStringList titles{QStringLiteral("Ученик"), QStringLiteral("Машина"), QStringLiteral("Начало"),
                                    QStringLiteral("Пройдено уровней"), QStringLiteral("Оценка"), QStringLiteral("Конец")};
    return titles;
}

} // namespace

// The games of a lesson, a row each, their cells made as the view asks for them: a lesson of a
// whole school has tens of thousands of games, and the window must not make them all at once.
class GamesModel final : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setGames(const QList<GamePath> *games)
    {
        beginResetModel();
        m_games = games;
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || !m_games ? 0 : int(m_games->size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(gameTitles().size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || !m_games || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        const JournalGame &g = m_games->at(index.row()).game;
        switch (index.column()) {
        case 0: return g.student;
        case 1: return g.machine;
        case 2: return QLocale(QLocale::Russian).toString(g.started.toLocalTime(), QStringLiteral("dd.MM.yyyy HH:mm"));
        case 3: return g.levelsPassed >= 0 ? QString::number(g.levelsPassed) : QStringLiteral("—");
        case 4: return g.grade.isEmpty() ? QStringLiteral("—") : g.grade;
        default: return GameOutcomeText(g);
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return gameTitles().value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    const QList<GamePath> *m_games = nullptr;
};

namespace {

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
    m_gameTable = new QTableView(this);
    m_gamesModel = new GamesModel(this);
    m_gameTable->setModel(m_gamesModel);
    shapeTable(m_gameTable, "analysisGames", QStringLiteral("Игры учеников"));
    // One line a row without asking every row its height, and the widths from the first rows.
    m_gameTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_gameTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_gameTable->horizontalHeader()->setResizeContentsPrecision(200);
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
    connect(m_gameTable->selectionModel(), &QItemSelectionModel::selectionChanged, this, &StudentPaths::chooseGame);
}

void StudentPaths::setGames(const QList<GamePath> &games)
{
    const int row = chosenRow();
    const QString chosen = row >= 0 ? m_games[row].game.id : QString();
    const QSignalBlocker quiet(m_gameTable->selectionModel());
    m_gamesModel->setGames(nullptr);
    m_games = games;
    m_gamesModel->setGames(&m_games);
    // The columns are sized from the first rows when the list is seen: on a page in the back
    // that work would hold the window at every game ending for nothing.
    m_columnsSized = false;
    if (isVisible())
        sizeColumns();
    for (int r = 0; !chosen.isEmpty() && r < m_games.size(); ++r) {
        if (m_games[r].game.id == chosen) {
            m_gameTable->selectRow(r);
            break;
        }
    }
    chooseGame();
}

void StudentPaths::sizeColumns()
{
    m_columnsSized = true;
    m_gameTable->resizeColumnsToContents();
}

void StudentPaths::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_columnsSized)
        sizeColumns();
}

int StudentPaths::chosenRow() const
{
    const QModelIndexList selected = m_gameTable->selectionModel()->selectedRows();
    const int row = selected.isEmpty() ? -1 : selected.front().row();
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
