// The journal of games played in processes of their own: killed mid-game, out of disk space,
// and two machines writing one shared folder at once.

#include "game/gamefixture.h"

#include "journalfiles.h"
#include "journalreader.h"

#include <QProcess>
#include <QStorageInfo>

#include <sys/mount.h>
#include <unistd.h>

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

// A small real disk, nearly full: the journal and the results file share its last free bytes.
// Each file alone is far below any limit, so only a real file system shows who takes them.
class SmallDisk : public JournalProcesses
{
protected:
    void SetUp() override
    {
        JournalProcesses::SetUp();
        if (geteuid() != 0)
            GTEST_SKIP() << "a small file system is mounted for this test only by root (CI runs as root)";
        const QByteArray where = QFile::encodeName(disk.path());
        if (::mount("tallory-test", where.constData(), "tmpfs", 0, "size=2m,mode=0755") != 0)
            GTEST_SKIP() << "tmpfs cannot be mounted here: " << std::strerror(errno);
        mounted = true;
        lab = disk.path() + QLatin1Char('/');
        for (const QString &name : {QStringLiteral("tallory.ini"), QStringLiteral("lesson.faq")})
            ASSERT_TRUE(QFile::copy(folder + name, lab + name));
    }
    void TearDown() override
    {
        if (mounted)
            ::umount2(QFile::encodeName(disk.path()).constData(), MNT_DETACH);
        JournalProcesses::TearDown();
    }

    /// Fills the disk until about free bytes are left.
    void leave(qint64 free)
    {
        QFile filler(lab + QStringLiteral("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const qint64 fill = QStorageInfo(lab).bytesAvailable() - free;
        ASSERT_GT(fill, 0);
        ASSERT_EQ(filler.write(QByteArray(fill, 'x')), fill);
        ASSERT_TRUE(filler.flush());
    }

    QStringList playHere(const QString &name, const QString &script)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("cfg")));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TALLORY_JOURNAL_CHILD), QStringList{disk.path(), QStringLiteral("ПК-1"), name, script});
        EXPECT_TRUE(p.waitForStarted());
        return finish(p);
    }

    QString recordHere(const QString &name)
    {
        const QByteArray key = checks(*cp1251::encode(name.toUpper()));
        const QByteArray value = IniReadString(ResultsFilePath(lab), *cp1251::encode(QStringLiteral("ТЕСТ")), key, {});
        return cp1251::decode(ScrambleText(value));
    }

    QTemporaryDir disk;
    bool mounted = false;
    QString lab;
};

TEST_F(SmallDisk, TheJournalLeavesTheGradeItsRoom)
{
    // Room for the record and a little more: a journal begun here would take it all within the game.
    leave(90 * 1024);
    const QStringList timeline = playHere(QStringLiteral("Теснов"), QStringLiteral("rrrrrrrrrrrrw"));
    EXPECT_TRUE(recordHere(QStringLiteral("Теснов")).startsWith(QStringLiteral("ТЕСНОВ|")))
        << timeline.join(u'\n').toStdString();
    const QString note = ReadProblemNote(lab, QStringLiteral("ПК-1"));
    EXPECT_TRUE(note.contains(QStringLiteral("не хватает места для записи результата"))) << note.toStdString();
    EXPECT_TRUE(timeline.filter(QStringLiteral("Unable")).isEmpty()) << timeline.join(u'\n').toStdString();
}

TEST_F(SmallDisk, AGameWhoseGradeHasNoRoomDoesNotStart)
{
    leave(16 * 1024);
    const QStringList timeline = playHere(QStringLiteral("Теснов"), QStringLiteral("rw"));
    const QStringList errors = timeline.filter(QStringLiteral("не хватает места для записи результата"));
    EXPECT_EQ(errors.size(), 1) << timeline.join(u'\n').toStdString();
    EXPECT_TRUE(errors.value(0).contains(QStringLiteral("Результат игры нельзя будет записать")));
    EXPECT_TRUE(recordHere(QStringLiteral("Теснов")).isEmpty());
    EXPECT_TRUE(timeline.filter(QStringLiteral("gong")).isEmpty()) << timeline.join(u'\n').toStdString();
}
