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
#include <QUrlQuery>

namespace {

using Method = QHttpServerRequest::Method;
using Status = QHttpServerResponse::StatusCode;

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
                               QJsonDocument(body).toJson(QJsonDocument::Compact), Status(status));
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
{
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

bool ClassHttp::allowed(const QHttpServerRequest &request)
{
    return m_overall.take(request.remoteAddress().toString());
}

QHttpServerResponse ClassHttp::api(const QHttpServerRequest &request, const Call &call)
{
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

void ClassHttp::addStudentRoutes()
{
    m_server.route("/api/join", Method::Post, [this](const QHttpServerRequest &request) {
        return api(request, [this](const QJsonObject &body, const QString &device) { return m_room.join(body, device); });
    });
    m_server.route("/api/lesson", Method::Post, [this](const QHttpServerRequest &request) {
        return api(request, [this](const QJsonObject &body, const QString &) { return m_room.lesson(body); });
    });
    m_server.route("/api/game", Method::Post, [this](const QHttpServerRequest &request) {
        return api(request, [this](const QJsonObject &body, const QString &) { return m_room.game(body); });
    });
    m_server.route("/api/act", Method::Post, [this](const QHttpServerRequest &request) {
        return api(request, [this](const QJsonObject &body, const QString &) { return m_room.act(body); });
    });
    m_server.route("/api/picture", Method::Get, [this](const QHttpServerRequest &request) { return picture(request); });
}

void ClassHttp::addTeacherRoutes()
{
    m_server.route("/api/teacher/room", Method::Post, [this](const QHttpServerRequest &request) {
        return teacher(request, [this](const QJsonObject &, const QString &) {
            QJsonObject room = m_room.room();
            room.insert(QStringLiteral("address"), m_options.address);
            return ClassReply{200, room};
        });
    });
    m_server.route("/api/teacher/end", Method::Post, [this](const QHttpServerRequest &request) {
        return teacher(request, [this](const QJsonObject &body, const QString &) { return m_room.endGame(body); });
    });
    m_server.route("/api/teacher/allow", Method::Post, [this](const QHttpServerRequest &request) {
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
        QHttpServerResponse moved(Status::SeeOther);
        moved.setHeader(QByteArrayLiteral("Location"), QUrl(location).toEncoded());
        return moved;
    }
    return file(IllustrationFile(m_options.folder, location));
}
