// The window hands the journal its rows and goes on; the journal's own thread writes them in
// order. A disk that hangs holds neither the game nor the program's end beyond a bound, and what
// was queued still reaches the file, or, when the disk then fails, the school's server.

#include "journalfixture.h"

#include "outbox.h"
#include "permissions.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>

#include <atomic>

namespace {

class JournalWriter : public JournalFixture
{
protected:
    /// The journal again, its writer held before every step as by a disk that hangs, and the
    /// window never waiting for it.
    void holdTheDisk()
    {
        JournalWaits waits{0, 0, 0, 5000, [this] {
                               if (QThread::currentThread() == QCoreApplication::instance()->thread())
                                   onWindowsThread = true; // held there, the window itself would hang
                               else
                                   held.acquire();
                           }};
        journal = std::make_unique<JournalThread>(folder, QStringLiteral("ПК-7"), clock.clock(), JournalSync::Full,
                                                  std::move(waits));
    }
    void letGo() { held.release(1 << 20); }

    /// A game of two right answers and a wrong one, its record checked.
    void playThree(const QString &name)
    {
        startJournalled();
        newGame(QStringLiteral("ТЕСТ"), name);
        answerRight();
        answerRight();
        answerWrong();
        EXPECT_EQ(record(QStringLiteral("ТЕСТ"), name), name.toUpper() + QStringLiteral("|2|Неудовлетворительно"));
        EXPECT_EQ(form->Game.CurrentLevel, 0);
    }

    QSemaphore held;
    std::atomic<bool> onWindowsThread = false;
};

} // namespace

TEST_F(JournalWriter, AHungDiskHoldsNoGameAndItsRowsComeInOrderAsTheProgramEnds)
{
    holdTheDisk();
    playThree(QStringLiteral("Терпеливый"));
    EXPECT_FALSE(QFileInfo::exists(journalPath())) << "the writer was held: nothing can be written yet";

    // The window closes and the program ends with every row still queued: they are written
    // before the journal goes, in the order they were handed over.
    form.reset();
    letGo();
    journal.reset();
    EXPECT_FALSE(onWindowsThread);
    const QList<JournalGame> kept = games();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept[0].ending, GameEnding::Wrong);
    const QList<JournalAnswer> rows = answers();
    ASSERT_EQ(rows.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rows[i].level, i + 1);
    EXPECT_TRUE(problem().isEmpty()) << problem().toStdString();
}

// The writer meets a journal it cannot write only after the window has gone on: the teacher's
// note says so as before, and the game's rows go to the school's server straight, in order.
TEST_F(JournalWriter, AJournalFoundUnwritableLaterIsNotedAndItsRowsGoToTheServerInOrder)
{
    // Capabilities belong to a thread: the writer is made without them, so that a closed
    // folder is closed to it too when the test runs as root.
    const testutil::WithoutPermissionOverride asAUser;
    holdTheDisk();
    QStringList direct; // written by the writer's thread, read once it has ended
    journal->sendUnjournaled([&direct](const QString &table, const TableRow &) { direct << table; });
    playThree(QStringLiteral("Невезучий"));

    QDir().mkpath(JournalFolder(folder));
    ASSERT_TRUE(QFile::setPermissions(JournalFolder(folder), QFile::ReadOwner | QFile::ExeOwner));
    ASSERT_TRUE(testutil::FolderRefusesNewFiles(JournalFolder(folder)));
    letGo();
    journal.reset();
    QFile::setPermissions(JournalFolder(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_EQ(direct, (QStringList{outbox::kJournalFailures, outbox::kGames, outbox::kAnswers, outbox::kAnswers,
                                   outbox::kAnswers, outbox::kGameEnds, outbox::kResults}));
    EXPECT_TRUE(problem().contains(QStringLiteral("журнал «ПК-7.sqlite» не записан (открытие)"))) << problem().toStdString();
    EXPECT_FALSE(onWindowsThread);
}
