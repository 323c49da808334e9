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

#include <chrono>
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

qsizetype takeAnswer(const QByteArray &got, Reply &r, bool closed)
{
    const qsizetype headEnd = got.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return 0;
    const QByteArray head = got.left(headEnd + 4);
    const QList<QByteArray> lines = head.split('\n');
    QList<std::pair<QByteArray, QByteArray>> headers;
    qsizetype length = -1;
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        headers.append({line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed()});
        if (headers.last().first == "content-length")
            length = headers.last().second.toLongLong();
    }
    qsizetype end = got.size();
    if (length >= 0) {
        end = headEnd + 4 + length;
        if (got.size() < end)
            return 0;
    } else if (!closed) {
        return 0;
    }
    r.head = head;
    r.headers = headers;
    r.status = lines.value(0).split(' ').value(1).toInt();
    r.body = got.mid(headEnd + 4, end - headEnd - 4);
    r.json = QJsonDocument::fromJson(r.body).object();
    return end;
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
    qsizetype took = 0;
    QDeadlineTimer deadline(30000);
    while ((took = takeAnswer(got, r)) == 0 && !deadline.hasExpired()) {
        if (socket.state() != QAbstractSocket::ConnectedState && !socket.bytesAvailable()) {
            took = takeAnswer(got, r, true);
            break;
        }
        if (socket.bytesAvailable() || socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
            got += socket.readAll();
    }
    if (took == 0)
        r.failure = QStringLiteral("no whole answer: ") + QString::fromLatin1(got.left(200));
    r.ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return r;
}

namespace {

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

Connection::Connection(const QString &from, const QUrl &base) : m_from(from), m_base(base) {}

Connection::~Connection()
{
    if (m_socket) {
        QObject::disconnect(m_socket.get(), nullptr, nullptr, nullptr);
        m_socket->abort();
    }
}

void Connection::post(const QString &path, const QJsonObject &body, std::function<void(const Reply &)> done)
{
    const QByteArray json = QJsonDocument(body).toJson(QJsonDocument::Compact);
    m_waiting.push_back({"POST " + path.toUtf8() + " HTTP/1.1\r\nHost: " + m_base.authority().toUtf8()
                             + "\r\nContent-Type: application/json\r\nContent-Length: "
                             + QByteArray::number(json.size()) + "\r\n\r\n" + json,
                         std::move(done)});
    sendNext();
}

void Connection::open()
{
    m_got.clear();
    m_socket = std::make_unique<QTcpSocket>();
    QTcpSocket *s = m_socket.get();
    QObject::connect(s, &QTcpSocket::connected, s, [this] { sendNext(); });
    QObject::connect(s, &QTcpSocket::readyRead, s, [this] { read(); });
    QObject::connect(s, &QTcpSocket::disconnected, s, [this] { dropped(); });
    QObject::connect(s, &QTcpSocket::errorOccurred, s, [this] { dropped(); });
    if (!s->bind(QHostAddress(m_from), 0)) {
        Reply r;
        r.failure = QStringLiteral("cannot bind to ") + m_from + QStringLiteral(": ") + s->errorString();
        QObject::disconnect(s, nullptr, nullptr, nullptr);
        m_socket.reset();
        finish(r);
        return;
    }
    s->connectToHost(m_base.host(), static_cast<quint16>(m_base.port()));
}

void Connection::sendNext()
{
    if (m_sent || m_waiting.empty())
        return;
    if (!m_socket) {
        open();
        return;
    }
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return; // connected() sends it
    m_sent = true;
    m_writtenNs = steadyNs();
    m_socket->write(m_waiting.front().bytes);
}

void Connection::read()
{
    m_got += m_socket->readAll();
    while (m_sent) {
        Reply r;
        const qsizetype took = takeAnswer(m_got, r);
        if (took == 0)
            return;
        r.ms = static_cast<double>(steadyNs() - m_writtenNs) / 1e6;
        m_got.remove(0, took);
        const bool closing = std::any_of(r.headers.begin(), r.headers.end(), [](const auto &h) {
            return h.first == "connection" && h.second.toLower() == "close";
        });
        if (closing) {
            QTcpSocket *old = m_socket.release();
            QObject::disconnect(old, nullptr, nullptr, nullptr);
            old->deleteLater();
        }
        finish(r);
        if (closing || !m_socket)
            return;
    }
}

void Connection::dropped()
{
    if (!m_socket)
        return;
    m_got += m_socket->readAll();
    const QString why = m_socket->errorString();
    QTcpSocket *old = m_socket.release();
    QObject::disconnect(old, nullptr, nullptr, nullptr);
    old->deleteLater();
    if (!m_sent) {
        // Closed while idle, or never connected: the next request opens it again; a request
        // that was waiting for the connection has failed.
        if (!m_waiting.empty()) {
            Reply r;
            r.failure = QStringLiteral("cannot connect: ") + why;
            finish(r);
        }
        return;
    }
    Reply r;
    if (takeAnswer(m_got, r, true) > 0) {
        r.ms = static_cast<double>(steadyNs() - m_writtenNs) / 1e6;
        finish(r);
        return;
    }
    if (m_got.isEmpty() && !m_waiting.front().resent) {
        m_waiting.front().resent = true;
        m_sent = false;
        ++m_reopened;
        sendNext();
        return;
    }
    r.failure = QStringLiteral("the server closed the connection: ") + why;
    finish(r);
}

void Connection::finish(Reply r)
{
    Request request = std::move(m_waiting.front());
    m_waiting.pop_front();
    m_sent = false;
    m_got.clear();
    request.done(r);
    sendNext();
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
