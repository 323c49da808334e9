#include "classlistener.h"

#include "classreplies.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>

namespace {

// Marks a connection whose request was refused: what it still sends is read and dropped, so
// the HTTP server never sees the rest of a body it was not meant to hold.
constexpr char kRefused[] = "tallory-refused";

} // namespace

qint64 AnnouncedBodyLength(const QByteArray &head)
{
    // A client may send several requests on one connection; each head is looked at as it
    // comes. Header names are compared without regard to case, as HTTP wants.
    const QByteArray lower = head.toLower();
    if (lower.contains("\r\ntransfer-encoding:") && lower.contains("chunked"))
        return -2;
    const qsizetype at = lower.indexOf("\r\ncontent-length:");
    if (at < 0)
        return -1;
    const qsizetype from = at + qsizetype(sizeof("\r\ncontent-length:") - 1);
    const qsizetype end = lower.indexOf("\r\n", from);
    if (end < 0)
        return -1;
    bool ok = false;
    const qint64 length = lower.mid(from, end - from).trimmed().toLongLong(&ok);
    // A length that is no number is the server's parser's to refuse.
    return ok ? length : -1;
}

QByteArray ErrorAnswer(int status, const QByteArray &reason, const QString &message)
{
    const QByteArray body = QJsonDocument(QJsonObject{{QStringLiteral("error"), message}}).toJson(QJsonDocument::Compact);
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n"
         + "Content-Type: application/json; charset=utf-8\r\n"
         + "Cache-Control: no-store\r\n"
         + "Content-Length: " + QByteArray::number(body.size()) + "\r\n"
         + "Connection: close\r\n\r\n" + body;
}

ClassListener::ClassListener(QObject *parent)
    : QTcpServer(parent)
{
}

void ClassListener::incomingConnection(qintptr descriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    // Connected before the HTTP server takes the socket, so this look comes first on every read.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { inspect(socket); });
    addPendingConnection(socket);
}

void ClassListener::inspect(QTcpSocket *socket)
{
    if (socket->property(kRefused).toBool()) {
        socket->readAll();
        return;
    }
    const qint64 length = AnnouncedBodyLength(socket->peek(socket->bytesAvailable()));
    if (length != -2 && length <= kMaxBody)
        return;
    socket->setProperty(kRefused, true);
    socket->readAll();
    socket->write(length == -2 ? ErrorAnswer(411, "Length Required", ClassText::unreadable())
                               : ErrorAnswer(413, "Payload Too Large", ClassText::tooLong()));
    socket->disconnectFromHost();
}
