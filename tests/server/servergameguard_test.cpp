// The bounds and the ways of the game's connections as the program itself makes them, not as a
// test would pass them in: the student's wait at a start, the sender's wait on a server that
// hangs in the middle of a statement, the service read only from the machine's own file, and a
// journal that cannot be written still reaching the server.

#include "gameservertest.h"

#include "cp1251.h"
#include "programservices.h"
#include "serverresults.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

using gameserver::kFlushMs;

/// The PG* variables and HOME as they were: the program forgets the user's PG* variables, and
/// the rest of this test program needs the cluster's.
class SavedEnvironment
{
public:
    SavedEnvironment() : m_saved(QProcessEnvironment::systemEnvironment()) {}
    ~SavedEnvironment()
    {
        for (const QString &name : QProcessEnvironment::systemEnvironment().keys()) {
            if (name.startsWith(QLatin1String("PG")))
                qunsetenv(name.toLocal8Bit().constData());
        }
        for (const QString &name : m_saved.keys()) {
            if (name.startsWith(QLatin1String("PG")) || name == QLatin1String("HOME"))
                qputenv(name.toLocal8Bit().constData(), m_saved.value(name).toLocal8Bit());
        }
    }

private:
    QProcessEnvironment m_saved;
};

class ServerGameBounds : public GameServerTest
{
protected:
    /// A program folder whose settings name the service, as a school writes them.
    QString programFolder(const QString &service)
    {
        const QString folder = m_folder.path() + QLatin1Char('/');
        QFile ini(folder + QStringLiteral("tallory.ini"));
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(*cp1251::encode(QStringLiteral("[сервер]\r\nСлужба=%1\r\n").arg(service)));
        return folder;
    }

    /// Holds a lock on a table in a transaction of the owner's: every statement that needs the
    /// table waits, as on a server that hangs in the middle of one.
    void hang(const char *table)
    {
        if (!hanging)
            hanging = connect(service("owner"));
        QSqlDatabase db = hanging->database();
        ASSERT_TRUE(db.transaction());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE").arg(QLatin1String(table))));
    }
    void release()
    {
        if (hanging)
            hanging->database().rollback();
        hanging.reset();
    }
    void TearDown() override
    {
        release();
        GameServerTest::TearDown();
    }

    /// The cluster's own service file, standing in for the machine's system file.
    static QString systemFile() { return QFile::decodeName(qgetenv("PGSERVICEFILE")); }

    std::unique_ptr<ServerConnection> hanging;
    QTemporaryDir m_folder;
};

} // namespace

TEST_F(ServerGameBounds, TheStudentWaitsForTheGuardNoLongerThanTheGamesOwnTwoSeconds)
{
    hanging = connect(service("owner")); // before the program forgets the cluster's variables
    SavedEnvironment environment;
    ProgramServices program(programFolder(service("game")), QSize(1024, 768), QString(), systemFile());
    const FormServices s = program.services();
    ASSERT_TRUE(s.askSchool);
    // Connected and answering first, so that what follows is the bound on a question alone.
    ASSERT_TRUE(s.askSchool(QStringLiteral("ТЕСТ"), QStringLiteral("ПЕТРОВ"), true).verdict);
    hang("tallory.results");
    QElapsedTimer waited;
    waited.start();
    const SchoolAttempt answer = s.askSchool(QStringLiteral("ТЕСТ"), QStringLiteral("ИВАНОВ"), true);
    const qint64 ms = waited.elapsed();
    EXPECT_FALSE(answer.verdict);
    EXPECT_TRUE(answer.problem.contains(QStringLiteral("не ответил за 2000 мс"))) << answer.problem.toStdString();
    EXPECT_GE(ms, 1900);
    EXPECT_LT(ms, 4000);
}

TEST_F(ServerGameBounds, TheSenderGivesUpOnAStatementTheServerNeverFinishes)
{
    auto a = seat(QStringLiteral("kab-1"));
    ASSERT_TRUE(a->school->link().flush(kFlushMs)) << a->school->link().lastProblem().toStdString();
    hang("tallory.games");
    a->play(QStringLiteral("тест"), QStringLiteral("Петров П.П."), 2);
    QElapsedTimer waited;
    waited.start();
    // The program's own bound on every statement, not one this test hands in: the round ends.
    EXPECT_FALSE(a->school->link().flush(20000));
    EXPECT_LT(waited.elapsed(), 15000);
    EXPECT_TRUE(a->school->link().lastProblem().contains(QStringLiteral("сервер не ответил вовремя")))
        << a->school->link().lastProblem().toStdString();
    release();
    expectAllSent(*a);
}

TEST_F(ServerGameBounds, TheGameTakesItsServiceFromTheSystemFileOnlyWhateverTheStudentSets)
{
    const QString system = systemFile();
    SavedEnvironment environment;
    // The student's own files and variables all point at a port where nobody listens.
    QTemporaryDir home;
    const QString dead = QStringLiteral("[%1]\nhost=%2\nport=5432\ndbname=x\nuser=school_game\n")
                             .arg(service("game"), pgtest::cluster().deadSocketDir());
    for (const QString &name : {QStringLiteral(".pg_service.conf"), QStringLiteral("mine.conf")}) {
        QFile file(home.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(dead.toUtf8());
    }
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("PGSERVICEFILE", QFile::encodeName(home.filePath(QStringLiteral("mine.conf"))));
    qputenv("PGSYSCONFDIR", QFile::encodeName(home.path()));
    qputenv("PGSSLMODE", "require"); // the test cluster speaks no TLS
    ProgramServices program(programFolder(service("game")), QSize(1024, 768), QString(), system);
    const SchoolAttempt answer = program.services().askSchool(QStringLiteral("ТЕСТ"), QStringLiteral("ПЕТРОВ"), true);
    EXPECT_EQ(answer.verdict, AttemptVerdict::Allowed) << answer.problem.toStdString();
}

TEST_F(ServerGameBounds, AGameWhoseJournalCannotBeWrittenStillReachesTheServerAndTheTeacherIsTold)
{
    auto a = seat(QStringLiteral("kab-1"));
    // A file where the journal's folder should be: nothing of the journal can be written.
    QDir(a->folder + QStringLiteral("journal")).removeRecursively();
    QFile blocker(a->folder + QStringLiteral("journal"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    a->play(QStringLiteral("тест"), QStringLiteral("Петров П.П."), 4);
    ASSERT_FALSE(a->record(QStringLiteral("ТЕСТ"), QStringLiteral("Петров П.П.")).isEmpty());
    ASSERT_TRUE(a->school->link().flush(kFlushMs)) << a->school->link().lastProblem().toStdString();
    EXPECT_EQ(server(ServerTable::Answers).size(), 4);
    const auto teacher = connect(service("teacher"));
    QSqlDatabase db = teacher->database();
    const auto rows = ReadServerResults(db);
    ASSERT_TRUE(rows.ok()) << rows.error.toStdString();
    QStringList seen;
    for (const ServerResultRow &row : rows.value)
        seen << row.machine + QLatin1Char(' ') + ServerStateText(row);
    ASSERT_EQ(seen.size(), 2) << seen.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(seen[0].startsWith(QStringLiteral("kab-1 журнал компьютера не записывается: журнал «kab-1.sqlite» "
                                                  "не записан (открытие)")))
        << seen[0].toStdString();
    EXPECT_EQ(seen[1], QStringLiteral("kab-1 в порядке")) << "the game's own rows went with it";
}
