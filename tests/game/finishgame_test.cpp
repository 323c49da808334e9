// The end of a game as the window shows it: the grade is shown, and sent to the school's server,
// only once tallory.rez holds it.

#include "gamefixture.h"

#include "gamejournal.h"
#include "journalfiles.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>

class FinishGame : public GameFixture
{
protected:
    void TearDown() override
    {
        GameFixture::TearDown();
        journal.reset();
    }

    TForm1 &startWithOutbox()
    {
        journal = std::make_unique<GameJournal>(folder, QStringLiteral("ПК-3"), JournalClock::system(), JournalSync::Normal);
        journal->keepOutbox([] {});
        FormServices s = services(watching);
        s.recorder = journal.get();
        form = std::make_unique<TForm1>(s);
        return *form;
    }

    /// One number from the machine's journal.
    int count(const QString &sql)
    {
        int n = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("finish"));
            db.setDatabaseName(JournalFilePath(folder, QStringLiteral("ПК-3")));
            EXPECT_TRUE(db.open());
            QSqlQuery q(db);
            if (q.exec(sql) && q.next())
                n = q.value(0).toInt();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("finish"));
        return n;
    }

    std::unique_ptr<GameJournal> journal;
};

// The results file cannot take the record (a folder stands where it should be): the window says
// the grade was not recorded and shows none, the school's server is sent no result, and the
// journal keeps the game as unfinished.
TEST_F(FinishGame, AGradeTheResultsFileCouldNotTakeIsNeitherShownNorSent)
{
    TForm1 &f = startWithOutbox();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Невезучий"));
    answerRight();
    ASSERT_TRUE(QDir().mkpath(ResultsFilePath(folder)));
    timeline.events.clear();
    answerWrong();
    const QStringList failures = timeline.events.filter(QStringLiteral("failure: "));
    ASSERT_EQ(failures.size(), 1) << timeline.events.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(failures[0].startsWith(QStringLiteral("failure: Результат игры не записан"))) << failures[0].toStdString();
    EXPECT_FALSE(timeline.events.contains(QStringLiteral("clip begin background")));
    EXPECT_EQ(f.Game.CurrentLevel, 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM outbox WHERE tbl = 'results'")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM games WHERE ended IS NULL")), 1);

    // Once the file can be written again, the next game's grade is recorded and sent.
    ASSERT_TRUE(QDir().rmdir(ResultsFilePath(folder)));
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Везучий"));
    answerWrong();
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Везучий")), QStringLiteral("ВЕЗУЧИЙ|0|Неудовлетворительно"));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM outbox WHERE tbl = 'results'")), 1);
}
