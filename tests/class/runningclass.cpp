#include "runningclass.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

Answer answerOf(QNetworkReply *reply)
{
    Answer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.bytes = reply->readAll();
    answer.body = QJsonDocument::fromJson(answer.bytes).object();
    answer.type = reply->rawHeader("Content-Type");
    answer.cache = reply->rawHeader("Cache-Control");
    answer.location = reply->rawHeader("Location");
    reply->deleteLater();
    return answer;
}

QList<Answer> await(const QList<QNetworkReply *> &replies)
{
    QEventLoop loop;
    int left = int(replies.size());
    for (QNetworkReply *reply : replies) {
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&] {
            if (--left == 0)
                loop.quit();
        });
    }
    if (left > 0)
        loop.exec();
    QList<Answer> answers;
    for (QNetworkReply *reply : replies)
        answers.append(answerOf(reply));
    return answers;
}

} // namespace

RunningClass::RunningClass()
{
    const QString demo = QStringLiteral(TALLORY_BIN_DIR "/");
    for (const QString &file : {QStringLiteral("tallory.ini"), QStringLiteral("demo.faq")})
        QFile::copy(demo + file, folder() + file);
    QDir().mkpath(folder() + QStringLiteral("wav"));
    const QStringList clips = QDir(demo + QStringLiteral("wav")).entryList(QDir::Files);
    for (const QString &clip : clips)
        QFile::copy(demo + QStringLiteral("wav/") + clip, folder() + QStringLiteral("wav/") + clip);
}

RunningClass::~RunningClass()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished();
    }
}

QString RunningClass::program()
{
    return QStringLiteral(TALLORY_BIN_DIR "/tallory-class");
}

bool RunningClass::start(const QStringList &extra)
{
    m_process = std::make_unique<QProcess>();
    m_process->start(program(), QStringList{QStringLiteral("--folder"), folder(), QStringLiteral("--port"),
                                            QStringLiteral("0"), QStringLiteral("--address"),
                                            QStringLiteral("127.0.0.1")} + extra);
    // The first line, once it listens, is the address; a refusal ends the program instead.
    while (!m_process->canReadLine()) {
        if (!m_process->waitForReadyRead(10000)) {
            m_process->waitForFinished(10000);
            m_errors = QString::fromUtf8(m_process->readAllStandardError());
            return false;
        }
    }
    const QString line = QString::fromUtf8(m_process->readLine()).trimmed();
    const QString prefix = QStringLiteral("Адрес для учеников: ");
    m_url = line.startsWith(prefix) ? line.mid(prefix.size()) : QString();
    return !m_url.isEmpty();
}

int RunningClass::runRefused(const QStringList &arguments)
{
    QProcess process;
    process.start(program(), arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    m_errors = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QByteArray RunningClass::toJson(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

Answer RunningClass::post(const QString &path, const QByteArray &body, const QByteArray &key)
{
    QNetworkRequest request(QUrl(m_url + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    if (!key.isEmpty())
        request.setRawHeader("X-Tallory-Key", key);
    return await({m_network.post(request, body)}).front();
}

Answer RunningClass::get(const QString &path)
{
    // A redirect is the answer looked at, never followed out of the room.
    QNetworkRequest request(QUrl(m_url + path));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return await({m_network.get(request)}).front();
}

QList<Answer> RunningClass::postMany(const QString &path, const QJsonObject &body, int count)
{
    QList<QNetworkReply *> replies;
    for (int i = 0; i < count; ++i) {
        QNetworkRequest request(QUrl(m_url + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        replies.append(m_network.post(request, toJson(body)));
    }
    return await(replies);
}

QString RunningClass::join(const QString &name)
{
    return post(QStringLiteral("api/join"), QJsonObject{{QStringLiteral("lesson"), QStringLiteral("демо")},
                                                        {QStringLiteral("name"), name}})
        .body.value(QStringLiteral("token"))
        .toString();
}
