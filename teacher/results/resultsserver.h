#pragma once
// The results tab's reading of the school's server, on a thread of its own: connecting, reading
// the rows, hearing the server's announcements and loading the files into it never hold the
// window. Qt SQL connections belong to the thread that made them, and the server's notifications
// arrive on that thread: every connection of the tab is made, used and closed here. The tab calls
// the slots across the threads (queued) and hears the outcomes by queued signals.
//
// A server that cannot be reached, or stops answering, is tried again every few seconds, as the
// game's sender tries again, until it answers; unreachable() says each time what to fix.

#include "result.h"
#include "serverresults.h"

#include <QMetaType>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <vector>

class ServerFeed;

using ServerRows = std::vector<ServerResultRow>;
Q_DECLARE_METATYPE(ServerRows)

class ResultsServer : public QObject
{
    Q_OBJECT

public:
    /// How long a server out of reach is left before the next try.
    static constexpr int kRetryMs = 5000;

    ResultsServer();
    ~ResultsServer() override;

    /// How long a server out of reach is left before the next try, and how often a connected
    /// one is checked (a stopped server is otherwise noticed only at the next reading).
    void setRetryMs(int ms);

    /// Connects to the service (at most 2 s), checks its schema and listens for new rows:
    /// opened() or unreachable(). Drops the connection before, if any.
    void open(const QString &service);
    /// Reads the rows that pass the query: rowsRead(), or unreachable() when the server failed.
    void read(const ServerResultsQuery &query);
    /// Loads the results files and the answer journals into the server, each row once: loaded()
    /// with the Russian account of what was stored, or with why nothing could be.
    void load(const QStringList &paths, const QStringList &journals);

signals:
    void opened();
    /// The server cannot be read now: what to fix. Tried again until opened().
    void unreachable(const QString &problem);
    void rowsRead(const ServerRows &rows);
    /// The server announced new rows.
    void arrived();
    void loaded(bool ok, const QString &account);

private:
    bool connectServer();
    /// The connection failed (the feed's problem says how): made again at once, or said.
    void lost();
    void retry();

    ServerFeed *m_feed = nullptr;
    QString m_service;
    QTimer m_retry;
};
