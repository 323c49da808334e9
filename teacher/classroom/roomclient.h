#pragma once
// The teacher's side of a running room: its state asked about once a second, and the teacher's
// two actions on a student's game. Every request is asynchronous: a slow or silent server never
// holds the window.

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

class RoomClient : public QObject
{
    Q_OBJECT

public:
    explicit RoomClient(QObject *parent = nullptr);

    /// Starts asking the room at base ("http://…/") with the teacher's key.
    void watch(const QUrl &base, const QByteArray &key);
    /// Stops asking; answers still on their way are dropped.
    void stopWatching();

    /// Asks the room at base once with key, whether watching or not: done gets the room, or
    /// why not in Russian, naming the address.
    void probe(const QUrl &base, const QByteArray &key,
               std::function<void(const QString &problem, const QJsonObject &room)> done);

    /// Ends the student's game as the desktop's stop does.
    void endGame(const QString &id);
    /// Lets the next join with the student's lesson and name take the game over.
    void allowMove(const QString &id);

signals:
    /// The room as the server sees it now.
    void roomRead(const QJsonObject &room);
    /// The room could not be asked (empty: it can again).
    void roomProblem(const QString &why);
    /// An action was refused or did not reach the server.
    void actionRefused(const QString &why);

private:
    QNetworkReply *post(const QUrl &base, const QByteArray &key, const QString &path, const QJsonObject &body);
    void poll();
    void act(const QString &path, const QString &id);

    QNetworkAccessManager *m_network;
    QTimer *m_timer;
    QUrl m_base;
    QByteArray m_key;
    QNetworkReply *m_polling = nullptr; ///< the room's question on its way; one at a time
    int m_generation = 0; ///< answers from an earlier watch are not this room's
};

/// The Russian line of a failed reply: the server's own {"error": …}, or what went wrong on the way.
QString ReplyProblem(QNetworkReply *reply, const QByteArray &body);
