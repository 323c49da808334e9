// A journal that cannot be written never costs the student the game: the game, its sounds and
// tallory.rez are exactly those of a game without a journal, and the teacher finds a note.

#include "journalfixture.h"

#include "journalschema.h"
#include "permissions.h"

#include <QSqlDatabase>
#include <QSqlQuery>

class JournalProblems : public JournalFixture
{
protected:
    struct Played {
        QStringList timeline;
        QByteArray results;
    };

    /// One game (two right answers, then a wrong one) on a fresh counters store and the same
    /// chance, so that two runs differ only by their journal.
    Played play(bool journalled)
    {
        form.reset();
        QFile::remove(ResultsFilePath(folder));
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        random = SeededRandom(777);
        timeline.events.clear();
        if (journalled)
            startJournalled();
        else
            startWatched();
        newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Журналов"));
        answerRight();
        answerRight();
        answerWrong();
        form.reset();
        return {timeline.events, testutil::readBytes(ResultsFilePath(folder))};
    }

    void expectAsWithoutJournal(const Played &withJournal)
    {
        const Played without = play(false);
        EXPECT_EQ(withJournal.timeline, without.timeline);
        EXPECT_EQ(withJournal.results, without.results);
        EXPECT_TRUE(withJournal.results.contains(checks(*cp1251::encode(QStringLiteral("ЖУРНАЛОВ")))));
    }

    /// A journal file whose schema version is the one given.
    void writeVersioned(int version)
    {
        QDir().mkpath(JournalFolder(folder));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
            db.setDatabaseName(journalPath());
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE games (id TEXT PRIMARY KEY, lesson TEXT, future TEXT)")));
            ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO games VALUES ('x', 'ТЕСТ', 'что-то новое')")));
            ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("newer"));
    }
};

TEST_F(JournalProblems, DamagedJournalIsSetAsideAndANewOneBegun)
{
    const QByteArray damaged = QByteArray("SQLite format 3") + QByteArray(5000, '\x7f');
    testutil::writeBytes(journalPath(), damaged);
    expectAsWithoutJournal(play(true));

    const QString aside = JournalFolder(folder) + QStringLiteral("ПК-7 (повреждённый).sqlite");
    EXPECT_EQ(testutil::readBytes(aside), damaged);
    ASSERT_EQ(games().size(), 1);
    EXPECT_EQ(answers().size(), 3);
    EXPECT_TRUE(problem().contains(QStringLiteral("ПК-7 (повреждённый).sqlite"))) << problem().toStdString();
    EXPECT_EQ(JournalFiles(folder), QStringList{journalPath()});

    // Damaged again: the first copy is kept, the second goes beside it.
    journal = std::make_unique<JournalThread>(folder, QStringLiteral("ПК-7"), clock.clock());
    testutil::writeBytes(journalPath(), "not a journal at all, and long enough to be read as a header by SQLite......");
    play(true);
    EXPECT_EQ(testutil::readBytes(aside), damaged);
    EXPECT_EQ(testutil::readBytes(JournalFolder(folder) + QStringLiteral("ПК-7 (повреждённый 2).sqlite")),
              QByteArray("not a journal at all, and long enough to be read as a header by SQLite......"));
    EXPECT_EQ(games().size(), 1);
}

TEST_F(JournalProblems, DamagedPageOfAJournalIsFoundBeforeWriting)
{
    play(true);
    journal.reset();
    QByteArray bytes = testutil::readBytes(journalPath());
    ASSERT_GE(bytes.size(), 4 * 4096);
    for (qsizetype i = 4096 + 100; i < 3 * 4096; ++i)
        bytes[i] = '\x55';
    testutil::writeBytes(journalPath(), bytes);

    journal = std::make_unique<JournalThread>(folder, QStringLiteral("ПК-7"), clock.clock());
    expectAsWithoutJournal(play(true));
    EXPECT_EQ(testutil::readBytes(JournalFolder(folder) + QStringLiteral("ПК-7 (повреждённый).sqlite")), bytes);
    EXPECT_EQ(games().size(), 1);
}

TEST_F(JournalProblems, JournalOfANewerProgramIsLeftAsItIs)
{
    writeVersioned(kJournalSchemaVersion + 1);
    const QByteArray before = testutil::readBytes(journalPath());
    expectAsWithoutJournal(play(true));

    EXPECT_EQ(testutil::readBytes(journalPath()), before);
    EXPECT_EQ(QDir(JournalFolder(folder)).entryList({QStringLiteral("*.sqlite*")}, QDir::Files),
              QStringList{QStringLiteral("ПК-7.sqlite")});
    EXPECT_TRUE(problem().contains(QStringLiteral("более новой версией программы (версия 2"))) << problem().toStdString();
    const auto reader = JournalReader::open(journalPath());
    EXPECT_FALSE(reader.ok());
    EXPECT_TRUE(reader.error.contains(QStringLiteral("более новой версией"))) << reader.error.toStdString();
}

TEST_F(JournalProblems, ReadOnlyJournalFolderCostsNothing)
{
    QDir().mkpath(JournalFolder(folder));
    ASSERT_TRUE(QFile::setPermissions(JournalFolder(folder), QFile::ReadOwner | QFile::ExeOwner));
    testutil::WithoutPermissionOverride asAUser;
    ASSERT_TRUE(testutil::FolderRefusesNewFiles(JournalFolder(folder)));
    // Capabilities belong to a thread: the journal's writer, made now, works without them too.
    journal = std::make_unique<JournalThread>(folder, QStringLiteral("ПК-7"), clock.clock());

    expectAsWithoutJournal(play(true));
    EXPECT_TRUE(QDir(JournalFolder(folder)).isEmpty());
    const QString note = testutil::readBytes(FallbackProblemNotePath(folder, QStringLiteral("ПК-7")));
    EXPECT_TRUE(note.contains(QStringLiteral("журнал «ПК-7.sqlite» не записан"))) << note.toStdString();
    EXPECT_EQ(problem(), note.trimmed());
    QFile::setPermissions(JournalFolder(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(JournalProblems, ReaderNeverCreatesNorHoldsUpTheWriter)
{
    const auto missing = JournalReader::open(journalPath());
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(QFileInfo::exists(journalPath()));

    startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Читаемый"));
    answerRight();
    const auto reader = JournalReader::open(journalPath());
    ASSERT_TRUE(reader.ok()) << reader.error.toStdString();
    EXPECT_EQ(reader.value->answers(QStringLiteral("ТЕСТ")).value.size(), 1);
    answerRight(); // written while the teacher's side has the file open
    answerWrong();
    EXPECT_EQ(reader.value->answers(QStringLiteral("ТЕСТ")).value.size(), 3);
    EXPECT_EQ(reader.value->answers(QStringLiteral("ДРУГОЙ")).value.size(), 0);
    EXPECT_EQ(reader.value->lessons().value, QStringList{QStringLiteral("ТЕСТ")});
    EXPECT_EQ(reader.value->games().value.at(0).ending, GameEnding::Wrong);
    EXPECT_TRUE(problem().isEmpty()) << problem().toStdString();
}

// Every student of the machine writes its one journal: the file is as open as its folder, to the
// folder's group (the package's records' group) or to all, and closed to others otherwise.
TEST_F(JournalProblems, JournalIsWritableByWhoeverMayWriteItsFolder)
{
    const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QFile::Permissions group = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup;
    const QFile::Permissions other = QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    const QFile::Permissions writes = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    const struct {
        QFile::Permissions folder, written;
    } cases[] = {
        {owner | group | other, writes},
        {owner | group | QFile::ReadOther | QFile::ExeOther, QFile::WriteOwner | QFile::WriteGroup},
        {owner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther, QFile::WriteOwner},
    };
    for (const auto &c : cases) {
        form.reset();
        journal = std::make_unique<JournalThread>(folder, QStringLiteral("ПК-7"), clock.clock());
        QDir(JournalFolder(folder)).removeRecursively();
        QFile::remove(ResultsFilePath(folder));
        QDir().mkpath(JournalFolder(folder));
        ASSERT_TRUE(QFile::setPermissions(JournalFolder(folder), c.folder));
        startJournalled();
        newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Первый"));
        answerRight();
        EXPECT_EQ(QFileInfo(journalPath()).permissions() & writes, c.written) << c.folder.toInt();
        EXPECT_EQ(QFileInfo(journalPath() + QStringLiteral("-wal")).permissions() & writes, c.written);
    }
}

TEST(JournalFileNames, MachineNameIsMadeSafeAsAFileName)
{
    EXPECT_EQ(SafeMachineName(QStringLiteral("ПК-7.lab_2")), QStringLiteral("ПК-7.lab_2"));
    EXPECT_EQ(SafeMachineName(QStringLiteral("../../etc/passwd")), QStringLiteral("_.._etc_passwd"));
    EXPECT_EQ(SafeMachineName(QStringLiteral("a:b*c?\"<>| d\\e")), QStringLiteral("a_b_c______d_e"));
    EXPECT_EQ(SafeMachineName(QStringLiteral("")), QStringLiteral("машина"));
    EXPECT_EQ(SafeMachineName(QString(100, QLatin1Char('x'))).size(), 64);
}
