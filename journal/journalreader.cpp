#include "journalreader.h"

#include "recordgroup.h"

#include "journalschema.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {

QString connectionName()
{
    static QAtomicInt next;
    return QStringLiteral("tallory-journal-reader-%1").arg(next.fetchAndAddRelaxed(1));
}

QDateTime time(const QVariant &v)
{
    return v.isNull() ? QDateTime() : QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
}

int button(const QVariant &v)
{
    const QString s = v.toString();
    return s.size() == 1 && s[0] >= QLatin1Char('A') && s[0] <= QLatin1Char('D') ? s[0].unicode() - 'A' + 1 : 0;
}

std::optional<GameEnding> ending(const QVariant &v)
{
    const QString s = v.toString();
    if (s == QStringLiteral("wrong"))
        return GameEnding::Wrong;
    if (s == QStringLiteral("stop"))
        return GameEnding::Stop;
    if (s == QStringLiteral("won"))
        return GameEnding::Won;
    if (s == QStringLiteral("noquestion"))
        return GameEnding::NoQuestion;
    return std::nullopt;
}

} // namespace

JournalGame JournalGameRow(const QSqlQuery &q)
{
    JournalGame g;
    g.id = q.value(0).toString();
    g.lesson = q.value(1).toString();
    g.student = q.value(2).toString();
    g.machine = q.value(3).toString();
    g.bankFile = q.value(4).toString();
    g.bankSha256 = q.value(5).toString();
    g.started = time(q.value(6));
    g.ended = time(q.value(7));
    g.ending = ending(q.value(8));
    g.levelsPassed = q.value(9).isNull() ? -1 : q.value(9).toInt();
    g.grade = q.value(10).toString();
    return g;
}

JournalAnswer JournalAnswerRow(const QSqlQuery &q)
{
    JournalAnswer a;
    a.game = q.value(0).toString();
    a.level = q.value(1).toInt();
    a.bankIndex = q.value(2).toInt();
    a.questionSha256 = q.value(3).toString();
    a.shown = time(q.value(4));
    a.question = q.value(5).toString();
    for (int b = 1; b <= 4; ++b)
        a.answers[static_cast<size_t>(b)] = q.value(5 + b).toString();
    a.rightButton = button(q.value(10));
    a.clickedButton = button(q.value(11));
    a.chosen = q.value(12).isNull() ? 0 : q.value(12).toInt();
    a.ms = q.value(13).isNull() ? -1 : q.value(13).toLongLong();
    const QString blanked = q.value(14).toString();
    if (blanked.size() == 2)
        a.fiftyBlanked = {button(blanked.left(1)), button(blanked.mid(1))};
    if (!q.value(15).isNull()) {
        std::array<int, 5> votes{};
        for (int b = 1; b <= 4; ++b)
            votes[static_cast<size_t>(b)] = q.value(14 + b).toInt();
        a.votes = votes;
    }
    a.friendReply = q.value(19).toString();
    a.tease = q.value(20).toString();
    return a;
}

namespace {

template <typename Row>
Result<QList<Row>> select(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                          Row (*row)(const QSqlQuery &))
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        return Result<QList<Row>>::failure(QStringLiteral("Журнал не читается: %1.").arg(DescribeSqlError(q.lastError())));
    QList<Row> rows;
    while (q.next())
        rows << row(q);
    return Result<QList<Row>>::success(rows);
}

const QString kAnswerColumns = QStringLiteral(
    "SELECT a.game, a.level, a.bank_index, a.question_sha256, a.shown, a.question, a.answer_a, a.answer_b, "
    "a.answer_c, a.answer_d, a.right_button, a.clicked_button, a.chosen, a.ms, a.fifty_blanked, a.votes_a, "
    "a.votes_b, a.votes_c, a.votes_d, a.friend_reply, a.tease ");

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
                               QStringLiteral("SELECT id, lesson, student, machine, bank_file, bank_sha256, started, "
                                              "ended, ending, levels_passed, grade FROM games "
                                              "WHERE (? = '' OR lesson = ?) ORDER BY started, id"),
                               lessonValues(lesson), &JournalGameRow);
}

Result<QList<JournalAnswer>> JournalReader::answers(const QString &lesson) const
{
    return select<JournalAnswer>(database(),
                                 kAnswerColumns
                                     + QStringLiteral("FROM answers a JOIN games g ON g.id = a.game "
                                                      "WHERE (? = '' OR g.lesson = ?) ORDER BY g.started, g.id, a.level"),
                                 lessonValues(lesson), &JournalAnswerRow);
}

Result<QList<JournalAnswer>> JournalReader::answersOf(const QString &gameId) const
{
    return select<JournalAnswer>(database(), kAnswerColumns + QStringLiteral("FROM answers a WHERE a.game = ? ORDER BY a.level"),
                                 {gameId}, &JournalAnswerRow);
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
