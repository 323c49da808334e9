#pragma once
// The class server as its students and its tests meet it: the real tallory-class started on a
// program folder of its own at a free port, and a client that sends the page's requests and keeps
// everything that came back (status, headers, body). For the tests and the benchmark alike.

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

class QNetworkReply;
class QTcpSocket;

#include <deque>
#include <functional>
#include <memory>

namespace classtest {

/// Copies what a lesson needs of a program folder (tallory.ini, the banks, wav/, FOTO/) into
/// to, which is made; the error, empty when done.
QString copyProgramFolder(const QString &from, const QString &to);

/// Adds "[сервер] Служба=<service>" to the folder's tallory.ini; the error, empty when done.
QString nameSchoolServer(const QString &folder, const QString &service);

/// The demo bank's plain text: each question's text and its right answer (the first of its
/// four), read from the source the demo bank is packed from.
QHash<QString, QString> rightAnswers(const QString &bankText);

/// A student's name for the k-th game (k >= 0): stem, a blank and capital letters. The results
/// file keys a record by the sum of the name's letter codes, so names that sum alike are one
/// student to it: every k gets a sum of its own.
QString studentName(const QString &stem, int k);

/// One running tallory-class.
class ClassProgram
{
public:
    ClassProgram() = default;
    ~ClassProgram();
    ClassProgram(const ClassProgram &) = delete;
    ClassProgram &operator=(const ClassProgram &) = delete;

    /// Starts program on folder at a free port of 127.0.0.1 and waits for the line with the
    /// address; the error (with what it printed), empty when it serves.
    QString start(const QString &program, const QString &folder, const QStringList &more = {});
    /// SIGTERM, then waits for the exit; the error, empty on a clean exit 0.
    QString stop();

    QUrl address() const { return m_address; }
    qint64 pid() const { return m_process.processId(); }
    /// What the program wrote to stderr so far.
    QString errors();

private:
    QProcess m_process;
    QUrl m_address;
    QByteArray m_stderr;
};

/// What the server sent back to one request.
struct Reply {
    int status = 0;             ///< the HTTP status; 0 when no answer came
    QByteArray body;            ///< the body's bytes
    QByteArray head;            ///< the status line and the headers as sent (rawPost only)
    QList<std::pair<QByteArray, QByteArray>> headers;
    QJsonObject json;           ///< the body, when it is a JSON object
    QString failure;            ///< the network's error, when no answer came
    double ms = 0;              ///< from sending to the whole answer
    /// Every byte of the answer the client sees: each header line and the body.
    qsizetype size() const;
};

/// Sends a POST with a JSON object to base + path; done is called with the reply. The request
/// carries extra headers as given. The reply in flight is returned.
QNetworkReply *postAsync(QNetworkAccessManager &nam, const QUrl &base, const QString &path, const QJsonObject &body,
               const std::function<void(const Reply &)> &done, const QList<std::pair<QByteArray, QByteArray>> &headers = {});

/// The same over a socket of its own from the local address from (any address of 127/8 reaches a
/// server on 127.0.0.1), the connection closed after the answer; the reply keeps every byte the
/// server sent. The server budgets requests by address: a test that sends many uses many.
Reply rawPost(const QString &from, const QUrl &base, const QString &path, const QJsonObject &body);

/// Takes one whole answer (status line, headers, the Content-Length body) from the front of got
/// into r: the bytes it took, or 0 while it is not all there. closed says the server has closed
/// the connection: an answer without a length then ends there; a head that never came is 0.
qsizetype takeAnswer(const QByteArray &got, Reply &r, bool closed = false);

/// A page's keep-alive connection, as light as the page's own: one socket from the local address
/// from, requests sent one after the other (a request asked for while one is on its way waits
/// its turn, as a browser's second request on one connection does), each answer read straight
/// from the socket on the caller's event loop. A connection the server closed is opened again
/// for the next request; a request it closed on before any of its answer came is sent once more
/// (an action's step makes that safe: a repeat is answered as a replay). Reply::ms runs from just
/// before the request is written to the moment its whole body is read.
class Connection
{
public:
    Connection(const QString &from, const QUrl &base);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void post(const QString &path, const QJsonObject &body, std::function<void(const Reply &)> done);
    /// Connections the server closed and this one opened again.
    int reopened() const { return m_reopened; }

private:
    struct Request {
        QByteArray bytes;
        std::function<void(const Reply &)> done;
        bool resent = false;
    };
    void open();
    void sendNext();
    void read();
    void dropped();
    void finish(Reply r);

    QString m_from;
    QUrl m_base;
    std::unique_ptr<QTcpSocket> m_socket;
    std::deque<Request> m_waiting;
    bool m_sent = false; ///< the front request is written and its answer is awaited
    QByteArray m_got;
    qint64 m_writtenNs = 0;
    int m_reopened = 0;
};

/// The same, waiting for the reply in a local event loop (at most 30 s).
Reply post(QNetworkAccessManager &nam, const QUrl &base, const QString &path, const QJsonObject &body,
           const QList<std::pair<QByteArray, QByteArray>> &headers = {});

} // namespace classtest
