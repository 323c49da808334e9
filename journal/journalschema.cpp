#include "journalschema.h"

#include "answerrow.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Both tables are kept in the order of their keys alone (WITHOUT ROWID): an answer then
// changes one tree, and each commit is a page or two to sync. Their columns are the rows' own
// (answerrow.h, tablerow.h).
// One game, written as it starts and completed as it ends: a game whose "ended" stays NULL
// was left unfinished (the program closed or crashed, or a new game was started over it).
QString gamesTable()
{
    return SqliteCreateTable(GamesTable(), {QStringLiteral("CHECK (ending IN ('wrong', 'stop', 'won', 'noquestion'))")},
                             true);
}

// One question of a game as it was answered, or left when the student stopped on it.
QString answersTable()
{
    return SqliteCreateTable(AnswersTable(),
                             {QStringLiteral("FOREIGN KEY (game) REFERENCES games (id)"),
                              QStringLiteral("PRIMARY KEY (game, level)")},
                             true);
}

// A class server's student who left the page during a question. Made where the writer opens a
// journal, so that journals written before the class server gain it too.
QString pageLeavesTable()
{
    QString sql = SqliteCreateTable(PageLeavesTable(), {QStringLiteral("FOREIGN KEY (game) REFERENCES games (id)"),
                                                        QStringLiteral("PRIMARY KEY (game, seq)")},
                                    true);
    return sql.replace(QStringLiteral("CREATE TABLE "), QStringLiteral("CREATE TABLE IF NOT EXISTS "));
}

// The answers carry one index only, the question's (see kLookupIndexes): the analysis reads every answer of
// a lesson anyway, and each index more is a page more to sync in every click.
const char *const kIndexes[] = {
    "CREATE INDEX games_by_lesson ON games (lesson, student)",
};

// The class's answers to one question, for the audience that shows them (the hall is the class).
// Without these the lookup reads every answer of every game, a second over a term's journals;
// with them, a few pages per journal. The first carries the answer chosen, and the game's id as
// every index of the table does, so that the answers are counted from it alone; its price is one
// more entry written with each answer, a page more in the log within the same commit, under the
// one sync the answer waits for anyway. The second finds each counted answer's lesson in a
// few narrow pages rather than in the games' whole rows; games are written as they start, and
// their ends leave both its columns alone, so it costs the answer click nothing.
const char *const kLookupIndexes[] = {
    "CREATE INDEX IF NOT EXISTS answers_by_question ON answers (question_sha256, chosen)",
    "CREATE INDEX IF NOT EXISTS games_lesson_of_id ON games (id, lesson)",
};

QSqlError run(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    return q.exec(sql) ? QSqlError() : q.lastError();
}

} // namespace

QSqlError CreateJournalSchema(QSqlDatabase &db)
{
    if (!db.transaction())
        return db.lastError();
    QStringList statements{gamesTable(), answersTable()};
    for (const char *index : kIndexes)
        statements << QString::fromLatin1(index);
    statements << QStringLiteral("PRAGMA user_version = %1").arg(kJournalSchemaVersion);
    for (const QString &sql : statements) {
        const QSqlError error = run(db, sql);
        if (error.isValid()) {
            db.rollback();
            return error;
        }
    }
    return db.commit() ? QSqlError() : db.lastError();
}

QSqlError AddLookupIndexes(QSqlDatabase &db)
{
    for (const char *index : kLookupIndexes) {
        const QSqlError error = run(db, QString::fromLatin1(index));
        if (error.isValid())
            return error;
    }
    return QSqlError();
}

QSqlError AddLaterTables(QSqlDatabase &db)
{
    return run(db, pageLeavesTable());
}

QString QuestionSha256(QByteArrayView line)
{
    return QString::fromLatin1(QCryptographicHash::hash(line, QCryptographicHash::Sha256).toHex());
}

namespace {
// SQLite's primary result codes, as the driver reports them.
enum SqliteCode { Busy = 5, Locked = 6, ReadOnly = 8, IoError = 10, Corrupt = 11, Full = 13, CantOpen = 14,
                  NotADatabase = 26 };

int primaryCode(const QSqlError &error)
{
    return error.nativeErrorCode().toInt() & 0xFF;
}
} // namespace

bool IsDamage(const QSqlError &error)
{
    const int code = primaryCode(error);
    return code == Corrupt || code == NotADatabase;
}

QString DescribeSqlError(const QSqlError &error)
{
    QString why;
    switch (primaryCode(error)) {
    case Full: why = QStringLiteral("на диске нет места"); break;
    case ReadOnly: why = QStringLiteral("файл или папка закрыты для записи"); break;
    case CantOpen: why = QStringLiteral("файл не открывается"); break;
    case IoError: why = QStringLiteral("ошибка чтения или записи на диске (возможно, нет места)"); break;
    case Corrupt:
    case NotADatabase: why = QStringLiteral("файл повреждён"); break;
    case Busy:
    case Locked: why = QStringLiteral("файл занят другой копией программы"); break;
    default: why = QStringLiteral("ошибка базы данных"); break;
    }
    const QString words = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return words.isEmpty() ? why : why + QStringLiteral(" (") + words + QLatin1Char(')');
}

QString JournalTime(qint64 msecsSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::UTC).toString(Qt::ISODateWithMs);
}
