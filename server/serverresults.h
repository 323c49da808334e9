#pragma once
// The teacher's reading of the school's results on the server: the graded records every machine
// sent, and the attempts machines let in while the server was out of reach, as rows the results
// listing shows with two columns more than a file has, the machine and the time.

#include "result.h"
#include "resultslist.h"
#include "serverconnection.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

/// Which rows to read; an empty text or a null date leaves that filter out. Every value is bound.
struct ServerResultsQuery {
    QString lesson;  ///< the lesson code, letter case aside
    QString name;    ///< part of the name, letter case aside
    QString machine; ///< part of the machine's name, letter case aside
    QDate from;      ///< recorded on this day or later (local time)
    QDate to;        ///< recorded on this day or earlier (local time)
};

struct ServerResultRow {
    enum class Kind {
        Record,    ///< a graded game's record (tallory.results)
        Unchecked, ///< a game let in by the machine's own file, the server out of reach
        JournalFailed, ///< a machine said its journal could not be written (tallory.journal_failures)
        Silent,    ///< a machine's last game never ended and nothing came from it for a while
    };
    Kind kind = Kind::Record;
    QString id; ///< the record's or the game's id
    QString lesson;
    QString name;
    int levels = -1; ///< levels passed; -1 for an unchecked attempt
    QString grade;
    QString machine;
    QDateTime recorded; ///< when the machine recorded it, in local time
    QString reason;     ///< why an unchecked attempt went unchecked, why a journal failed
    /// How a record stands against its game's rows, as the server judged it on arrival:
    /// "agrees", "loaded" (from a file, by a teacher), "no_game", "disagrees".
    QString standing;
    QDateTime received;    ///< when the server received it, by the server's clock, in local time
    QString sender;        ///< the login that sent it; empty for rows stored before it was noted
    QString senderAddress; ///< the connection's address; empty on the server's own socket
};

/// How long a machine may send nothing while its last game is unfinished before the teacher is
/// told its rows stopped arriving.
constexpr int kSilentMachineMinutes = 20;

/// Opens the service and makes sure its schema is the one this program knows; on failure the
/// Russian message (the connection's or SchemaProblem's) says what to fix.
std::unique_ptr<ServerConnection> OpenSchoolServer(const QString &service, const ServerConnectOptions &options,
                                                   QString *problem);

/// The rows that pass the query, in the order the server received them. Needs the teacher's role.
Result<std::vector<ServerResultRow>> ReadServerResults(QSqlDatabase &db, const ServerResultsQuery &query = {});

/// The row as an entry of a results file would read: the name's checksum as its key, the state
/// "под сомнением" where the grade does not follow from the levels.
ResultEntry ServerResultEntry(const ServerResultRow &row);

/// What the listing shows in the state column for the row.
QString ServerStateText(const ServerResultRow &row);

/// The time column's text: local time, to the second.
QString ServerTimeText(const QDateTime &time);

/// The server's own note of a row: when it came, from which address, as which login.
QString ServerReceivedText(const ServerResultRow &row);

/// The listing's titles and fields: those of a results file, then "Компьютер", "Записано" and
/// "Получено".
QStringList ServerResultColumnTitles();
QStringList ServerResultFields(const ServerResultRow &row);
