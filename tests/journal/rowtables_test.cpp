// The rows the journal and the server share: the journal's tables have each row's columns and
// types, an answer written through its row reads back as it was, and a queued row keeps its
// columns' names (or, queued by an earlier program, takes them from the table's order).

#include "answerrow.h"
#include "journalreader.h"
#include "journalschema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// "name TYPE" plus " NOT NULL" where the column may not be NULL, as a table's declaration has it.
QString declared(const QString &name, const QString &type, bool notNull)
{
    return name + QLatin1Char(' ') + type + (notNull ? QStringLiteral(" NOT NULL") : QString());
}

class JournalRows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("rows"));
        db.setDatabaseName(tmp.filePath(QStringLiteral("journal.sqlite")));
        ASSERT_TRUE(db.open());
        ASSERT_FALSE(CreateJournalSchema(db).isValid());
    }
    void TearDown() override { QSqlDatabase::removeDatabase(QStringLiteral("rows")); }
    QSqlDatabase db() const { return QSqlDatabase::database(QStringLiteral("rows")); }

    QTemporaryDir tmp;
};

} // namespace

TEST_F(JournalRows, JournalTablesHaveEachRowsColumnsAndTypes)
{
    for (const RowTable *table : {&GamesTable(), &AnswersTable()}) {
        SCOPED_TRACE(table->journal);
        QStringList expected;
        for (const RowColumn &c : table->columns) {
            const QString type = QString::fromLatin1(c.sqlite);
            // A key of a table kept in key order (WITHOUT ROWID) is never NULL.
            expected << declared(QLatin1String(c.name), type.section(QLatin1Char(' '), 0, 0),
                                 type.contains(QLatin1String("NOT NULL")) || type.contains(QLatin1String("PRIMARY KEY")));
        }
        QSqlQuery q(db());
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(QLatin1String(table->journal))));
        QStringList found;
        while (q.next())
            found << declared(q.value(1).toString(), q.value(2).toString(), q.value(3).toBool());
        EXPECT_EQ(found, expected);
    }
}

TEST_F(JournalRows, AnswerReadsBackAsItWasWrittenColumnByColumn)
{
    JournalGame game;
    game.id = QStringLiteral("0b7e6a3c-0000-4000-8000-000000000001");
    game.lesson = QStringLiteral("ФИЗИКА");
    game.student = QStringLiteral("O'NEIL");
    game.machine = QStringLiteral("ПК-1");
    game.bankFile = QStringLiteral("/lab/bank.faq");
    game.bankSha256 = QStringLiteral("ab");
    game.started = QDateTime::fromMSecsSinceEpoch(1772442000123, Qt::UTC);
    const TableRow start = GameStartRow(game);
    QSqlQuery q(db());
    q.prepare(InsertSql(QStringLiteral("games"), start));
    for (const QVariant &v : start.values())
        q.addBindValue(v);
    ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    // Clicked with every lifeline; stopped on; clicked with an empty tease (kept apart from none).
    std::array<JournalAnswer, 3> written{};
    for (int i = 0; i < 3; ++i) {
        JournalAnswer &a = written[static_cast<size_t>(i)];
        a.game = game.id;
        a.level = i + 1;
        a.bankIndex = 7 - i;
        a.questionSha256 = QStringLiteral("%1").arg(i, 64, 10, QLatin1Char('0'));
        a.shown = game.started.addMSecs(30000 * (i + 1));
        a.question = QStringLiteral("Вопрос %1?").arg(i + 1);
        a.answers = {QString(), QStringLiteral("А"), QStringLiteral("Б"), QStringLiteral("В"), QStringLiteral("Г")};
        a.rightButton = 4 - i;
    }
    written[0].clickedButton = 2;
    written[0].chosen = 3;
    written[0].ms = 4200;
    written[0].fiftyBlanked = {1, 3};
    written[0].votes = std::array<int, 5>{0, 10, 55, 20, 15};
    written[0].friendReply = QStringLiteral("Думаю, это B");
    written[0].tease = QStringLiteral("Вы уверены?");
    written[2].clickedButton = 4;
    written[2].chosen = 1;
    written[2].ms = 900;
    written[2].tease = QStringLiteral("");
    for (const JournalAnswer &a : written) {
        const TableRow row = AnswerRow(a);
        EXPECT_EQ(row.mismatch(AnswersTable().journalColumns()), QString());
        q.prepare(InsertSql(QStringLiteral("answers"), row));
        for (const QVariant &v : row.values())
            q.addBindValue(v);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }
    const auto reader = JournalReader::open(tmp.filePath(QStringLiteral("journal.sqlite")));
    ASSERT_TRUE(reader.ok()) << reader.error.toStdString();
    const auto games = reader.value->games();
    ASSERT_TRUE(games.ok() && games.value.size() == 1);
    EXPECT_EQ(GameStartRow(games.value[0]), start);
    const auto read = reader.value->answersOf(game.id);
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    ASSERT_EQ(read.value.size(), 3);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(AnswerRow(read.value[static_cast<qsizetype>(i)]), AnswerRow(written[i]));
        EXPECT_EQ(read.value[static_cast<qsizetype>(i)].tease.isNull(), written[i].tease.isNull());
    }
    // What the stop leaves: no click, no answer chosen, no time.
    EXPECT_EQ(read.value[1].clickedButton, 0);
    EXPECT_EQ(read.value[1].ms, -1);
}

TEST(TableRow, QueuedRowKeepsItsNamesAndAnEarlierProgramsTakesTheTablesOrder)
{
    const QStringList columns{QStringLiteral("game"), QStringLiteral("ended"), QStringLiteral("levels_passed")};
    const TableRow row{{"levels_passed", 7}, {"game", QStringLiteral("g1")}, {"ended", QVariant()}};
    const auto again = TableRow::fromJson(row.toJson(), columns);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->valuesOf(columns), (QVariantList{QStringLiteral("g1"), QVariant(), 7}));
    const auto earlier = TableRow::fromJson(QStringLiteral(R"(["g1",null,7])"), columns);
    ASSERT_TRUE(earlier);
    EXPECT_EQ(earlier->mismatch(columns), QString());
    EXPECT_EQ(earlier->valuesOf(columns), again->valuesOf(columns));
    EXPECT_EQ(TableRow::fromJson(QStringLiteral(R"(["g1",null])"), columns)->mismatch(columns),
              QStringLiteral("нет столбца «levels_passed»"));
    EXPECT_EQ(again->mismatch({QStringLiteral("game"), QStringLiteral("ended")}),
              QStringLiteral("лишний столбец «levels_passed»"));
    EXPECT_FALSE(TableRow::fromJson(QStringLiteral("not json"), columns));
}
