#pragma once
// One round of sending a journal's outbox to the server, on the sender's thread: the journal's
// rows in seq order, in batches, each batch one server transaction. A batch leaves the outbox
// only after the server's COMMIT succeeded; whatever failed stays and is sent again, and the
// server stores a row sent twice once.

#include "serverconnection.h"
#include "tablerow.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <memory>

class OutboxSender
{
public:
    OutboxSender(QString service, QString journalPath, ServerConnectOptions options, int batchRows);
    ~OutboxSender();
    OutboxSender(const OutboxSender &) = delete;
    OutboxSender &operator=(const OutboxSender &) = delete;

    /// Sends until the outbox is empty or something fails: true when it is empty, otherwise
    /// problem says why. The journal is opened for the round; the server's connection is kept
    /// between rounds, and one left broken is dropped and made anew next time.
    bool sendAll(QString *problem);

    /// A row that never reached the journal: its server table (as the outbox names it) and values.
    struct DirectRow {
        QString table;
        TableRow row;
    };
    /// Sends such rows each in a transaction of its own, in order, and removes from rows those
    /// the server took or refused for good (refusals noted beside the journal). A row whose game
    /// has not reached the server yet waits with the rest for the next round. True when none wait.
    bool sendDirect(QList<DirectRow> &rows, QString *problem);

private:
    struct Row;
    bool openJournal(QString *problem);
    bool openServer(QString *problem);
    /// Sends one batch: how many rows it took, or -1 on failure.
    int sendBatch(QString *problem);
    /// Sends the rows in one transaction; a row the server refuses for good is set aside and
    /// the rest go on. False when something else failed.
    bool sendRows(QList<Row> rows, QString *problem);
    bool setAside(const Row &row, const QString &reason, QString *problem);
    bool forget(qint64 lastSeq, QString *problem);
    void closeJournal();

    QString m_service;
    QString m_journalPath;
    ServerConnectOptions m_options;
    int m_batchRows;
    QString m_journalConnection;
    std::unique_ptr<ServerConnection> m_server;
};
