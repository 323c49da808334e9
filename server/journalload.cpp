#include "journalload.h"

#include "journalreader.h"
#include "journalschema.h"
#include "serverconnection.h"
#include "serverrows.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// The journal's columns for each table, in the order SendRow takes them: the journal and the
// server name them alike, and a game's end is the tail of the journal's games row.
struct Part {
    ServerTable table;
    const char *select;
    int JournalLoadCounts::*stored;
};

const Part kParts[] = {
    {ServerTable::Games, "SELECT id, lesson, student, machine, bank_file, bank_sha256, started FROM games ORDER BY started, id",
     &JournalLoadCounts::games},
    {ServerTable::Answers,
     "SELECT game, level, bank_index, question_sha256, shown, question, answer_a, answer_b, answer_c, answer_d, "
     "right_button, clicked_button, chosen, ms, fifty_blanked, votes_a, votes_b, votes_c, votes_d, friend_reply, "
     "tease FROM answers ORDER BY game, level",
     &JournalLoadCounts::answers},
    {ServerTable::GameEnds,
     "SELECT id, ended, ending, levels_passed, grade FROM games WHERE ended IS NOT NULL AND ending IS NOT NULL "
     "ORDER BY started, id",
     &JournalLoadCounts::gameEnds},
};

// Sends every row of one part; the failure, empty when done.
QString sendPart(QSqlDatabase &server, const QSqlDatabase &journal, const Part &part, JournalLoadCounts &counts)
{
    QSqlQuery q(journal);
    q.setForwardOnly(true);
    if (!q.exec(QString::fromLatin1(part.select)))
        return QStringLiteral("журнал не читается: %1").arg(DescribeSqlError(q.lastError()));
    const int columns = static_cast<int>(ServerColumns(part.table).size());
    while (q.next()) {
        QVariantList values;
        values.reserve(columns);
        for (int c = 0; c < columns; ++c)
            values << q.value(c);
        const Result<bool> sent = SendRow(server, part.table, values);
        if (!sent.ok())
            return sent.error;
        ++(sent.value ? counts.*part.stored : counts.alreadyThere);
    }
    return q.lastError().isValid() ? QStringLiteral("журнал не читается: %1").arg(DescribeSqlError(q.lastError()))
                                   : QString();
}

} // namespace

Result<JournalLoadCounts> LoadJournalToServer(QSqlDatabase &db, const QString &journalFile)
{
    using R = Result<JournalLoadCounts>;
    const QString name = QFileInfo(journalFile).fileName();
    const auto reader = JournalReader::open(journalFile);
    if (!reader.ok())
        return R::failure(reader.error);
    // One read transaction: the answers read are those of the games read, even while a game
    // goes on writing the journal.
    QSqlDatabase journal = reader.value->database();
    if (!journal.transaction())
        return R::failure(QStringLiteral("Журнал «%1» не читается: %2.").arg(name, DescribeSqlError(journal.lastError())));
    if (!db.transaction()) {
        journal.rollback();
        return R::failure(QStringLiteral("Журнал «%1» не загружен: %2.").arg(name, DescribeServerError(db.lastError())));
    }
    JournalLoadCounts counts;
    QString problem;
    for (const Part &part : kParts) {
        if ((problem = sendPart(db, journal, part, counts)).isEmpty())
            continue;
        break;
    }
    journal.rollback();
    if (problem.isEmpty() && !db.commit())
        problem = DescribeServerError(db.lastError());
    if (!problem.isEmpty()) {
        db.rollback();
        return R::failure(QStringLiteral("Журнал «%1» не загружен, на сервер из него не записано ничего: %2.")
                              .arg(name, problem));
    }
    return R::success(counts);
}

QString DescribeJournalCounts(const JournalLoadCounts &counts)
{
    return QStringLiteral("Загружено игр: %1, концов игр: %2, ответов: %3; уже были на сервере строк: %4.")
        .arg(counts.games).arg(counts.gameEnds).arg(counts.answers).arg(counts.alreadyThere);
}
