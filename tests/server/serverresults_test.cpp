// The teacher's side of the server from the command line: "list --server" reads what the
// machines sent, and "server load" brings the results files a school kept before, each once.

#include "pgcluster.h"
#include "results.h"
#include "resultslist.h"
#include "serverresults.h"
#include "serverrows.h"
#include "serverschema.h"
#include "toolstest.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

using toolstest::runTool;
using toolstest::u8;

namespace {

const QString kLesson = QStringLiteral("ФИЗИКА");
const QString kSatisfactory = QStringLiteral("Удовлетворительно");

class ServerResults : public pgtest::ServerTest
{
protected:
    void SetUp() override
    {
        pgtest::ServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        initSchema();
        game = connect(service("game"));
        ASSERT_TRUE(game);
    }

    void sendLive(const QString &name, int levels, const QString &grade, const QString &machine,
                  const QString &recorded = QStringLiteral("2026-12-09T07:30:00.000Z"))
    {
        QSqlDatabase db = game->database();
        const auto sent = SendRow(db, ServerTable::Results,
                                  pgtest::row(ServerTable::Results, {QUuid::createUuid().toString(QUuid::WithoutBraces),
                                                                     kLesson, name, levels, grade, machine, recorded}));
        ASSERT_TRUE(sent.ok() && sent.value) << sent.error.toStdString();
    }

    toolstest::ToolRun tool(const QStringList &args)
    {
        return runTool(QStringLiteral("tallory-results"), args, QDir::tempPath());
    }

    /// Every stored record as "lesson|name|levels|grade|machine", read by the server's owner.
    QStringList stored()
    {
        const auto owner = connect(service("owner"));
        QSqlQuery q(owner->database());
        EXPECT_TRUE(q.exec(QStringLiteral("SELECT lesson, name, levels, grade, machine FROM tallory.results "
                                          "ORDER BY name")));
        QStringList rows;
        while (q.next())
            rows << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                q.value(3).toString(), q.value(4).toString()}.join(QLatin1Char('|'));
        return rows;
    }

    /// A results file as the game writes it, with the named players' records (current level 8).
    QString rezFile(const QStringList &names)
    {
        const QString path = dir.filePath(QStringLiteral("tallory.rez"));
        for (const QString &name : names)
            EXPECT_TRUE(WriteResult(path, cp1251::text(u"ФИЗИКА"), *cp1251::encode(name), 8).ok());
        return path;
    }

    std::unique_ptr<ServerConnection> game;
    QTemporaryDir dir;
};

} // namespace

TEST_F(ServerResults, ListShowsWhatTheGameSentHostileNamesAsTyped)
{
    sendLive(QStringLiteral("O'NEIL"), 7, kSatisfactory, QStringLiteral("ПК-1"));
    sendLive(QStringLiteral("'); DROP TABLE x; --"), 7, kSatisfactory, QStringLiteral("ПК-2"));
    sendLive(QStringLiteral("=HYPERLINK(1)"), 15, QStringLiteral("Отлично"), QStringLiteral("ПК-3"));
    QSqlDatabase db = game->database();
    ASSERT_TRUE(SendRow(db, ServerTable::UncheckedAttempts,
                        pgtest::row(ServerTable::UncheckedAttempts,
                                    {QUuid::createUuid().toString(QUuid::WithoutBraces), kLesson,
                                     QStringLiteral("ПЕТРОВ П.П."), QStringLiteral("ПК-4"),
                                     QStringLiteral("2026-12-09T08:00:00.000Z"), QStringLiteral("сервер не ответил")}))
                    .ok());
    const auto list = tool({QStringLiteral("list"), QStringLiteral("--server"), service("teacher")});
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    const QStringList lines = QString::fromUtf8(list.out).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 6) << list.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Занятие"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("Компьютер  Записано")) && lines[0].endsWith(QStringLiteral("Получено")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("O'NEIL")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("'); DROP TABLE x; --")));
    // Records sent without their games: in doubt, with when and as whom the server got them.
    EXPECT_TRUE(lines[2].contains(QStringLiteral("под сомнением: за записью нет игры")) && lines[2].contains(QStringLiteral("ПК-2")))
        << lines[2].toStdString();
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(", на сервере, school_game"))) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].contains(QStringLiteral("15")) && lines[3].contains(QStringLiteral("ПК-3")));
    EXPECT_TRUE(lines[4].contains(QStringLiteral("ПЕТРОВ П.П.")));
    EXPECT_TRUE(lines[4].contains(QRegularExpression(QStringLiteral("попытка без проверки сервером: сервер не ответил +ПК-4"))))
        << lines[4].toStdString();

    const auto csv = tool({QStringLiteral("list"), QStringLiteral("--server"), service("teacher"), QStringLiteral("--csv")});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    EXPECT_TRUE(csv.out.startsWith(QByteArray("\xEF\xBB\xBF") + u8(QStringLiteral(
        "Занятие;Фамилия;Пройдено уровней;Оценка;Контрольная сумма;Состояние;Компьютер;Записано;Получено\r\n"))));
    EXPECT_TRUE(csv.out.contains(u8(QStringLiteral("ФИЗИКА;O'NEIL;7;"))));
    EXPECT_TRUE(csv.out.contains(u8(QStringLiteral("ФИЗИКА;\"'); DROP TABLE x; --\";7;")))) << csv.out.toStdString();
    EXPECT_TRUE(csv.out.contains(u8(QStringLiteral("ФИЗИКА;'=HYPERLINK(1);15;")))) << "a formula stays text";
    EXPECT_EQ(stored().size(), 3) << "the table the hostile name names nothing in";
}

TEST_F(ServerResults, FiltersAreValuesNeverSql)
{
    sendLive(QStringLiteral("O'NEIL"), 7, kSatisfactory, QStringLiteral("ПК-1"), QStringLiteral("2026-12-01T09:00:00Z"));
    sendLive(QStringLiteral("'); DROP TABLE x; --"), 7, kSatisfactory, QStringLiteral("ПК-2"),
             QStringLiteral("2026-12-09T09:00:00Z"));
    const auto teacher = connect(service("teacher"));
    QSqlDatabase db = teacher->database();
    const auto names = [&](const ServerResultsQuery &query) {
        const auto rows = ReadServerResults(db, query);
        EXPECT_TRUE(rows.ok()) << rows.error.toStdString();
        QStringList found;
        for (const ServerResultRow &row : rows.value)
            found << row.name;
        return found;
    };
    EXPECT_EQ(names({}), QStringList({"O'NEIL", "'); DROP TABLE x; --"}));
    EXPECT_EQ(names({.name = QStringLiteral("'); DROP")}), QStringList{"'); DROP TABLE x; --"});
    EXPECT_EQ(names({.name = QStringLiteral("o'n")}), QStringList{"O'NEIL"});
    EXPECT_EQ(names({.machine = QStringLiteral("ПК-1")}), QStringList{"O'NEIL"});
    EXPECT_EQ(names({.lesson = QStringLiteral("ХИМИЯ")}), QStringList());
    EXPECT_EQ(names({.from = QDate(2026, 12, 5)}), QStringList{"'); DROP TABLE x; --"});
    EXPECT_EQ(names({.to = QDate(2026, 12, 5)}), QStringList{"O'NEIL"});
    EXPECT_EQ(stored().size(), 2);
}

TEST_F(ServerResults, ListNamesAnUnknownServiceAWrongPasswordAndAnOldSchema)
{
    const auto unknown = tool({QStringLiteral("list"), QStringLiteral("--server"), QStringLiteral("nowhere")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.startsWith(u8(QStringLiteral("Служба «nowhere» не описана")))) << unknown.err.toStdString();
    pgtest::cluster().addService(m_database + QStringLiteral("_badpw"), m_database, QStringLiteral("school_teacher"),
                                 QStringLiteral("nope"));
    const auto wrong = tool({QStringLiteral("list"), QStringLiteral("--server"), m_database + QStringLiteral("_badpw")});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.contains(u8(QStringLiteral("не принял пароль")))) << wrong.err.toStdString();
    ASSERT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral("DELETE FROM tallory.schema_history WHERE version > 1")}),
              QString());
    const auto old = tool({QStringLiteral("list"), QStringLiteral("--server"), service("teacher")});
    EXPECT_EQ(old.exitCode, 1);
    EXPECT_EQ(old.err, u8(QStringLiteral("Схема Таллори в базе службы «%1» устарела (версия 1, программе нужна %2): "
                                         "владелец базы обновляет её командой tallory-results server upgrade %1\n")
                              .arg(service("teacher")).arg(ServerSchemaVersion())));
}

TEST_F(ServerResults, FileLoadedTwiceIsStoredOnceAndDamagedRecordsStayBehind)
{
    const QString rez = rezFile({QStringLiteral("ИВАНОВ И.И."), QStringLiteral("O'NEIL")});
    QFile file(rez);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("999=broken\r\n");
    file.close();
    const QStringList load{QStringLiteral("server"), QStringLiteral("load"), service("teacher"), rez};
    const auto first = tool(load);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, u8(rez + QStringLiteral(": Загружено записей: 2, уже были на сервере: 0, пропущено "
                                                 "повреждённых и сомнительных: 1.\n")));
    const auto second = tool(load);
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(second.out.contains(u8(QStringLiteral("Загружено записей: 0, уже были на сервере: 2,"))));
    const QString machine = QFileInfo(rez).absoluteFilePath();
    EXPECT_EQ(stored(), QStringList({"ФИЗИКА|O'NEIL|7|Удовлетворительно|" + machine,
                                     "ФИЗИКА|ИВАНОВ И.И.|7|Удовлетворительно|" + machine}));
}

TEST_F(ServerResults, RecordAGameSentLiveIsNotLoadedAgain)
{
    sendLive(QStringLiteral("ИВАНОВ И.И."), 7, kSatisfactory, QStringLiteral("ПК-1"));
    const QString rez = rezFile({QStringLiteral("ИВАНОВ И.И."), QStringLiteral("ПЕТРОВ П.П.")});
    const auto loaded = tool({QStringLiteral("server"), QStringLiteral("load"), service("teacher"), dir.path()});
    ASSERT_EQ(loaded.exitCode, 0) << loaded.err.toStdString();
    EXPECT_TRUE(loaded.out.contains(u8(QStringLiteral("Загружено записей: 1, уже были на сервере: 1,"))))
        << loaded.out.toStdString();
    const QStringList rows = stored();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], QStringLiteral("ФИЗИКА|ИВАНОВ И.И.|7|Удовлетворительно|ПК-1"));
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("ФИЗИКА|ПЕТРОВ П.П.|7|")));
}

TEST_F(ServerResults, UnreadableJournalHandedToLoadIsNamedAndLeft)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("journal")));
    const QString journal = dir.filePath(QStringLiteral("journal/pc1.sqlite"));
    toolstest::writeBytes(journal, QByteArray("not a journal at all, nothing like one"));
    const auto loaded = tool({QStringLiteral("server"), QStringLiteral("load"), service("teacher"), journal});
    EXPECT_EQ(loaded.exitCode, 1);
    EXPECT_TRUE(loaded.err.contains(u8(QStringLiteral("«pc1.sqlite»")))) << loaded.err.toStdString();
    EXPECT_EQ(toolstest::readBytes(journal), QByteArray("not a journal at all, nothing like one"));
    EXPECT_TRUE(stored().isEmpty());
}
