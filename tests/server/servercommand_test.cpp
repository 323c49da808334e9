// "tallory-results server init|upgrade|check SERVICE", run as the school's administrator runs it.

#include "pgcluster.h"
#include "serverschema.h"
#include "toolstest.h"

using toolstest::runTool;
using toolstest::u8;

namespace {

class ServerCommand : public pgtest::ServerTest
{
protected:
    toolstest::ToolRun server(const char *action, const QString &service)
    {
        return runTool(QStringLiteral("tallory-results"), {QStringLiteral("server"), QLatin1String(action), service},
                       QDir::tempPath());
    }
};

} // namespace

TEST_F(ServerCommand, InitThenCheckPasses)
{
    const auto init = server("init", service("owner"));
    ASSERT_EQ(init.exitCode, 0) << init.err.toStdString();
    EXPECT_TRUE(init.out.startsWith(u8(QStringLiteral("Схема Таллори версии %1 создана").arg(ServerSchemaVersion()))))
        << init.out.toStdString();
    ASSERT_EQ(pgtest::cluster().adminSql(QStringLiteral("postgres"), {QStringLiteral("GRANT tallory_game TO school_game")}),
              QString());
    const auto check = server("check", service("owner"));
    EXPECT_EQ(check.exitCode, 0) << check.err.toStdString();
    EXPECT_TRUE(check.out.contains(u8(QStringLiteral("Схема Таллори: версия %1.\n").arg(ServerSchemaVersion())))) << check.out.toStdString();
    EXPECT_TRUE(check.out.contains(u8(QStringLiteral("Проверка попытки tallory.attempt_refusal: есть."))));
    EXPECT_TRUE(check.out.contains(u8(QStringLiteral("Роль tallory_game: есть, только добавляет строки и "
                                                     "спрашивает о попытке; выдана: school_game."))))
        << check.out.toStdString();
    EXPECT_TRUE(check.out.endsWith(u8(QStringLiteral("Всё в порядке.\n"))));
}

TEST_F(ServerCommand, CheckFindsARightTheGameShouldNotHave)
{
    ASSERT_EQ(server("init", service("owner")).exitCode, 0);
    ASSERT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral("GRANT SELECT ON tallory.results TO tallory_game")}),
              QString());
    const auto check = server("check", service("owner"));
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_TRUE(check.out.contains(u8(QStringLiteral("  НЕПОРЯДОК: лишнее право SELECT tallory.results\n"))))
        << check.out.toStdString();
}

// Machines left on (or a student's hand-made sessions) must not take every connection the
// teacher needs.
TEST_F(ServerCommand, CheckNamesAClassLoginWithoutAConnectionLimit)
{
    ASSERT_EQ(server("init", service("owner")).exitCode, 0);
    const auto limit = [](const char *value) {
        return pgtest::cluster().adminSql(QStringLiteral("postgres"),
                                          {QStringLiteral("GRANT tallory_game TO school_game"),
                                           QStringLiteral("ALTER ROLE school_game CONNECTION LIMIT %1")
                                               .arg(QLatin1String(value))});
    };
    ASSERT_EQ(limit("-1"), QString());
    const auto check = server("check", service("owner"));
    ASSERT_EQ(limit("60"), QString());
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_TRUE(check.out.contains(u8(QStringLiteral("НЕПОРЯДОК: нет предела подключений у входа school_game"))))
        << check.out.toStdString();
    EXPECT_EQ(server("check", service("owner")).exitCode, 0);
}

TEST_F(ServerCommand, UpgradeOfACurrentSchemaChangesNothing)
{
    ASSERT_EQ(server("init", service("owner")).exitCode, 0);
    const auto upgrade = server("upgrade", service("owner"));
    EXPECT_EQ(upgrade.exitCode, 0) << upgrade.err.toStdString();
    EXPECT_EQ(upgrade.out, u8(QStringLiteral("Схема Таллори уже версии %1: обновлять нечего.\n").arg(ServerSchemaVersion())));
    EXPECT_EQ(server("check", service("owner")).exitCode, 0);
}

TEST_F(ServerCommand, CheckOfAnEmptyDatabaseSaysTheSchemaIsMissing)
{
    const auto check = server("check", service("owner"));
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.err, u8(QStringLiteral("В базе службы «%1» нет схемы Таллори: владелец базы создаёт её "
                                           "командой tallory-results server init %1\n").arg(service("owner"))));
    const auto upgrade = server("upgrade", service("owner"));
    EXPECT_EQ(upgrade.exitCode, 1);
    EXPECT_EQ(upgrade.err, check.err);
}

TEST_F(ServerCommand, CheckOfANewerSchemaSaysToUpdateTheProgram)
{
    ASSERT_EQ(server("init", service("owner")).exitCode, 0);
    const int known = ServerSchemaVersion();
    ASSERT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral("INSERT INTO tallory.schema_history VALUES (%1)")
                                                          .arg(known + 1)}),
              QString());
    const auto check = server("check", service("owner"));
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_TRUE(check.err.contains(u8(QStringLiteral("новее этой программы (версия %1, программа знает версии до %2): "
                                                     "обновите программу.").arg(known + 1).arg(known))))
        << check.err.toStdString();
    EXPECT_EQ(server("upgrade", service("owner")).exitCode, 1);
}

TEST_F(ServerCommand, LoginWithoutEitherRoleIsToldWhatToGrant)
{
    ASSERT_EQ(server("init", service("owner")).exitCode, 0);
    const QString login = m_database + QStringLiteral("_stranger");
    ASSERT_EQ(pgtest::cluster().adminSql(QStringLiteral("postgres"),
                                         {QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'x'").arg(login)}),
              QString());
    pgtest::cluster().addService(login, m_database, login, QStringLiteral("x"));
    const auto check = server("check", login);
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.err, u8(QStringLiteral("Пользователю службы «%1» не выдана ни роль tallory_game, ни "
                                           "tallory_teacher: выдайте нужную (GRANT tallory_game TO пользователь;).\n")
                                .arg(login)));
}

TEST_F(ServerCommand, SecondInitIsRefusedAndKeepsTheRows)
{
    ASSERT_EQ(server("init", service("owner")).exitCode, 0);
    ASSERT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral(
                  "INSERT INTO tallory.results (id, lesson, name, levels, grade, machine, recorded) VALUES "
                  "(gen_random_uuid(), 'ДЕМО', 'ИВАНОВ', 5, 'Удовлетворительно', 'ПК-1', now())")}),
              QString());
    const auto again = server("init", service("owner"));
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains(u8(QStringLiteral("схема Таллори уже есть (версия %1)").arg(ServerSchemaVersion())))) << again.err.toStdString();
    EXPECT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral(
                  "DO $$ BEGIN IF (SELECT count(*) FROM tallory.results) <> 1 THEN "
                  "RAISE EXCEPTION 'the record is gone'; END IF; END $$")}),
              QString());
}

TEST_F(ServerCommand, UnknownServiceAndWrongPasswordAreNamed)
{
    const auto unknown = server("check", QStringLiteral("nowhere"));
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.startsWith(u8(QStringLiteral("Служба «nowhere» не описана")))) << unknown.err.toStdString();
    pgtest::cluster().addService(QStringLiteral("cmd_wrong_password"), m_database, QStringLiteral("school_owner"),
                                 QStringLiteral("nope"));
    const auto wrong = server("init", QStringLiteral("cmd_wrong_password"));
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.startsWith(u8(QStringLiteral("Сервер службы «cmd_wrong_password» не принял пароль"))))
        << wrong.err.toStdString();
}

TEST(ServerCommandLine, ActionAndServiceAreBothNeeded)
{
    const auto run = runTool(QStringLiteral("tallory-results"), {QStringLiteral("server"), QStringLiteral("init")},
                             QDir::tempPath());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.startsWith(u8(QStringLiteral("tallory-results: server: нужны действие")))) << run.err.toStdString();
}
