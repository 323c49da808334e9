// The journal of games played in processes of their own: killed mid-game, out of disk space,
// and two machines writing one shared folder at once.

#include "game/gamefixture.h"

#include "journalfiles.h"
#include "journalreader.h"

#include <QProcess>

class JournalProcesses : public GameFixture
{
protected:
    /// Starts a game in a child process on this fixture's folder and counters store.
    void start(QProcess &p, const QString &machine, const QString &name, const QString &script,
               const QStringList &more = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("cfg-") + machine));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TALLORY_JOURNAL_CHILD), QStringList{program.path(), machine, name, script} + more);
        ASSERT_TRUE(p.waitForStarted());
    }

    /// The timeline a finished child printed.
    QStringList finish(QProcess &p)
    {
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QStringList play(const QString &machine, const QString &name, const QString &script, const QStringList &more = {})
    {
        QProcess p;
        start(p, machine, name, script, more);
        return finish(p);
    }

    std::shared_ptr<JournalReader> reader(const QString &machine)
    {
        auto r = JournalReader::open(JournalFilePath(folder, machine));
        EXPECT_TRUE(r.ok()) << r.error.toStdString();
        return r.value;
    }
};

TEST_F(JournalProcesses, KilledMidGameLeavesTheGameUnfinishedWithItsAnswers)
{
    QProcess p;
    start(p, QStringLiteral("ПК-1"), QStringLiteral("Аварийный"), QStringLiteral("rrh"));
    while (!p.canReadLine())
        ASSERT_TRUE(p.waitForReadyRead(60000));
    ASSERT_EQ(p.readLine(), "ready\n");
    p.kill();
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);

    const auto journal = reader(QStringLiteral("ПК-1"));
    ASSERT_TRUE(journal);
    const QList<JournalGame> games = journal->games().value;
    ASSERT_EQ(games.size(), 1);
    EXPECT_EQ(games[0].student, QStringLiteral("АВАРИЙНЫЙ"));
    EXPECT_FALSE(games[0].ending.has_value());
    EXPECT_FALSE(games[0].ended.isValid());
    const QList<JournalAnswer> answers = journal->answers().value;
    ASSERT_EQ(answers.size(), 2);
    EXPECT_EQ(answers[1].level, 2);
    EXPECT_EQ(answers[1].chosen, 1);
    EXPECT_TRUE(record(QStringLiteral("ТЕСТ"), QStringLiteral("Аварийный")).isEmpty());
}

TEST_F(JournalProcesses, DiskFullMidGameCostsTheStudentNothing)
{
    const QStringList withJournal = play(QStringLiteral("ПК-1"), QStringLiteral("Полнов"), QStringLiteral("rfrrw"));
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Полнов")), QStringLiteral("ПОЛНОВ|3|Неудовлетворительно"));
    QFile::remove(ResultsFilePath(folder));
    const QStringList without =
        play(QStringLiteral("ПК-2"), QStringLiteral("Полнов"), QStringLiteral("rfrrw"), {QStringLiteral("off")});
    EXPECT_EQ(withJournal, without);
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Полнов")), QStringLiteral("ПОЛНОВ|3|Неудовлетворительно"));

    // What was on the disk before it filled is kept, the game row waits unfinished for nothing more.
    const auto journal = reader(QStringLiteral("ПК-1"));
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->games().value.size(), 1);
    EXPECT_EQ(journal->answers().value.size(), 1);
    const QString note = ReadProblemNote(folder, QStringLiteral("ПК-1"));
    EXPECT_TRUE(note.contains(QStringLiteral("журнал «ПК-1.sqlite» не записан (ответ)"))) << note.toStdString();
}

TEST_F(JournalProcesses, DiskFullBeforeTheJournalIsMadeCostsNothing)
{
    const QStringList withJournal = play(QStringLiteral("ПК-1"), QStringLiteral("Пустов"), QStringLiteral("Frw"));
    QFile::remove(ResultsFilePath(folder));
    const QStringList without =
        play(QStringLiteral("ПК-2"), QStringLiteral("Пустов"), QStringLiteral("Frw"), {QStringLiteral("off")});
    EXPECT_EQ(withJournal, without);
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Пустов")), QStringLiteral("ПУСТОВ|1|Неудовлетворительно"));
    const QString note = ReadProblemNote(folder, QStringLiteral("ПК-1"));
    EXPECT_TRUE(note.contains(QStringLiteral("журнал «ПК-1.sqlite» не записан (открытие)"))) << note.toStdString();
    EXPECT_FALSE(JournalReader::open(JournalFilePath(folder, QStringLiteral("ПК-1"))).ok());
}

TEST_F(JournalProcesses, TwoMachinesWriteOneFolderEachToItsOwnFile)
{
    QProcess one;
    QProcess two;
    start(one, QStringLiteral("ПК-1"), QStringLiteral("Первый"), QStringLiteral("rrrrrrw"));
    start(two, QStringLiteral("ПК-2"), QStringLiteral("Второй"), QStringLiteral("rrrrrs"));
    finish(one);
    finish(two);

    EXPECT_EQ(JournalFiles(folder),
              (QStringList{JournalFilePath(folder, QStringLiteral("ПК-1")), JournalFilePath(folder, QStringLiteral("ПК-2"))}));
    // The one who stopped leaves the question stopped on: six rows, as the other's seven answers.
    for (const auto &[machine, student, ending, rows] :
         {std::tuple{QStringLiteral("ПК-1"), QStringLiteral("ПЕРВЫЙ"), GameEnding::Wrong, 7},
          std::tuple{QStringLiteral("ПК-2"), QStringLiteral("ВТОРОЙ"), GameEnding::Stop, 6}}) {
        const auto journal = reader(machine);
        ASSERT_TRUE(journal);
        const QList<JournalGame> games = journal->games().value;
        ASSERT_EQ(games.size(), 1);
        EXPECT_EQ(games[0].machine, machine);
        EXPECT_EQ(games[0].student, student);
        EXPECT_EQ(games[0].ending, ending);
        EXPECT_EQ(journal->answers().value.size(), rows);
    }
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Первый")), QStringLiteral("ПЕРВЫЙ|6|Удовлетворительно"));
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Второй")), QStringLiteral("ВТОРОЙ|5|Удовлетворительно"));
}
