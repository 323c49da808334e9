#pragma once
// The school's server as the analysis tab's source: the teacher's connection of the results
// tab's kind (ServerFeed: schema checked, LISTEN tallory_results), with a longer bound on a
// statement, and the server's word when a game ends anywhere in the school ("game_ends <id>"),
// so that the tab follows new games without asking the server again and again.

#include "serveranswers.h"

#include <QObject>
#include <QTimer>

#include <memory>

class ServerFeed;

class AnswersFeed : public QObject
{
    Q_OBJECT

public:
    /// How long a burst of ended games (a class finishing together) settles before one
    /// gamesEnded() stands for all of them: the tab adds the lesson up once, not thirty times.
    static constexpr int kSettleMs = 150;

    explicit AnswersFeed(QObject *parent = nullptr);
    ~AnswersFeed() override;

    /// Connects to the service (waiting at most 2 s; a statement at most 30 s), checks its
    /// schema and listens for ended games, in place of any server before. Empty when following;
    /// else why not, in Russian.
    QString follow(const QString &service);
    /// Whether the connection still reaches the server; when not, it is dropped (answers() is
    /// null) and problem() says why.
    bool check();
    QString problem() const;
    /// The server's answers; null when not following.
    const ServerAnswers *answers() const { return m_answers.get(); }
    QString service() const;

signals:
    /// Games ended on the server since the last signal.
    void gamesEnded();

private:
    void announced(const QString &payload);

    ServerFeed *m_feed = nullptr;
    std::unique_ptr<ServerAnswers> m_answers;
    QTimer m_settle;
};
