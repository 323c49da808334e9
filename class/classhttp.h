#pragma once
// The class server's HTTP face: the routes of the student's and the teacher's API over a
// ClassRoom, the browser face's files, the clips and pictures, and the limits every request
// meets first (its size, its JSON, the client's budget). Requests are plain POSTs with a JSON
// object; the answer is the room's, as JSON, never cached. Everything runs on one thread.

#include "ratelimit.h"

#include <QHttpServer>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class ClassRoom;
class LockHold;
class QTcpServer;
class QTcpSocket;
struct ClassReply;

struct ClassHttpOptions {
    QString folder;      ///< the program folder served, ending in "/"
    QString teacherKey;  ///< what X-Tallory-Key must say; empty: the teacher's API is closed
    QString address;     ///< the address students open, for the teacher's view of the room
    /// A steady clock in ms for the clients' budgets; the computer's when empty.
    std::function<qint64()> steadyMs = {};
};

class ClassHttp : public QObject
{
    Q_OBJECT
public:
    ClassHttp(ClassRoom &room, ClassHttpOptions options, QObject *parent = nullptr);
    ~ClassHttp() override;

    /// Serves the requests that come to listening (already listening; the server takes it).
    void serve(QTcpServer *listening);

private:
    using Call = std::function<ClassReply(const QJsonObject &request, const QString &device)>;
    using Route = std::function<QHttpServerResponse(const QHttpServerRequest &request)>;

    /// Adds an API route whose answers wait for the batch their request was decided in.
    void addApiRoute(const char *path, Route route);
    /// Opens the batch the request now decided joins, and has it committed once the requests
    /// that came together are decided.
    void joinBatch();
    /// Writes the batch's rows, then sends the answers that waited for them, in order.
    void commitBatch();

    void addStudentRoutes();
    void addTeacherRoutes();
    void addFileRoutes();
    /// The limits, then call: the answer to one API request.
    QHttpServerResponse api(const QHttpServerRequest &request, const Call &call);
    QHttpServerResponse teacher(const QHttpServerRequest &request, const Call &call);
    QHttpServerResponse picture(const QHttpServerRequest &request);
    /// Whether the client's overall budget allows one more request of any kind.
    bool allowed(const QHttpServerRequest &request);

    ClassRoom &m_room;
    ClassHttpOptions m_options;
    QHttpServer m_server;
    RateLimit m_perGame;
    RateLimit m_perClient;
    RateLimit m_overall;
    QTimer m_clock;

    /// An answer decided in the open batch, waiting for its rows to reach the disk.
    struct Held {
        QPointer<QTcpSocket> socket; ///< gone when the client closed the connection meanwhile
        std::unique_ptr<QHttpServerResponder> responder;
        QHttpServerResponse response;
    };
    bool m_batchOpen = false;
    std::vector<Held> m_held;
    /// The lock files the batch's requests took (tallory.rez's above all), kept until its commit.
    std::unique_ptr<LockHold> m_locks;
};
