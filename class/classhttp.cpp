#include "classhttp.h"

#include "classfiles.h"
#include "classlistener.h"
#include "classreplies.h"
#include "classroom.h"
#include "illustration.h"

#include <QElapsedTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

#include <algorithm>
#include <iterator>

namespace {

using Method = QHttpServerRequest::Method;
using HttpStatus = QHttpServerResponse::StatusCode;

std::function<qint64()> steadyClock(std::function<qint64()> given)
{
    if (given)
        return given;
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return timer->elapsed(); };
}

QHttpServerResponse json(const QJsonObject &body, int status)
{
    return QHttpServerResponse(QByteArrayLiteral("application/json; charset=utf-8"),
                               QJsonDocument(body).toJson(QJsonDocument::Compact), HttpStatus(status));
}

QHttpServerResponse error(int status, const QString &message)
{
    return json(QJsonObject{{QStringLiteral("error"), message}}, status);
}

QHttpServerResponse file(const ServedFile &served)
{
    if (served.type.isEmpty())
        return error(404, ClassText::notFound());
    return QHttpServerResponse(served.type, served.bytes);
}

// The header's value whatever the letter case the client wrote its name in.
QByteArray header(const QHttpServerRequest &request, const QByteArray &name)
{
    const auto headers = request.headers();
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

// Compared in a time that does not tell how much of a guess was right.
bool sameKey(const QByteArray &given, const QByteArray &key)
{
    if (given.size() != key.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < key.size(); ++i)
        difference |= static_cast<unsigned char>(given[i] ^ key[i]);
    return difference == 0;
}

} // namespace

ClassHttp::ClassHttp(ClassRoom &room, ClassHttpOptions options, QObject *parent)
    : QObject(parent)
    , m_room(room)
    , m_options(std::move(options))
    , m_perGame({20, 40}, steadyClock(m_options.steadyMs))
    , m_perClient({20, 60}, steadyClock(m_options.steadyMs))
    , m_overall({400, 800}, steadyClock(m_options.steadyMs))
    , m_writer(m_options.writeRecords, m_options.syncLog, m_options.checkpointMs)
{
    connect(&m_writer, &ClassWriter::written, this, &ClassHttp::written);
    addStudentRoutes();
    addTeacherRoutes();
    addFileRoutes();
    // The API's answers describe a game at one moment: a browser or a proxy that kept one would
    // show a student a question already gone.
    m_server.afterRequest([](QHttpServerResponse &&response, const QHttpServerRequest &request) {
        if (request.url().path().startsWith(QLatin1String("/api/")))
            response.setHeader(QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-store"));
        response.setHeader(QByteArrayLiteral("X-Content-Type-Options"), QByteArrayLiteral("nosniff"));
        return std::move(response);
    });
    // The room's clocks act without a request too (a call whose time is out is hung up), and
    // the budgets of clients gone quiet are forgotten.
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, [this] {
        m_room.tick();
        m_perGame.forgetRested();
        m_perClient.forgetRested();
        m_overall.forgetRested();
    });
    m_clock.start();
}

ClassHttp::~ClassHttp() = default;

void ClassHttp::serve(QTcpServer *listening)
{
    m_server.bind(listening);
}

void ClassHttp::finish()
{
    for (const ClassWritten &outcome : m_writer.finish())
        m_room.written(outcome);
}

bool ClassHttp::allowed(const QHttpServerRequest &request)
{
    return m_overall.take(request.remoteAddress().toString());
}

QHttpServerResponse ClassHttp::api(const QHttpServerRequest &request, const Call &call)
{
    joinBatch();
    const QString device = request.remoteAddress().toString();
    if (!allowed(request))
        return error(429, ClassText::tooMany());
    if (request.body().size() > ClassListener::kMaxBody)
        return error(413, ClassText::tooLong());
    QJsonParseError parsed;
    const QJsonDocument document = QJsonDocument::fromJson(request.body(), &parsed);
    if (parsed.error != QJsonParseError::NoError || !document.isObject())
        return error(400, ClassText::unreadable());
    const QJsonObject body = document.object();
    const QString token = body.value(QStringLiteral("token")).toString();
    // A game's requests spend its own budget, so a student's flood never eats a classmate's on
    // the same address (a school's network may show every phone behind one address).
    if (!(token.isEmpty() ? m_perClient.take(device) : m_perGame.take(token)))
        return error(429, ClassText::tooMany());
    m_room.tick();
    const ClassReply reply = call(body, device);
    m_waitsFor = m_room.waitsFor(body, reply);
    return json(reply.body, reply.status);
}

QHttpServerResponse ClassHttp::teacher(const QHttpServerRequest &request, const Call &call)
{
    const QByteArray key = m_options.teacherKey.toLatin1();
    if (key.isEmpty() || !sameKey(header(request, QByteArrayLiteral("X-Tallory-Key")), key)) {
        if (!allowed(request))
            return error(429, ClassText::tooMany());
        return error(403, ClassText::noAccess());
    }
    return api(request, call);
}

// Group commit. Every request is decided at once, on this one thread, in the order it came;
// the journal's rows of the requests decided before the event loop next turns go into one open
// transaction, which is then committed into the journal's log without waiting for the disk,
// and their graded games' records are kept. What must then reach the disk (the records, all
// in one rewrite of tallory.rez, then the log synced) is written on a thread of its own
// (ClassWriter). The answers that tell of rows or a record wait for the round that writes
// them; the others (a heartbeat of a game whose rows are on the disk already, a refusal) go at
// once. While a round runs, the room decides the next requests and writes their batch; the
// next round takes every batch written meanwhile: one rewrite and one sync for all the
// requests that came while the disk was busy, where a sync each had every request queue behind
// all the others', and syncs on this thread had every request, the heartbeats too, wait for
// the disk in its socket.
// Qt HttpServer 6.4 lets a route take the responder and keep it past the route's return (it
// holds the request's socket); a socket the client has closed meanwhile is deleted by the
// server on the event loop, so each is checked through a QPointer just before its answer is
// written, which happens without the loop turning between. A client waits for each answer
// before its next request, as browsers do (they never pipeline): one connection never has two
// answers held.
void ClassHttp::joinBatch()
{
    if (m_batchOpen)
        return;
    m_batchOpen = true;
    m_room.beginBatch();
    QMetaObject::invokeMethod(this, &ClassHttp::commitBatch, Qt::QueuedConnection);
}

void ClassHttp::commitBatch()
{
    if (!m_batchOpen)
        return;
    m_batchOpen = false;
    // A failed commit is the journal's failure, noted and handled as after any failed write:
    // the answers go all the same, as decided.
    const ClassWrites writes = m_room.commitBatch();
    if (writes.ticket)
        m_writer.write(writes);
    sendReady();
}

void ClassHttp::written(const ClassWritten &outcome)
{
    // Records or a log that could not be written are noted by the room; the answers go all the
    // same, as decided (the journal never costs a student a game). The ends of the games whose
    // records are now written go into the journal in a batch of their own.
    joinBatch();
    m_room.written(outcome);
    sendReady();
}

void ClassHttp::sendReady()
{
    std::vector<Held> ready;
    auto waiting = std::stable_partition(m_held.begin(), m_held.end(), [this](const Held &h) {
        return m_room.onDisk(h.waitsFor);
    });
    std::move(m_held.begin(), waiting, std::back_inserter(ready));
    m_held.erase(m_held.begin(), waiting);
    for (Held &h : ready) {
        if (h.socket)
            h.response.write(std::move(*h.responder));
    }
}

void ClassHttp::addApiRoute(const char *path, Route route)
{
    m_server.route(path, Method::Post, [this, route](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
        m_waitsFor = 0;
        QHttpServerResponse response = route(request);
        // The server's afterRequest does not see an answer written through a responder.
        response.setHeader(QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-store"));
        response.setHeader(QByteArrayLiteral("X-Content-Type-Options"), QByteArrayLiteral("nosniff"));
        if (m_waitsFor == 0 || m_room.onDisk(m_waitsFor)) {
            response.write(std::move(responder));
            return;
        }
        QTcpSocket *socket = responder.socket();
        m_held.push_back({socket, std::make_unique<QHttpServerResponder>(std::move(responder)), std::move(response),
                          m_waitsFor});
    });
}

void ClassHttp::addStudentRoutes()
{
    addApiRoute("/api/join", [this](const QHttpServerRequest &request) {
        return api(request, [this](const QJsonObject &body, const QString &device) { return m_room.join(body, device); });
    });
    addApiRoute("/api/lesson", [this](const QHttpServerRequest &request) {
        return api(request, [this](const QJsonObject &body, const QString &) { return m_room.lesson(body); });
    });
    addApiRoute("/api/game", [this](const QHttpServerRequest &request) {
        return api(request, [this](const QJsonObject &body, const QString &) { return m_room.game(body); });
    });
    addApiRoute("/api/act", [this](const QHttpServerRequest &request) {
        return api(request, [this](const QJsonObject &body, const QString &) { return m_room.act(body); });
    });
    m_server.route("/api/picture", Method::Get, [this](const QHttpServerRequest &request) { return picture(request); });
}

void ClassHttp::addTeacherRoutes()
{
    addApiRoute("/api/teacher/room", [this](const QHttpServerRequest &request) {
        return teacher(request, [this](const QJsonObject &, const QString &) {
            QJsonObject room = m_room.room();
            room.insert(QStringLiteral("address"), m_options.address);
            return ClassReply{200, room};
        });
    });
    addApiRoute("/api/teacher/end", [this](const QHttpServerRequest &request) {
        return teacher(request, [this](const QJsonObject &body, const QString &) { return m_room.endGame(body); });
    });
    addApiRoute("/api/teacher/allow", [this](const QHttpServerRequest &request) {
        return teacher(request, [this](const QJsonObject &body, const QString &) { return m_room.allowMove(body); });
    });
}

void ClassHttp::addFileRoutes()
{
    m_server.route("/", Method::Get, [this](const QHttpServerRequest &request) {
        return allowed(request) ? file(WebFile(QStringLiteral("index.html"))) : error(429, ClassText::tooMany());
    });
    m_server.route("/web/<arg>", Method::Get, [this](const QString &name, const QHttpServerRequest &request) {
        return allowed(request) ? file(WebFile(name)) : error(429, ClassText::tooMany());
    });
    m_server.route("/wav/<arg>", Method::Get, [this](const QString &name, const QHttpServerRequest &request) {
        return allowed(request) ? file(ClipFile(m_options.folder, name)) : error(429, ClassText::tooMany());
    });
    m_server.route("/img/<arg>", Method::Get, [this](const QString &name, const QHttpServerRequest &request) {
        return allowed(request) ? file(PictureFile(m_options.folder, name)) : error(429, ClassText::tooMany());
    });
}

QHttpServerResponse ClassHttp::picture(const QHttpServerRequest &request)
{
    if (!allowed(request))
        return error(429, ClassText::tooMany());
    const QUrlQuery query = request.query();
    const QString token = query.queryItemValue(QStringLiteral("token"));
    bool numbered = false;
    const int step = query.queryItemValue(QStringLiteral("step")).toInt(&numbered);
    if (token.isEmpty() || !numbered)
        return error(400, ClassText::unreadable());
    if (!m_perGame.take(token))
        return error(429, ClassText::tooMany());
    m_room.tick();
    const QString location = m_room.picture(token, step);
    if (location.isEmpty())
        return error(404, ClassText::noPicture());
    // A picture on the web is the page's to fetch from there, as the desktop game's browser
    // would: the server fetches nothing for a student.
    if (IsWebIllustration(location)) {
        QHttpServerResponse moved(HttpStatus::SeeOther);
        moved.setHeader(QByteArrayLiteral("Location"), QUrl(location).toEncoded());
        return moved;
    }
    return file(IllustrationFile(m_options.folder, location));
}
