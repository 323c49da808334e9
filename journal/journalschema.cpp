#include "journalschema.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Both tables are kept in the order of their keys alone (WITHOUT ROWID): an answer then
// changes one tree, and each commit is a page or two to sync.
// One game, written as it starts and completed as it ends: a game whose "ended" stays NULL
// was left unfinished (the program closed or crashed, or a new game was started over it).
const char *const kGames = R"(CREATE TABLE games (
    id            TEXT PRIMARY KEY,
    lesson        TEXT NOT NULL,
    student       TEXT NOT NULL,
    machine       TEXT NOT NULL,
    bank_file     TEXT NOT NULL,
    bank_sha256   TEXT NOT NULL,
    started       TEXT NOT NULL,
    ended         TEXT,
    ending        TEXT CHECK (ending IN ('wrong', 'stop', 'won', 'noquestion')),
    levels_passed INTEGER,
    grade         TEXT
) WITHOUT ROWID)";

// One question of a game as it was answered, or left when the student stopped on it.
const char *const kAnswers = R"(CREATE TABLE answers (
    game            TEXT NOT NULL REFERENCES games (id),
    level           INTEGER NOT NULL,
    bank_index      INTEGER NOT NULL,
    question_sha256 TEXT NOT NULL,
    shown           TEXT NOT NULL,
    question        TEXT NOT NULL,
    answer_a        TEXT NOT NULL,
    answer_b        TEXT NOT NULL,
    answer_c        TEXT NOT NULL,
    answer_d        TEXT NOT NULL,
    right_button    TEXT NOT NULL,
    clicked_button  TEXT,
    chosen          INTEGER,
    ms              INTEGER,
    fifty_blanked   TEXT,
    votes_a         INTEGER,
    votes_b         INTEGER,
    votes_c         INTEGER,
    votes_d         INTEGER,
    friend_reply    TEXT,
    tease           TEXT,
    PRIMARY KEY (game, level)
) WITHOUT ROWID)";

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
    QStringList statements{QString::fromLatin1(kGames), QString::fromLatin1(kAnswers)};
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
