#pragma once
// The class server's listening socket. Qt HttpServer 6.4 hands a request to its routes only
// when the whole body has arrived, and keeps that body in memory however long it is: a client
// that announces a huge body would make the server wait for it and hold it. So each connection
// is looked at here first, before the server reads it: a request whose Content-Length is over
// the limit, or whose length is not given at all (chunked), is answered and the connection
// closed while its body is still on the way. What cannot be seen here (a header split between
// two packets) still meets the routes' own check of the body's size, after it has arrived.

#include <QTcpServer>

class QTcpSocket;

class ClassListener : public QTcpServer
{
    Q_OBJECT
public:
    /// The longest request body served, in bytes.
    static constexpr qint64 kMaxBody = 16384;

    explicit ClassListener(QObject *parent = nullptr);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void inspect(QTcpSocket *socket);
};

/// What the head of a request says of its body's length: -1 when it names none (no
/// Content-Length, or the bytes hold no complete header), -2 for a chunked body, else the length.
qint64 AnnouncedBodyLength(const QByteArray &head);

/// A whole HTTP answer with a JSON body {"error": message}, closing the connection.
QByteArray ErrorAnswer(int status, const QByteArray &reason, const QString &message);
