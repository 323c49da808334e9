#include "classstudents.h"

#include <QDateTime>
#include <QJsonArray>

namespace benchclass {

namespace {

bool used(const QJsonObject &view, const QString &lifeline)
{
    return view.value(QStringLiteral("lifelines")).toObject().value(lifeline).toBool();
}

} // namespace

QString lesson()
{
    return QStringLiteral("ДЕМО");
}

Student::Student(int number, const QUrl &base, Figures &figures)
    : m_connection(QStringLiteral("127.10.%1.%2").arg(number / 250).arg(number % 250 + 1), base),
      m_figures(figures), m_random(static_cast<quint32>(number) * 7919U + 1U)
{
    m_heartbeat.setInterval(5000);
    QObject::connect(&m_heartbeat, &QTimer::timeout, [this] { beat(); });
}

void Student::join(std::function<void()> ready)
{
    const QJsonObject body{{QStringLiteral("lesson"), lesson()},
                           {QStringLiteral("name"), classtest::studentName(QStringLiteral("УЧЕНИК"), m_figures.names++)}};
    send(QStringLiteral("/api/join"), body, QString(), [this, ready](const classtest::Reply &r) {
        m_token = r.json.value(QStringLiteral("token")).toString();
        m_view = r.json.value(QStringLiteral("game")).toObject();
        ++m_figures.games;
        m_heartbeat.start();
        if (ready)
            ready();
        else
            think();
    });
}

void Student::play(qint64 deadline)
{
    m_deadline = deadline;
    think();
}

void Student::think()
{
    QTimer::singleShot(500 + m_random.bounded(2000), &m_life, [this] { act(); });
}

void Student::act()
{
    const QString state = m_view.value(QStringLiteral("state")).toString();
    if (state == QLatin1String("finished") || m_token.isEmpty()) {
        ++m_figures.finished;
        m_heartbeat.stop();
        if (QDateTime::currentMSecsSinceEpoch() >= m_deadline) {
            m_idle = true;
            return;
        }
        join();
        return;
    }
    if (state == QLatin1String("call")) {
        const QJsonObject call = m_view.value(QStringLiteral("call")).toObject();
        if (call.value(QStringLiteral("reply")).isNull())
            step(QStringLiteral("dial"), {{QStringLiteral("digits"), call.value(QStringLiteral("number"))}});
        else
            step(QStringLiteral("hangup"));
        return;
    }
    QStringList unused;
    for (const QString &l : {QStringLiteral("fifty"), QStringLiteral("audience"), QStringLiteral("friend")})
        if (!used(m_view, l))
            unused << l;
    const quint32 roll = m_random.bounded(100U);
    if (!unused.isEmpty() && roll < 25) {
        ++m_figures.lifelines;
        step(unused[m_random.bounded(static_cast<int>(unused.size()))]);
        return;
    }
    if (m_view.value(QStringLiteral("mayStop")).toBool() && roll < 30) {
        step(QStringLiteral("stop"));
        return;
    }
    QList<int> buttons{1, 2, 3, 4};
    for (const QJsonValue &b : m_view.value(QStringLiteral("question")).toObject().value(QStringLiteral("blank")).toArray())
        buttons.removeAll(b.toInt());
    step(QStringLiteral("answer"), {{QStringLiteral("button"), buttons[m_random.bounded(static_cast<int>(buttons.size()))]}});
}

void Student::step(const QString &what, const QJsonObject &more)
{
    QJsonObject body = more;
    body.insert(QStringLiteral("token"), m_token);
    body.insert(QStringLiteral("step"), m_view.value(QStringLiteral("step")));
    body.insert(QStringLiteral("do"), what);
    send(QStringLiteral("/api/act"), body, what, [this](const classtest::Reply &r) {
        m_view = r.json.value(QStringLiteral("game")).toObject();
        think();
    });
}

void Student::beat()
{
    if (m_token.isEmpty())
        return;
    // The heartbeat's view is not taken: an action may be on its way with the step it knew.
    send(QStringLiteral("/api/game"), {{QStringLiteral("token"), m_token}}, QString(), {});
}

void Student::send(const QString &path, const QJsonObject &body, const QString &what,
                   const std::function<void(const classtest::Reply &)> &then)
{
    m_connection.post(path, body, [this, path, what, then](const classtest::Reply &r) {
        ++m_figures.requests;
        m_figures.requestMs.push_back(r.ms);
        if (what == QLatin1String("answer"))
            m_figures.answerMs.push_back(r.ms);
        if (path == QLatin1String("/api/game"))
            m_figures.heartbeatMs.push_back(r.ms);
        if (r.status != 200) {
            m_figures.errors << QStringLiteral("%1 %2 → %3 %4%5").arg(path, what).arg(r.status)
                                    .arg(QString::fromUtf8(r.body.left(200)), r.failure);
            m_heartbeat.stop();
            m_idle = true; // a student whose page broke stops: the error is counted once
            return;
        }
        if (then)
            then(r);
    });
}

} // namespace benchclass
