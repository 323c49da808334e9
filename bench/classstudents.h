#pragma once
// The class's students as bench_class plays them: each as the page does it (join, act with the
// step, the heartbeat every 5 s), answers and lifelines drawn at random, a student's think time
// of 0.5-2.5 s between clicks, a new game under a new name when one ends, until the deadline.
// Every student has one keep-alive socket from an address of its own in 127/8 (the server
// budgets requests per address, as a room's devices each have their own), all of them on the
// caller's event loop; a request is timed from just before its bytes are written to the moment
// its whole body is read.

#include "classprogram.h"

#include <QJsonObject>
#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <vector>

namespace benchclass {

/// The lesson every student joins.
QString lesson();

/// What the students saw, all of them together.
struct Figures {
    std::vector<double> answerMs;
    std::vector<double> requestMs;
    std::vector<double> heartbeatMs; ///< requests that change nothing and write nothing
    long requests = 0;
    long games = 0;
    long finished = 0;
    long lifelines = 0;
    int names = 0; ///< names handed out: each join takes the next
    QStringList errors;
};

class Student
{
public:
    /// The number-th student (1, 2, ...) of the server at base, counting into figures.
    Student(int number, const QUrl &base, Figures &figures);

    /// Joins a new game; ready is called once the server has answered (else the student thinks and acts).
    void join(std::function<void()> ready = {});
    /// Plays until the deadline (ms since the epoch): the game joined, then new ones.
    void play(qint64 deadline);

    /// The student has stopped: the deadline passed at a game's end, or a request failed.
    bool idle() const { return m_idle; }
    int reopened() const { return m_connection.reopened(); }

private:
    void think();
    void act();
    void step(const QString &what, const QJsonObject &more = {});
    void beat();
    void send(const QString &path, const QJsonObject &body, const QString &what,
              const std::function<void(const classtest::Reply &)> &then);

    classtest::Connection m_connection; ///< the page's keep-alive socket, from its own address
    Figures &m_figures;
    QRandomGenerator m_random;
    QObject m_life; ///< what the student's timers belong to: gone with the student
    QTimer m_heartbeat;
    QString m_token;
    QJsonObject m_view;
    qint64 m_deadline = 0;
    bool m_idle = false;
};

} // namespace benchclass
