// The schema's versions: created whole, brought up to date in order, and never left half done.

#include "pgcluster.h"
#include "serverrows.h"
#include "serverschema.h"
#include "toolstest.h"

#include <QSqlQuery>

namespace {

ServerMigration testVersion(int version, const char *file)
{
    return {version, QStringLiteral(TALLORY_SERVER_TEST_DATA "/") + QLatin1String(file)};
}

class ServerSchema : public pgtest::ServerTest
{
protected:
    int version()
    {
        const auto owner = connect(service("owner"));
        QSqlDatabase db = owner->database();
        const auto state = ReadServerSchema(db, service("owner"));
        EXPECT_TRUE(state.ok()) << state.error.toStdString();
        return state.value.version;
    }

    bool relationExists(const char *name)
    {
        const auto owner = connect(service("owner"));
        QSqlQuery q(owner->database());
        q.prepare(QStringLiteral("SELECT to_regclass(?) IS NOT NULL"));
        q.addBindValue(QString::fromLatin1(name));
        return q.exec() && q.next() && q.value(0).toBool();
    }
};

} // namespace

TEST_F(ServerSchema, UpgradeAppliesTheMissingVersionsInOrder)
{
    initSchema();
    const auto owner = connect(service("owner"));
    QSqlDatabase db = owner->database();
    std::vector<ServerMigration> later = ServerMigrations();
    const int built = ServerSchemaVersion();
    later.push_back(testVersion(built + 1, "next_lessons.sql"));
    later.push_back(testVersion(built + 2, "next_rename.sql"));
    const auto applied = UpgradeServerSchema(db, service("owner"), later);
    ASSERT_TRUE(applied.ok()) << applied.error.toStdString();
    EXPECT_EQ(applied.value, 2);
    EXPECT_EQ(version(), built + 2);
    EXPECT_TRUE(relationExists("tallory.lessons_known"));
}

TEST_F(ServerSchema, VersionThatFailsLeavesNothingOfItself)
{
    initSchema();
    const auto owner = connect(service("owner"));
    QSqlDatabase db = owner->database();
    std::vector<ServerMigration> later = ServerMigrations();
    const int built = ServerSchemaVersion();
    later.push_back(testVersion(built + 1, "next_broken.sql"));
    const auto applied = UpgradeServerSchema(db, service("owner"), later);
    ASSERT_FALSE(applied.ok());
    EXPECT_TRUE(applied.error.startsWith(QStringLiteral("Версия %1 схемы не применилась").arg(built + 1)))
        << applied.error.toStdString();
    EXPECT_EQ(version(), built);
    EXPECT_FALSE(relationExists("tallory.half_done"));
}

TEST_F(ServerSchema, OnlyTheOwnerCreatesIt)
{
    initSchema(); // makes the roles, so that the teacher's login can be given one
    ASSERT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral("DROP SCHEMA tallory CASCADE")}), QString());
    const auto teacher = connect(service("teacher"));
    QSqlDatabase db = teacher->database();
    const Status created = CreateServerSchema(db, service("teacher"));
    ASSERT_FALSE(created.ok());
    EXPECT_TRUE(created.error.contains(QStringLiteral("владелец, «school_owner»"))) << created.error.toStdString();
}

TEST(ServerSchemaWords, OlderSchemaNamesTheUpgradeCommand)
{
    EXPECT_EQ(SchemaProblem(QStringLiteral("school"), {true, 1}, 2),
              QStringLiteral("Схема Таллори в базе службы «school» устарела (версия 1, программе нужна 2): "
                             "владелец базы обновляет её командой tallory-results server upgrade school"));
    EXPECT_EQ(SchemaProblem(QStringLiteral("school"), {true, 2}, 2), QString());
}

TEST(ServerSchemaWords, EveryBuiltInVersionIsThere)
{
    const std::vector<ServerMigration> versions = ServerMigrations();
    ASSERT_FALSE(versions.empty());
    for (size_t i = 0; i < versions.size(); ++i) {
        EXPECT_EQ(versions[i].version, static_cast<int>(i) + 1);
        EXPECT_TRUE(QFile::exists(versions[i].path)) << versions[i].path.toStdString();
    }
}

TEST_F(ServerSchema, ADatabaseOfTheFirstVersionIsBroughtToTheCurrentOne)
{
    const auto owner = connect(service("owner"));
    QSqlDatabase db = owner->database();
    const std::vector<ServerMigration> all = ServerMigrations();
    ASSERT_GE(all.size(), 2u);
    const Status created = CreateServerSchema(db, service("owner"), {all.front()});
    ASSERT_TRUE(created.ok()) << created.error.toStdString();
    EXPECT_FALSE(relationExists("tallory.unchecked_attempts"));
    const auto applied = UpgradeServerSchema(db, service("owner"));
    ASSERT_TRUE(applied.ok()) << applied.error.toStdString();
    EXPECT_EQ(applied.value, static_cast<int>(all.size()) - 1);
    EXPECT_EQ(version(), ServerSchemaVersion());
    EXPECT_TRUE(relationExists("tallory.unchecked_attempts"));
}

// Records a school stored before the server judged them are judged once by the upgrade:
// one whose game agrees stands, one with no game counts as loaded from a file, as it did.
TEST_F(ServerSchema, UpgradeFromTheSecondVersionJudgesTheRecordsAlreadyStored)
{
    const auto owner = connect(service("owner"));
    QSqlDatabase db = owner->database();
    const std::vector<ServerMigration> all = ServerMigrations();
    ASSERT_GE(all.size(), 3u);
    ASSERT_TRUE(CreateServerSchema(db, service("owner"), {all[0], all[1]}).ok());
    const QString played = QStringLiteral("11111111-1111-1111-1111-111111111111");
    QStringList rows{
        QStringLiteral("INSERT INTO tallory.games VALUES ('%1', 'ДЕМО', 'ИГРАЛ', 'pc1', 'f', 'h', now())").arg(played),
        QStringLiteral("INSERT INTO tallory.game_ends VALUES ('%1', now(), 'wrong', 1, 'Неудовлетворительно')").arg(played),
        QStringLiteral("INSERT INTO tallory.results VALUES ('%1', 'ДЕМО', 'ИГРАЛ', 1, 'Неудовлетворительно', 'pc1', now())")
            .arg(played),
        QStringLiteral("INSERT INTO tallory.results VALUES ('22222222-2222-2222-2222-222222222222', 'ДЕМО', 'ИЗ ФАЙЛА', "
                       "5, 'Удовлетворительно', '/lab/tallory.rez', now())")};
    for (int level = 1; level <= 2; ++level)
        rows << QStringLiteral("INSERT INTO tallory.answers (game, level, bank_index, question_sha256, shown, question, "
                               "answer_a, answer_b, answer_c, answer_d, right_button, clicked_button) VALUES "
                               "('%1', %2, 0, 'h', now(), 'q', 'a', 'b', 'c', 'd', 'A', '%3')")
                    .arg(played).arg(level).arg(level == 1 ? QStringLiteral("A") : QStringLiteral("B"));
    ASSERT_EQ(pgtest::cluster().adminSql(m_database, rows), QString());
    const auto applied = UpgradeServerSchema(db, service("owner"));
    ASSERT_TRUE(applied.ok()) << applied.error.toStdString();
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT name || ' ' || standing || ' ' || (sender IS NULL) FROM tallory.results "
                                      "ORDER BY name")));
    QStringList standings;
    while (q.next())
        standings << q.value(0).toString();
    EXPECT_EQ(standings, QStringList({QStringLiteral("ИГРАЛ agrees true"), QStringLiteral("ИЗ ФАЙЛА loaded true")}));
}

TEST_F(ServerSchema, TablesHaveEachRowsColumnsAndTypes)
{
    initSchema();
    const auto owner = connect(service("owner"));
    // The server's own columns, never sent: when a row came, from whom, and how a record stands.
    const QStringList own{QStringLiteral("received"), QStringLiteral("sender"), QStringLiteral("sender_address"),
                          QStringLiteral("standing")};
    const auto declared = [](const QString &name, const QString &type, bool notNull) {
        return name + QLatin1Char(' ') + type + (notNull ? QStringLiteral(" NOT NULL") : QString());
    };
    for (ServerTable t : {ServerTable::Results, ServerTable::Games, ServerTable::GameEnds, ServerTable::Answers,
                          ServerTable::UncheckedAttempts, ServerTable::JournalFailures, ServerTable::PageLeaves}) {
        const RowTable &table = ServerRowTable(t);
        SCOPED_TRACE(table.server);
        QStringList expected;
        for (const RowColumn &c : table.columns) {
            if (!c.postgres)
                continue;
            QString type = QString::fromLatin1(c.postgres);
            const bool notNull = type.endsWith(QLatin1String(" NOT NULL"));
            expected << declared(QLatin1String(c.name), notNull ? type.chopped(9) : type, notNull);
        }
        QSqlQuery q(owner->database());
        q.prepare(QStringLiteral("SELECT attname, format_type(atttypid, atttypmod), attnotnull FROM pg_attribute "
                                 "WHERE attrelid = ?::regclass AND attnum > 0 AND NOT attisdropped ORDER BY attnum"));
        q.addBindValue(QString::fromLatin1(table.server));
        ASSERT_TRUE(q.exec());
        QStringList found;
        while (q.next()) {
            if (!own.contains(q.value(0).toString()))
                found << declared(q.value(0).toString(), q.value(1).toString(), q.value(2).toBool());
        }
        EXPECT_EQ(found, expected);
    }
}
