#pragma once
// Each student's games of the lesson, and the chosen game as the student played it: question
// by question, the answer chosen, the time taken and the lifelines used. A game with no end is
// shown as «не закончена», never left out.

#include "answeranalysis.h"

#include <QWidget>

#include <functional>

class GamesModel;
class QLabel;
class QTableView;
class QTableWidget;

class StudentPaths : public QWidget
{
    Q_OBJECT

public:
    /// Asks for the answers of a game when it is chosen; they come to showGamePath().
    using PathReader = std::function<void(const GamePath &)>;

    explicit StudentPaths(QWidget *parent = nullptr);

    void setReader(PathReader reader) { m_reader = std::move(reader); }
    /// Shows these games; the game chosen before stays chosen when it is still among them.
    void setGames(const QList<GamePath> &games);
    /// Shows a game's answers as read, when that game is still the one chosen.
    void showGamePath(const QString &gameId, const Result<QList<JournalAnswer>> &answers);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void sizeColumns();
    void chooseGame();
    void showPath(const QList<JournalAnswer> &answers);
    int chosenRow() const;

    PathReader m_reader;
    QList<GamePath> m_games;
    QTableView *m_gameTable = nullptr;   ///< one game a row
    GamesModel *m_gamesModel = nullptr;
    QTableWidget *m_pathTable = nullptr; ///< the chosen game, one question a row
    QLabel *m_pathTitle = nullptr;
    bool m_columnsSized = true; ///< the games' columns fit the games shown
};

/// How a game ended, as the games list says it: «не закончена» for a game with no end.
QString GameOutcomeText(const JournalGame &game);
/// The lifelines and the host's tease on one question, in a few words.
QString LifelinesText(const JournalAnswer &answer);
