#include "roomclient.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTimer>

namespace {

constexpr int kPollMs = 1000;
// Longer than a poll: a reply that takes this long is a room not answering.
constexpr int kTimeoutMs = 5000;

} // namespace

QString ReplyProblem(QNetworkReply *reply, const QByteArray &body)
{
    const QString said = QJsonDocument::fromJson(body).object().value(QStringLiteral("error")).toString();
    if (!said.isEmpty())
        return said;
    return QStringLiteral("Класс не отвечает: %1").arg(reply->errorString());
}

RoomClient::RoomClient(QObject *parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this)), m_timer(new QTimer(this))
{
    // The room is on this machine or the room's own network: never through a proxy.
    m_network->setProxy(QNetworkProxy::NoProxy);
    m_timer->setInterval(kPollMs);
    connect(m_timer, &QTimer::timeout, this, &RoomClient::poll);
}

void RoomClient::watch(const QUrl &base, const QByteArray &key)
{
    stopWatching();
    m_base = base;
    m_key = key;
    m_timer->start();
    poll();
}

void RoomClient::stopWatching()
{
    m_timer->stop();
    ++m_generation;
    if (m_polling)
        m_polling->abort();
    m_polling = nullptr;
    m_base.clear();
}

QNetworkReply *RoomClient::post(const QUrl &base, const QByteArray &key, const QString &path, const QJsonObject &body)
{
    QNetworkRequest request(base.resolved(QUrl(path)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setRawHeader(QByteArrayLiteral("X-Tallory-Key"), key);
    request.setTransferTimeout(kTimeoutMs);
    QNetworkReply *reply = m_network->post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    return reply;
}

void RoomClient::poll()
{
    if (m_polling || m_base.isEmpty())
        return;
    QNetworkReply *reply = post(m_base, m_key, QStringLiteral("api/teacher/room"), {});
    m_polling = reply;
    const int generation = m_generation;
    connect(reply, &QNetworkReply::finished, this, [this, reply, generation] {
        if (generation != m_generation)
            return;
        m_polling = nullptr;
        const QByteArray body = reply->readAll();
        if (reply->error() != QNetworkReply::NoError) {
            emit roomProblem(ReplyProblem(reply, body));
            return;
        }
        emit roomProblem({});
        emit roomRead(QJsonDocument::fromJson(body).object());
    });
}

void RoomClient::act(const QString &path, const QString &id)
{
    if (m_base.isEmpty())
        return;
    QNetworkReply *reply = post(m_base, m_key, path, QJsonObject{{QStringLiteral("id"), id}});
    const int generation = m_generation;
    connect(reply, &QNetworkReply::finished, this, [this, reply, generation] {
        if (generation != m_generation)
            return;
        if (reply->error() != QNetworkReply::NoError)
            emit actionRefused(ReplyProblem(reply, reply->readAll()));
        // The teacher sees the change at once, not a second later.
        poll();
    });
}

void RoomClient::probe(const QUrl &base, const QByteArray &key,
                       std::function<void(const QString &problem, const QJsonObject &room)> done)
{
    QNetworkReply *reply = post(base, key, QStringLiteral("api/teacher/room"), {});
    const QString where = base.toString();
    connect(reply, &QNetworkReply::finished, this, [reply, where, done = std::move(done)] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QByteArray body = reply->readAll();
        const QJsonObject room = QJsonDocument::fromJson(body).object();
        if (status == 0) {
            done(QStringLiteral("Сервер класса %1 не отвечает: %2. Проверьте адрес и что сервер запущен.")
                     .arg(where, reply->errorString()), {});
        } else if (status == 403) {
            done(QStringLiteral("Сервер класса %1 не принял ключ учителя: ключ неверный. Ключ службы лежит в "
                                "файле, который она пишет при запуске, и меняется с каждым её запуском.").arg(where), {});
        } else if (status != 200 || !room.value(QStringLiteral("students")).isArray()) {
            done(QStringLiteral("По адресу %1 отвечает не сервер класса (ответ %2).").arg(where).arg(status), {});
        } else {
            done({}, room);
        }
    });
}

void RoomClient::endGame(const QString &id)
{
    act(QStringLiteral("api/teacher/end"), id);
}

void RoomClient::allowMove(const QString &id)
{
    act(QStringLiteral("api/teacher/allow"), id);
}
