#pragma once
// The real tallory-class on a copy of the demo program folder, on 127.0.0.1 and a free port,
// and a client that speaks to it as a browser does. Every wait is for the program or the
// network to answer, never a fixed pause.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

/// One answer as the client received it.
struct Answer {
    int status = 0;
    QJsonObject body;
    QByteArray bytes;
    QByteArray type;
    QByteArray cache;
    QByteArray location;
};

class RunningClass
{
public:
    /// A copy of the demo folder (settings, bank, clips) in a fresh temporary folder.
    RunningClass();
    ~RunningClass();

    QString folder() const { return m_dir.path() + QLatin1Char('/'); }
    /// Starts the program with extra arguments; false, with its stderr in errors(), when it
    /// stopped instead of printing its address.
    bool start(const QStringList &extra = {});
    /// Runs the program to its end (it is expected to refuse): its exit code.
    int runRefused(const QStringList &arguments);
    QString errors() const { return m_errors; }
    QString url() const { return m_url; }
    QProcess &process() { return *m_process; }

    Answer post(const QString &path, const QByteArray &body, const QByteArray &key = {});
    Answer post(const QString &path, const QJsonObject &body) { return post(path, toJson(body)); }
    Answer get(const QString &path);
    /// Sends many requests at once and waits for all their answers.
    QList<Answer> postMany(const QString &path, const QJsonObject &body, int count);
    /// A new game of the demo lesson: its token.
    QString join(const QString &name);

    static QByteArray toJson(const QJsonObject &object);
    static QString program();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    QNetworkAccessManager m_network;
    QString m_url;
    QString m_errors;
};
