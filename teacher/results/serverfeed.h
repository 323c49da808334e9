#pragma once
// The school's results as the workbench follows them: one connection of the teacher's role, made
// on the window's thread (Qt SQL connections belong to the thread that made them, and the
// server's notifications arrive on it), bounded to 2 s for connecting and for every statement.
// The schema announces each new record and each ended game on the channel "tallory_results";
// the feed passes that on, so that the table is read again only when something came.

#include "serverconnection.h"
#include "serverresults.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QTimer;

class ServerFeed : public QObject
{
    Q_OBJECT

public:
    /// The bounds of the window's waits on the server.
    static ServerConnectOptions windowOptions();

    explicit ServerFeed(QObject *parent = nullptr);
    ~ServerFeed() override;

    /// Connects to the service (dropping any connection before), checks its schema and listens
    /// for new rows; false with problem() saying what to fix when it cannot.
    bool open(const QString &service, const ServerConnectOptions &options = windowOptions());
    bool isOpen() const { return m_connection != nullptr; }
    QString service() const { return m_service; }
    QString problem() const { return m_problem; }
    /// The open connection, for other readers of the same server; invalid when not open.
    QSqlDatabase database() const;

    /// Whether the connection still reaches the server (one trivial statement): a server stopped
    /// or restarted has cut it, and its announcements with it. On failure the connection is
    /// dropped and problem() says why.
    bool check();
    /// The rows that pass the query; on failure the connection is dropped and problem() says why.
    Result<std::vector<ServerResultRow>> read(const ServerResultsQuery &query);

signals:
    /// The server announced new rows; a burst of announcements is one signal.
    void arrived();
    /// Each announcement as it comes: "results <id>" or "game_ends <id>".
    void announced(const QString &payload);

private:
    std::unique_ptr<ServerConnection> m_connection;
    QString m_service;
    QString m_problem;
    QTimer *m_burst = nullptr;
};
