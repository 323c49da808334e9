#pragma once
// The class server's HTTP face: the routes of the student's and the teacher's API over a
// ClassRoom, the browser face's files, the clips and pictures, and the limits every request
// meets first (its size, its JSON, the client's budget). Requests are plain POSTs with a JSON
// object; the answer is the room's, as JSON, never cached. Everything runs on one thread.

#include "classwriter.h"
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
class QTcpServer;
class QTcpSocket;
struct ClassReply;

struct ClassHttpOptions {
    QString folder;      ///< the program folder served, ending in "/"
    QString teacherKey;  ///< what X-Tallory-Key must say; empty: the teacher's API is closed
    QString address;     ///< the address students open, for the teacher's view of the room
    /// A steady clock in ms for the clients' budgets; the computer's when empty.
    std::function<qint64()> steadyMs = {};
    /// How the records and the journal's log are brought to the disk (on a thread of their
    /// own); the program's when empty. Tests hold them, as a busy disk would.
    ClassWriter::Records writeRecords = {};
    ClassWriter::Sync syncLog = {};
    /// How often at most the journal's log is copied into its file (see ClassWriter).
    int checkpointMs = 1000;
};

class ClassHttp : public QObject
{
    Q_OBJECT
public:
    ClassHttp(ClassRoom &room, ClassHttpOptions options, QObject *parent = nullptr);
    ~ClassHttp() override;

    /// Serves the requests that come to listening (already listening; the server takes it).
    void serve(QTcpServer *listening);
    /// The program's end: the writes handed over are finished and the room told how they went;
    /// the answers still waiting are not sent.
    void finish();

private:
    using Call = std::function<ClassReply(const QJsonObject &request, const QString &device)>;
    using Route = std::function<QHttpServerResponse(const QHttpServerRequest &request)>;

    /// Adds an API route whose answers wait for the batch their request was decided in.
    void addApiRoute(const char *path, Route route);
    /// Opens the batch the request now decided joins, and has it committed once the requests
    /// that came together are decided.
    void joinBatch();
    /// Writes the batch's rows into the journal's log and hands over what must reach the disk.
    void commitBatch();
    /// A round of writes is over: the answers that waited for it go, in the order they were
    /// decided.
    void written(const ClassWritten &outcome);
    /// Sends the held answers whose rows are on the disk, in order, and keeps the others.
    void sendReady();

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

    /// An answer decided, waiting for the rows it tells of to reach the disk.
    struct Held {
        QPointer<QTcpSocket> socket; ///< gone when the client closed the connection meanwhile
        std::unique_ptr<QHttpServerResponder> responder;
        QHttpServerResponse response;
        quint64 waitsFor = 0; ///< the journal batch whose sync it waits for
    };
    bool m_batchOpen = false;
    std::vector<Held> m_held;
    quint64 m_waitsFor = 0; ///< of the API request just decided
    ClassWriter m_writer;
};
