#include "classprogram.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTcpSocket>
#include <QTimer>

#include <csignal>
#include <memory>

namespace classtest {

namespace {

QString copyTree(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return QStringLiteral("cannot make ") + to;
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        const QString target = to + QLatin1Char('/') + f.fileName();
        if (f.isDir()) {
            if (const QString e = copyTree(f.filePath(), target); !e.isEmpty())
                return e;
        } else if (!QFile::copy(f.filePath(), target)) {
            return QStringLiteral("cannot copy ") + f.filePath();
        }
    }
    return {};
}

} // namespace

QString copyProgramFolder(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return QStringLiteral("cannot make ") + to;
    const QDir source(from);
    // The settings and the banks; the executables and libraries of a build folder stay behind.
    for (const QString &name : source.entryList({QStringLiteral("*.ini"), QStringLiteral("*.faq")}, QDir::Files)) {
        if (!QFile::copy(source.filePath(name), to + QLatin1Char('/') + name))
            return QStringLiteral("cannot copy ") + name;
    }
    for (const char *dir : {"wav", "FOTO"}) {
        if (source.exists(QLatin1String(dir)))
            if (const QString e = copyTree(source.filePath(QLatin1String(dir)), to + QLatin1Char('/') + QLatin1String(dir));
                !e.isEmpty())
                return e;
    }
    return QFileInfo::exists(to + QStringLiteral("/tallory.ini")) ? QString() : QStringLiteral("no tallory.ini in ") + from;
}

QString nameSchoolServer(const QString &folder, const QString &service)
{
    QFile ini(folder + QStringLiteral("/tallory.ini"));
    if (!ini.open(QIODevice::Append))
        return QStringLiteral("cannot open ") + ini.fileName();
    QStringEncoder cp1251("windows-1251");
    const QByteArray section = cp1251.encode(QStringLiteral("\r\n[сервер]\r\nСлужба=%1\r\n").arg(service));
    return ini.write(section) == section.size() ? QString() : QStringLiteral("cannot write ") + ini.fileName();
}

QHash<QString, QString> rightAnswers(const QString &bankText)
{
    QHash<QString, QString> right;
    QFile f(bankText);
    if (!f.open(QIODevice::ReadOnly))
        return right;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('[')))
            continue;
        const QStringList fields = line.split(QLatin1Char('|'));
        if (fields.size() >= 5)
            right.insert(fields[0], fields[1]);
    }
    return right;
}

QString studentName(const QString &stem, int k)
{
    // А..Я are 192..223 in Windows-1251: a name of L of them sums to anything from 192 L to
    // 223 L, and those spans meet from L = 7 on.
    const int sum = 192 * 8 + k;
    const int letters = std::max(8, (sum + 222) / 223);
    int extra = sum - 192 * letters;
    QString name = stem + QLatin1Char(' ');
    for (int i = 0; i < letters; ++i) {
        const int step = std::min(31, extra);
        name += QChar(0x410 + step);
        extra -= step;
    }
    return name;
}

ClassProgram::~ClassProgram()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

QString ClassProgram::start(const QString &program, const QString &folder, const QStringList &more)
{
    // What it says besides its address goes to the test's own output.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, QStringList{QStringLiteral("--folder"), folder, QStringLiteral("--port"),
                                         QStringLiteral("0"), QStringLiteral("--address"), QStringLiteral("127.0.0.1")}
                                 + more);
    if (!m_process.waitForStarted(10000))
        return QStringLiteral("%1 did not start: %2").arg(program, m_process.errorString());
    static const QRegularExpression line(QStringLiteral("^Адрес для учеников: (http://\\S+/)$"));
    QDeadlineTimer deadline(20000);
    while (!m_process.canReadLine()) {
        if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
            return QStringLiteral("%1 printed no address (exit code %2)").arg(program).arg(m_process.exitCode());
        m_process.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
    const QString first = QString::fromUtf8(m_process.readLine()).trimmed();
    const auto match = line.match(first);
    if (!match.hasMatch())
        return QStringLiteral("the first line is not the address: ") + first;
    m_address = QUrl(match.captured(1));
    return {};
}

QString ClassProgram::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return QStringLiteral("it was not running");
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
    if (!m_process.waitForFinished(30000))
        return QStringLiteral("it did not stop in 30 s");
    if (m_process.exitStatus() != QProcess::NormalExit || m_process.exitCode() != 0)
        return QStringLiteral("it ended with code %1").arg(m_process.exitCode());
    return {};
}

qsizetype Reply::size() const
{
    if (!head.isEmpty())
        return head.size() + body.size();
    qsizetype n = body.size();
    for (const auto &[name, value] : headers)
        n += name.size() + value.size() + 4; // "name: value\r\n"
    return n;
}

QNetworkReply *postAsync(QNetworkAccessManager &nam, const QUrl &base, const QString &path, const QJsonObject &body,
                         const std::function<void(const Reply &)> &done,
                         const QList<std::pair<QByteArray, QByteArray>> &headers)
{
    QNetworkRequest request(base.resolved(QUrl(path)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    QNetworkReply *reply = nam.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, timer, done] {
        Reply r;
        r.body = reply->readAll();
        r.ms = static_cast<double>(timer->nsecsElapsed()) / 1e6;
        r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        r.headers = reply->rawHeaderPairs();
        if (r.status == 0)
            r.failure = reply->errorString();
        r.json = QJsonDocument::fromJson(r.body).object();
        reply->deleteLater();
        done(r);
    });
    return reply;
}

Reply rawPost(const QString &from, const QUrl &base, const QString &path, const QJsonObject &body)
{
    Reply r;
    QElapsedTimer timer;
    timer.start();
    QTcpSocket socket;
    if (!socket.bind(QHostAddress(from), 0)) {
        r.failure = QStringLiteral("cannot bind to ") + from + QStringLiteral(": ") + socket.errorString();
        return r;
    }
    socket.connectToHost(base.host(), static_cast<quint16>(base.port()));
    if (!socket.waitForConnected(10000)) {
        r.failure = socket.errorString();
        return r;
    }
    const QByteArray json = QJsonDocument(body).toJson(QJsonDocument::Compact);
    socket.write("POST " + path.toUtf8() + " HTTP/1.1\r\nHost: " + base.authority().toUtf8()
                 + "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(json.size())
                 + "\r\nConnection: close\r\n\r\n" + json);
    QByteArray got;
    qsizetype headEnd = -1;
    qsizetype length = -1;
    QDeadlineTimer deadline(30000);
    while (true) {
        if (headEnd < 0 && (headEnd = got.indexOf("\r\n\r\n")) >= 0) {
            r.head = got.left(headEnd + 4);
            static const QRegularExpression contentLength(QStringLiteral("\r\ncontent-length:\\s*(\\d+)"),
                                                          QRegularExpression::CaseInsensitiveOption);
            const auto m = contentLength.match(QString::fromLatin1(r.head));
            length = m.hasMatch() ? m.captured(1).toLongLong() : -1;
        }
        if (headEnd >= 0 && length >= 0 && got.size() >= headEnd + 4 + length)
            break;
        if (deadline.hasExpired() || (socket.state() != QAbstractSocket::ConnectedState && !socket.bytesAvailable()))
            break;
        if (socket.bytesAvailable() || socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
            got += socket.readAll();
    }
    if (headEnd < 0) {
        r.failure = QStringLiteral("no whole answer: ") + QString::fromLatin1(got.left(200));
        return r;
    }
    r.body = got.mid(headEnd + 4);
    r.ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const QList<QByteArray> lines = r.head.split('\n');
    r.status = lines.value(0).split(' ').value(1).toInt();
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            r.headers.append({line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed()});
    }
    r.json = QJsonDocument::fromJson(r.body).object();
    return r;
}

Reply post(QNetworkAccessManager &nam, const QUrl &base, const QString &path, const QJsonObject &body,
           const QList<std::pair<QByteArray, QByteArray>> &headers)
{
    Reply got;
    QEventLoop loop;
    bool finished = false;
    QNetworkReply *reply = postAsync(nam, base, path, body, [&](const Reply &r) {
        got = r;
        finished = true;
        loop.quit();
    }, headers);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    if (!finished)
        loop.exec();
    if (!finished) {
        // Nothing may call back into this frame once it is gone.
        QObject::disconnect(reply, nullptr, nullptr, nullptr);
        reply->abort();
        reply->deleteLater();
        got.failure = QStringLiteral("no answer in 30 s");
    }
    return got;
}

} // namespace classtest
