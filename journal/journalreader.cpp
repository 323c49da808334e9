#include "journalreader.h"

#include "recordgroup.h"

#include "answerrow.h"
#include "journalschema.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace {

QString connectionName()
{
    static QAtomicInt next;
    return QStringLiteral("tallory-journal-reader-%1").arg(next.fetchAndAddRelaxed(1));
}

// The columns of a table, each under the alias of its table.
QString columnsOf(const RowTable &table, const QString &alias)
{
    QStringList columns = table.journalColumns();
    for (QString &c : columns)
        c.prepend(alias + QLatin1Char('.'));
    return columns.join(QStringLiteral(", "));
}

template <typename Row>
Result<QList<Row>> select(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                          Row (*row)(const QSqlQuery &, const RowPlaces &))
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        return Result<QList<Row>>::failure(QStringLiteral("Журнал не читается: %1.").arg(DescribeSqlError(q.lastError())));
    QList<Row> rows;
    const RowPlaces places(q.record());
    while (q.next())
        rows << row(q, places);
    return Result<QList<Row>>::success(rows);
}

QString answerColumns()
{
    return QStringLiteral("SELECT %1 ").arg(columnsOf(AnswersTable(), QStringLiteral("a")));
}

QVariantList lessonValues(const QString &lesson)
{
    const QString code = lesson.isNull() ? QStringLiteral("") : lesson;
    return {code, code};
}

} // namespace

Result<std::shared_ptr<JournalReader>> JournalReader::open(const QString &file, int waitMs)
{
    using R = Result<std::shared_ptr<JournalReader>>;
    // A lab machine's journals are closed to the students themselves: the game reads them with
    // the records' group, and the file, its log and its index are opened here, once.
    const RecordGroupScope records;
    const QString name = QFileInfo(file).fileName();
    if (!QFileInfo(file).isFile())
        return R::failure(QStringLiteral("Журнала «%1» нет.").arg(name));
    std::shared_ptr<JournalReader> reader(new JournalReader(connectionName()));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), reader->m_connection);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(std::max(waitMs, 0)));
    if (!db.open())
        return R::failure(QStringLiteral("Журнал «%1» не открывается: %2.").arg(name, DescribeSqlError(db.lastError())));
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return R::failure(QStringLiteral("Журнал «%1» не читается: %2.").arg(name, DescribeSqlError(q.lastError())));
    const int version = q.value(0).toInt();
    if (version > kJournalSchemaVersion)
        return R::failure(QStringLiteral("Журнал «%1» записан более новой версией программы (версия %2); "
                                         "обновите программу.")
                              .arg(name)
                              .arg(version));
    if (version < 1)
        return R::failure(QStringLiteral("Файл «%1» — не журнал игры.").arg(name));
    return R::success(reader);
}

JournalReader::JournalReader(QString connection) : m_connection(std::move(connection)) {}

JournalReader::~JournalReader()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlDatabase JournalReader::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

Result<QStringList> JournalReader::lessons() const
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT DISTINCT lesson FROM games ORDER BY lesson")))
        return Result<QStringList>::failure(
            QStringLiteral("Журнал не читается: %1.").arg(DescribeSqlError(q.lastError())));
    QStringList codes;
    while (q.next())
        codes << q.value(0).toString();
    return Result<QStringList>::success(codes);
}

Result<QList<JournalGame>> JournalReader::games(const QString &lesson) const
{
    return select<JournalGame>(database(),
                               QStringLiteral("SELECT %1 FROM games g WHERE (? = '' OR lesson = ?) ORDER BY started, id")
                                   .arg(columnsOf(GamesTable(), QStringLiteral("g"))),
                               lessonValues(lesson), &ReadGameRow);
}

Result<QList<JournalAnswer>> JournalReader::answers(const QString &lesson) const
{
    return select<JournalAnswer>(database(),
                                 answerColumns()
                                     + QStringLiteral("FROM answers a JOIN games g ON g.id = a.game "
                                                      "WHERE (? = '' OR g.lesson = ?) ORDER BY g.started, g.id, a.level"),
                                 lessonValues(lesson), &ReadAnswerRow);
}

Result<QList<JournalAnswer>> JournalReader::answersOf(const QString &gameId) const
{
    return select<JournalAnswer>(database(), answerColumns() + QStringLiteral("FROM answers a WHERE a.game = ? ORDER BY a.level"),
                                 {gameId}, &ReadAnswerRow);
}

Result<std::array<int, 5>> JournalReader::chosenCounts(const QString &lesson, const QString &questionSha256) const
{
    using R = Result<std::array<int, 5>>;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT a.chosen, COUNT(*) FROM answers a JOIN games g ON g.id = a.game "
                             "WHERE a.question_sha256 = ? AND a.chosen BETWEEN 1 AND 4 AND g.lesson = ? "
                             "GROUP BY a.chosen"));
    q.addBindValue(questionSha256);
    q.addBindValue(lesson);
    if (!q.exec())
        return R::failure(QStringLiteral("Журнал не читается: %1.").arg(DescribeSqlError(q.lastError())));
    std::array<int, 5> counts{};
    while (q.next()) {
        const int chosen = q.value(0).toInt();
        if (chosen >= 1 && chosen <= 4)
            counts[static_cast<size_t>(chosen)] = q.value(1).toInt();
    }
    return R::success(counts);
}
