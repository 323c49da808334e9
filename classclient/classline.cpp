#include "classline.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

const QString kWaiting = QStringLiteral("Нет связи с сервером класса, ждём…");

int statusOf(QNetworkReply *reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// Whether the server gave an answer that stands: no answer at all (the connection refused or
// dropped, the time out), a fault of the server's own or its "too many" are not answers, and
// the same request goes again.
bool answered(int status)
{
    return status != 0 && status != 429 && status < 500;
}

} // namespace

QString ClassAnswer::error() const
{
    const QString said = body.value(QStringLiteral("error")).toString();
    return said.isEmpty() ? QStringLiteral("Сервер класса ответил кодом %1.").arg(status) : said;
}

ClassLine::ClassLine(const QUrl &server, int retryMs, int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_server(server)
    , m_retryMs(retryMs)
    , m_timeoutMs(timeoutMs)
{
    // The class server stands on the room's network: a proxy the machine is set up for on the
    // way to the internet has no business between the two.
    m_network.setProxy(QNetworkProxy::NoProxy);
}

ClassLine::~ClassLine()
{
    cancelSent();
}

QNetworkReply *ClassLine::post(const QString &path, const QByteArray &bytes)
{
    QNetworkRequest request(m_server.resolved(QUrl(path)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    // An answer is the server's word on one moment of the game: never one kept on the way.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    return m_network.post(request, bytes);
}

bool ClassLine::await(QNetworkReply *reply)
{
    if (reply->isFinished())
        return true;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(m_timeoutMs);
    // The screen keeps painting, but a click or a key made now would act on a game whose next
    // state is still on its way: they wait until the answer is shown, as during the host's pauses.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (reply->isFinished())
        return true;
    reply->disconnect(&loop);
    reply->abort();
    return false;
}

void ClassLine::pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

ClassAnswer ClassLine::answerOf(QNetworkReply *reply)
{
    ClassAnswer answer;
    answer.status = statusOf(reply);
    const QByteArray bytes = reply->readAll();
    if (onReceived)
        onReceived(bytes);
    answer.body = QJsonDocument::fromJson(bytes).object();
    return answer;
}

ClassAnswer ClassLine::call(const QString &path, const QJsonObject &body)
{
    cancelSent();
    m_busy = true;
    const QByteArray bytes = QJsonDocument(body).toJson(QJsonDocument::Compact);
    bool waiting = false;
    for (;;) {
        QNetworkReply *reply = post(path, bytes);
        const bool came = await(reply);
        const int status = came ? statusOf(reply) : 0;
        if (answered(status)) {
            ClassAnswer answer = answerOf(reply);
            delete reply;
            m_busy = false;
            if (waiting && onWaiting)
                onWaiting(QString());
            return answer;
        }
        if (status != 0)
            answerOf(reply); // what came is still what was received
        delete reply;
        if (!waiting && onWaiting)
            onWaiting(kWaiting);
        waiting = true;
        pause(m_retryMs);
    }
}

void ClassLine::send(const QString &path, const QJsonObject &body, std::function<void(const ClassAnswer &)> done)
{
    cancelSent();
    QNetworkReply *reply = post(path, QJsonDocument(body).toJson(QJsonDocument::Compact));
    m_sent = reply;
    QTimer::singleShot(m_timeoutMs, reply, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::finished, this, [this, reply, done = std::move(done)] {
        if (m_sent == reply)
            m_sent = nullptr;
        reply->deleteLater();
        const int status = reply->error() == QNetworkReply::OperationCanceledError ? 0 : statusOf(reply);
        if (status == 0)
            return;
        const ClassAnswer answer = answerOf(reply);
        if (answered(status))
            done(answer);
    });
}

void ClassLine::cancelSent()
{
    if (!m_sent)
        return;
    QNetworkReply *reply = m_sent;
    m_sent = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}
