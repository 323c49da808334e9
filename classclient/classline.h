#pragma once
// The line to the class server: one request at a time, answered before the caller goes on, and
// sent again and again while the server does not answer. The window waits for every decision
// anyway (the server judges, the window shows), so a request is a call that returns its answer;
// what the wait must not do is let a click or a key through meanwhile, or give up on a lesson
// because the room's network dropped for a minute.

#include <QByteArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkReply;

/// What the server answered to one request.
struct ClassAnswer {
    int status = 0;    ///< the HTTP status
    QJsonObject body;  ///< the answer, when it is a JSON object
    /// The answer's "error", or the status when the answer carries none.
    QString error() const;
};

class ClassLine : public QObject
{
    Q_OBJECT
public:
    /// A line to server ("http://10.0.0.5:8080/"): a request unanswered for timeoutMs is sent
    /// again, and so is one the server could not take, retryMs after.
    ClassLine(const QUrl &server, int retryMs, int timeoutMs, QObject *parent = nullptr);
    ~ClassLine() override;

    /// POSTs body to path ("api/act") and waits for an answer the server gave, however long that
    /// takes: clicks and keys are held meanwhile. A request is sent again unchanged after a
    /// refused or dropped connection, a timeout, a 5xx or a 429; its step (or the join's key)
    /// makes the server answer a repeat as it answered the first.
    ClassAnswer call(const QString &path, const QJsonObject &body);
    /// The same POST without waiting: done gets the answer, or nothing happens when none came
    /// (the next call tells). A call cancels it: one request at a time goes out.
    void send(const QString &path, const QJsonObject &body, std::function<void(const ClassAnswer &)> done);
    /// Whether a call is waiting for its answer.
    bool busy() const { return m_busy; }
    /// The absolute address of a path the server gave ("/api/picture?…").
    QUrl resolved(const QString &path) const { return m_server.resolved(QUrl(path)); }

    /// «Нет связи с сервером класса, ждём…» when a call starts waiting for the server, "" when
    /// it answers again.
    std::function<void(const QString &text)> onWaiting;
    /// Every answer's body, as received.
    std::function<void(const QByteArray &body)> onReceived;

private:
    QNetworkReply *post(const QString &path, const QByteArray &bytes);
    /// Waits for reply, at most timeoutMs; false when it timed out (the reply is aborted then).
    bool await(QNetworkReply *reply);
    void pause(int ms);
    void cancelSent();
    ClassAnswer answerOf(QNetworkReply *reply);

    QUrl m_server;
    int m_retryMs;
    int m_timeoutMs;
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_sent; ///< the request sent without waiting, while it is out
    bool m_busy = false;
};
