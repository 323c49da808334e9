#include "faq.h"
#include "inifile.h"
#include "lockedfile.h"
#include "permissions.h"
#include "results.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using testutil::readBytes;
using testutil::w;
using testutil::writeBytes;
using testutil::WithoutPermissionOverride;

class ResultsFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString rez = dir.filePath(QStringLiteral("tallory.rez"));
};

TEST_F(ResultsFileTest, ChecksumIsTheSumOfTheUpperCaseCodes)
{
    EXPECT_EQ(checks(w(u"ТЕСТОВ Т.Т.")), "1770");
    EXPECT_EQ(checks(cp1251::upper(w(u"тестов т.т."))), "1770");
    EXPECT_EQ(checks(w(u"ТЕСТОВ   Т.Т.")), "1834");
    EXPECT_EQ(checks(w(u"ТЕСТОВ  Т.Т.")), "1802");
    EXPECT_EQ(checks(w(u"АБ")), "385");
    EXPECT_EQ(checks(w(u"БА")), "385");
    EXPECT_EQ(checks("    "), "128");
    EXPECT_EQ(checks(""), "0");
}

TEST_F(ResultsFileTest, GradeWordsFollowTheLevelReached)
{
    EXPECT_EQ(GradeWord(16), w(u"Отлично"));
    EXPECT_EQ(GradeWord(15), w(u"Хорошо"));
    EXPECT_EQ(GradeWord(11), w(u"Хорошо"));
    EXPECT_EQ(GradeWord(10), w(u"Удовлетворительно"));
    EXPECT_EQ(GradeWord(6), w(u"Удовлетворительно"));
    EXPECT_EQ(GradeWord(5), w(u"Неудовлетворительно"));
    EXPECT_EQ(GradeWord(1), w(u"Неудовлетворительно"));
    EXPECT_EQ(ResultRecord(w(u"ТЕСТОВ Т.Т."), 8), w(u"ТЕСТОВ Т.Т.|7|Удовлетворительно"));
    EXPECT_EQ(ResultRecord(w(u"ИВАНОВ"), 1), w(u"ИВАНОВ|0|Неудовлетворительно"));
    EXPECT_EQ(ResultRecord(w(u"ИВАНОВ"), 16), w(u"ИВАНОВ|15|Отлично"));
}

TEST_F(ResultsFileTest, RecordIsStoredScrambledUnderLessonAndChecksum)
{
    ASSERT_TRUE(WriteResult(rez, w(u"АЛГЕБРА-1"), w(u"ТЕСТОВ Т.Т."), 8).ok());
    const QByteArray expected = w(u"[АЛГЕБРА-1]\r\n1770=") + ScrambleText(w(u"ТЕСТОВ Т.Т.|7|Удовлетворительно")) + "\r\n";
    EXPECT_EQ(readBytes(rez), expected);
}

// A class server writes the records of the games that ended together in one replacement of the
// file: every one of them lands beside what was there, or, where the file cannot be replaced,
// none does and the file stays as it was.
TEST_F(ResultsFileTest, RecordsWrittenTogetherAllLandBesideTheOldOnesOrNoneDoes)
{
    ASSERT_TRUE(WriteResult(rez, w(u"ДЕМО"), w(u"СТАРЫЙ"), 4).ok());
    const QList<RecordToWrite> records{{w(u"ДЕМО"), w(u"АБ"), 3}, {w(u"ФИЗИКА"), w(u"АБ"), 16}, {w(u"ДЕМО"), w(u"АБВ"), 9}};
    ASSERT_TRUE(WriteResults(rez, records).ok());
    for (const RecordToWrite &r : records)
        EXPECT_TRUE(AttemptRecorded(rez, r.lessonCode, r.name).value) << r.name.toStdString();
    EXPECT_TRUE(AttemptRecorded(rez, w(u"ДЕМО"), w(u"СТАРЫЙ")).value);

    // Written again, as after a round whose outcome was not heard: the file is the same.
    const QByteArray once = readBytes(rez);
    ASSERT_TRUE(WriteResults(rez, records).ok());
    EXPECT_EQ(readBytes(rez), once);

    // A folder where the file should be: refused, named, and nothing written anywhere.
    const QString blocked = dir.path() + QStringLiteral("/blocked.rez");
    QDir().mkpath(blocked);
    const Status refused = WriteResults(blocked, records);
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error.contains(QStringLiteral("blocked.rez"))) << refused.error.toStdString();
    EXPECT_TRUE(QDir(blocked).isEmpty());
}

TEST_F(ResultsFileTest, GuardRefusesTheSameChecksumInTheSameLessonOnly)
{
    EXPECT_FALSE(AttemptRecorded(rez, w(u"ДЕМО"), w(u"АБ")).value); // no file: everyone is let in
    ASSERT_TRUE(WriteResult(rez, w(u"ДЕМО"), w(u"АБ"), 3).ok());
    EXPECT_TRUE(AttemptRecorded(rez, w(u"ДЕМО"), w(u"АБ")).value);
    EXPECT_TRUE(AttemptRecorded(rez, w(u"ДЕМО"), w(u"БА")).value);
    EXPECT_TRUE(AttemptRecorded(rez, w(u"демо"), w(u"АБ")).value);
    EXPECT_FALSE(AttemptRecorded(rez, w(u"ФИЗИКА"), w(u"АБ")).value);
    EXPECT_FALSE(AttemptRecorded(rez, w(u"ДЕМО"), w(u"АБВ")).value);
}

TEST_F(ResultsFileTest, UnreadableFileRefusesTheGuardAndLosesNothingOnWrite)
{
    QDir().mkpath(rez); // a folder where the file should be cannot be read
    EXPECT_FALSE(AttemptRecorded(rez, "L", "N").ok());
    EXPECT_FALSE(WriteResult(rez, "L", "N", 5).ok());
    QDir().rmdir(rez);

    writeBytes(rez, "[L]\r\n1=x\r\n");
    QFile::setPermissions(rez, QFileDevice::WriteOwner);
    if (!QFile(rez).open(QIODevice::ReadOnly)) { // root may read it anyway
        EXPECT_FALSE(AttemptRecorded(rez, "L", "N").ok());
        EXPECT_FALSE(WriteResult(rez, "L", "N", 5).ok());
    }
    QFile::setPermissions(rez, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(readBytes(rez), "[L]\r\n1=x\r\n");
}

TEST_F(ResultsFileTest, NameThatScramblesToALineBreakIsRefusedBeforeWriting)
{
    writeBytes(rez, "[L]\r\n1=x\r\n");
    EXPECT_FALSE(RecordProblem(w(u"ПЕТРОВ § 1")).isEmpty());         // § scrambles to LF
    EXPECT_FALSE(RecordProblem(QByteArray("A\xA0" "B")).isEmpty());  // no-break space to CR
    EXPECT_FALSE(RecordProblem(QByteArray("A\xAD" "B")).isEmpty());  // soft hyphen to NUL
    EXPECT_TRUE(RecordProblem(w(u"ПЕТРОВ П.П.")).isEmpty());
    // The character is named so that it can be found, an invisible one by its code.
    EXPECT_EQ(RecordProblem(w(u"ПЕТРОВ § 1")), QStringLiteral("Символ «§» (U+00A7) нельзя сохранить в файле результатов."));
    EXPECT_EQ(RecordProblem(QByteArray("A\xA0" "B")),
              QStringLiteral("Символ U+00A0 (неразрывный пробел) нельзя сохранить в файле результатов."));
    EXPECT_FALSE(WriteResult(rez, "L", w(u"ПЕТРОВ § 1"), 5).ok());
    EXPECT_EQ(readBytes(rez), "[L]\r\n1=x\r\n");
}

TEST_F(ResultsFileTest, ReplacingARecordKeepsEveryOtherRecord)
{
    ASSERT_TRUE(WriteResult(rez, "A", w(u"ИВАНОВ"), 3).ok());
    ASSERT_TRUE(WriteResult(rez, "B", w(u"ИВАНОВ"), 16).ok());
    ASSERT_TRUE(WriteResult(rez, "A", w(u"ПЕТРОВ"), 12).ok());
    ASSERT_TRUE(WriteResult(rez, "A", w(u"ИВАНОВ"), 7).ok());
    EXPECT_EQ(ScrambleText(IniReadString(rez, "A", checks(w(u"ИВАНОВ")), "")), w(u"ИВАНОВ|6|Удовлетворительно"));
    EXPECT_EQ(ScrambleText(IniReadString(rez, "B", checks(w(u"ИВАНОВ")), "")), w(u"ИВАНОВ|15|Отлично"));
    EXPECT_EQ(ScrambleText(IniReadString(rez, "A", checks(w(u"ПЕТРОВ")), "")), w(u"ПЕТРОВ|11|Хорошо"));
}

TEST_F(ResultsFileTest, ManyProgramsWritingAtOnceLoseNoRecord)
{
    constexpr int kWriters = 6;
    constexpr int kRecords = 40;
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int p = 0; p < kWriters; ++p) {
        auto proc = std::make_unique<QProcess>();
        proc->start(QStringLiteral(RESULTS_WRITER),
                    {rez, QStringLiteral("LAB%1").arg(p), QStringLiteral("P"), QString::number(kRecords)});
        writers.push_back(std::move(proc));
    }
    for (auto &proc : writers) {
        ASSERT_TRUE(proc->waitForFinished(120000));
        EXPECT_EQ(proc->exitCode(), 0) << proc->readAllStandardError().toStdString();
    }
    for (int p = 0; p < kWriters; ++p) {
        for (int i = 0; i < kRecords; ++i) {
            const QByteArray name = "P" + QByteArray::number(i) + QByteArray(i, 'A');
            const QByteArray lesson = "LAB" + QByteArray::number(p);
            EXPECT_EQ(ScrambleText(IniReadString(rez, lesson, checks(name), "")), ResultRecord(name, 1 + i % 16))
                << "lost record " << p << "/" << i;
        }
    }
    EXPECT_FALSE(QFileInfo::exists(rez + QStringLiteral(".lock")));
}

TEST_F(ResultsFileTest, WritableFileInAReadOnlyFolderIsWrittenInPlace)
{
    const QString folder = dir.filePath(QStringLiteral("lab"));
    const QString file = folder + QStringLiteral("/tallory.rez");
    writeBytes(file, "[L]\r\n1=x\r\n");
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                          | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(folder, readOnly));
    {
        const WithoutPermissionOverride asAnyUser;
        if (!testutil::FolderRefusesNewFiles(folder)) {
            QFile::setPermissions(folder, readOnly | QFileDevice::WriteOwner);
            GTEST_SKIP() << "the folder's permissions do not apply to this user";
        }
        EXPECT_TRUE(WriteResult(file, w(u"ДЕМО"), w(u"АБ"), 6).ok());
        EXPECT_TRUE(AttemptRecorded(file, w(u"ДЕМО"), w(u"БА")).value);
        EXPECT_TRUE(WriteResult(file, "L", "N", 2).ok());
    }
    QFile::setPermissions(folder, readOnly | QFileDevice::WriteOwner);
    EXPECT_EQ(readBytes(file), w(u"[L]\r\n1=x\r\n") + "78=" + ScrambleText("N|1|" + GradeWord(2)) + "\r\n"
                                   + w(u"[ДЕМО]\r\n385=") + ScrambleText(w(u"АБ|5|Удовлетворительно")) + "\r\n");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("tallory.rez")});
}

TEST_F(ResultsFileTest, NoFileInAReadOnlyFolderStillFailsWithTheFileName)
{
    const QString folder = dir.filePath(QStringLiteral("lab"));
    QDir().mkpath(folder);
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    ASSERT_TRUE(QFile::setPermissions(folder, readOnly));
    Status s;
    {
        const WithoutPermissionOverride asAnyUser;
        if (!testutil::FolderRefusesNewFiles(folder)) {
            QFile::setPermissions(folder, readOnly | QFileDevice::WriteOwner);
            GTEST_SKIP() << "the folder's permissions do not apply to this user";
        }
        s = WriteResult(folder + QStringLiteral("/tallory.rez"), "L", "N", 2);
    }
    QFile::setPermissions(folder, readOnly | QFileDevice::WriteOwner);
    EXPECT_EQ(s.error, QStringLiteral("Результат игры не записан в «%1/tallory.rez»: нет права записи в папку «%1». "
                                      "Обратитесь к учителю.")
                           .arg(folder));
}

// Asked before a game: a file or folder that the write at the end could not use is named, and
// the asking leaves nothing behind.
TEST_F(ResultsFileTest, WriteProblemIsFoundBeforeTheGameAndTheFolderIsLeftAsItWas)
{
    EXPECT_EQ(ResultsWriteProblem(rez), QString()); // no file yet, a writable folder
    writeBytes(rez, "[L]\r\n1=x\r\n");
    EXPECT_EQ(ResultsWriteProblem(rez), QString());

    const QString folder = dir.filePath(QStringLiteral("lab"));
    const QString file = folder + QStringLiteral("/tallory.rez");
    QDir().mkpath(folder);
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    ASSERT_TRUE(QFile::setPermissions(folder, readOnly));
    QString noFile, writableFile, readOnlyFile;
    {
        const WithoutPermissionOverride asAnyUser;
        if (!testutil::FolderRefusesNewFiles(folder)) {
            QFile::setPermissions(folder, readOnly | QFileDevice::WriteOwner);
            GTEST_SKIP() << "the folder's permissions do not apply to this user";
        }
        noFile = ResultsWriteProblem(file);
        QFile::setPermissions(folder, readOnly | QFileDevice::WriteOwner);
        writeBytes(file, "[L]\r\n1=x\r\n");
        QFile::setPermissions(folder, readOnly);
        writableFile = ResultsWriteProblem(file); // rewritten in place at the end
        QFile::setPermissions(file, QFileDevice::ReadOwner);
        readOnlyFile = ResultsWriteProblem(file);
    }
    QFile::setPermissions(folder, readOnly | QFileDevice::WriteOwner);
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(noFile, QStringLiteral("нет права записи в папку «%1»").arg(QDir::toNativeSeparators(folder)));
    EXPECT_EQ(writableFile, QString());
    EXPECT_EQ(readOnlyFile, QStringLiteral("нет права записи в файл «%1»").arg(QDir::toNativeSeparators(file)));
    EXPECT_EQ(readBytes(file), "[L]\r\n1=x\r\n");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("tallory.rez")});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("tallory.rez")});

    QFile::remove(rez);
    QDir().mkpath(rez);
    EXPECT_EQ(ResultsWriteProblem(rez), QStringLiteral("«%1» — не файл").arg(QDir::toNativeSeparators(rez)));
}

// A machine's folder closed to students keeps its results in a sub-folder open to them, and the
// results file of the folder is a link there. The write must lock and replace beside the linked
// file, not beside the link: rewritten in place, a crash mid-write would cut the lab's records.
class LinkedResultsTest : public ResultsFileTest
{
protected:
    void SetUp() override
    {
        QDir().mkpath(results);
        ASSERT_TRUE(QFile::link(QStringLiteral("results/tallory.rez"), link));
    }
    void TearDown() override
    {
        QFile::setPermissions(dir.path(), kClosed | QFileDevice::WriteOwner);
    }
    // Whether the machine's folder now refuses this thread a new file, as it refuses a student.
    bool closeFolder()
    {
        QFile::setPermissions(dir.path(), kClosed);
        return testutil::FolderRefusesNewFiles(dir.path());
    }

    static constexpr auto kClosed = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    QString results = dir.filePath(QStringLiteral("results"));
    QString link = dir.filePath(QStringLiteral("tallory.rez"));
    QString target = results + QStringLiteral("/tallory.rez");
};

TEST_F(LinkedResultsTest, ResultsAreReplacedBesideTheLinkedFileAndTheLinkStays)
{
    writeBytes(target, "[L]\r\n1=x\r\n");
    // A second name of the file as it was: a replacement leaves it alone, a rewrite changes it.
    const QString before = dir.filePath(QStringLiteral("before"));
    ASSERT_EQ(::link(QFile::encodeName(target).constData(), QFile::encodeName(before).constData()), 0);
    QString problem;
    Status written;
    {
        const WithoutPermissionOverride asAnyUser;
        if (!closeFolder())
            GTEST_SKIP() << "the folder's permissions do not apply to this user";
        problem = ResultsWriteProblem(link);
        written = WriteResult(link, "L", "N", 2);
    }
    EXPECT_EQ(problem, QString());
    ASSERT_TRUE(written.ok()) << written.error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readBytes(target), "[L]\r\n1=x\r\n78=" + ScrambleText("N|1|" + GradeWord(2)) + "\r\n");
    EXPECT_EQ(readBytes(before), "[L]\r\n1=x\r\n");
    EXPECT_EQ(QDir(results).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("tallory.rez")});
}

TEST_F(LinkedResultsTest, FirstRecordCreatesTheLinkedFile)
{
    Status written;
    {
        const WithoutPermissionOverride asAnyUser;
        if (!closeFolder())
            GTEST_SKIP() << "the folder's permissions do not apply to this user";
        written = WriteResult(link, "L", "N", 2);
    }
    ASSERT_TRUE(written.ok()) << written.error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(AttemptRecorded(target, "L", "N").value);
}

// The file itself is what the write needs: a results file another user made and left closed to
// this one is found before the game, though a new file could still be made beside it.
TEST_F(ResultsFileTest, AResultsFileClosedToTheUserIsFoundBeforeTheGameInAnOpenFolder)
{
    writeBytes(rez, "[L]\r\n1=x\r\n");
    ASSERT_TRUE(QFile::setPermissions(rez, QFileDevice::ReadOwner | QFileDevice::ReadOther));
    QString problem;
    {
        const WithoutPermissionOverride asAnyUser;
        if (QFile(rez).open(QIODevice::ReadWrite))
            GTEST_SKIP() << "the file's permissions do not apply to this user";
        problem = ResultsWriteProblem(rez);
    }
    EXPECT_EQ(problem, QStringLiteral("нет права записи в файл «%1»").arg(QDir::toNativeSeparators(rez)));
    EXPECT_EQ(readBytes(rez), "[L]\r\n1=x\r\n");
}

// A results file made anew in a folder shared by a group, or by all, is open to them as the folder
// is: the next student's game must be able to write it whoever made it first.
TEST_F(ResultsFileTest, AResultsFileMadeAnewIsAsOpenAsItsFolder)
{
    const struct {
        QFileDevice::Permissions folder;
        QFileDevice::Permissions expected;
    } cases[] = {
        {QFileDevice::Permissions{0x7000}, QFileDevice::Permissions{0x6444}},
        {QFileDevice::Permissions{0x7070}, QFileDevice::Permissions{0x6464}},
        {QFileDevice::Permissions{0x7077}, QFileDevice::Permissions{0x6466}},
    };
    for (const auto &c : cases) {
        const QString folder = dir.filePath(QString::number(c.folder.toInt(), 16));
        const QString file = folder + QStringLiteral("/tallory.rez");
        QDir().mkpath(folder);
        ASSERT_TRUE(QFile::setPermissions(folder, c.folder));
        ASSERT_TRUE(WriteResult(file, "L", "N", 2).ok());
        const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                         | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                         | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
        EXPECT_EQ(QFileInfo(file).permissions() & all, c.expected & all) << folder.toStdString();
        // A later record keeps the file as it is.
        ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        ASSERT_TRUE(WriteResult(file, "L", "M", 3).ok());
        EXPECT_EQ(QFileInfo(file).permissions() & all, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

// A link in the results' folder is written through only where nobody else could have planted it
// and only while it stays in the folder: the package's tallory.rez -> results/tallory.rez.
TEST_F(ResultsFileTest, OnlyAnExpectedLinkIsWrittenThrough)
{
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("issue.net"));
    const QFileDevice::Permissions closed{0x7755}, open{0x7777};
    const struct {
        const char *name;
        QFileDevice::Permissions folder, results; // of the program folder and of results/
        QString linkTo;                            // tallory.rez in the program folder
        QString plantedLinkTo;                     // results/tallory.rez, when a link
        bool trusted;
    } cases[] = {
        {"the package's link", closed, open, QStringLiteral("results/tallory.rez"), {}, true},
        {"a link out of the folder", closed, closed, victim, {}, false},
        {"a link planted in results/", closed, open, QStringLiteral("results/tallory.rez"), victim, false},
        {"a link at the settings planted in results/", closed, open, QStringLiteral("results/tallory.rez"),
         QStringLiteral("../tallory.ini"), false},
        {"a link in a folder open to all", open, open, QStringLiteral("results/tallory.rez"), {}, false},
    };
    for (const auto &c : cases) {
        QTemporaryDir lab;
        const QString folder = lab.path();
        const QString results = folder + QStringLiteral("/results");
        QDir().mkpath(results);
        writeBytes(folder + QStringLiteral("/tallory.ini"), "[x]\r\n");
        writeBytes(victim, "Debian\n");
        const QString link = folder + QStringLiteral("/tallory.rez");
        ASSERT_TRUE(QFile::link(c.linkTo, link));
        if (!c.plantedLinkTo.isEmpty()) {
            ASSERT_TRUE(QFile::link(c.plantedLinkTo, results + QStringLiteral("/tallory.rez")));
        }
        ASSERT_TRUE(QFile::setPermissions(folder, c.folder));
        ASSERT_TRUE(QFile::setPermissions(results, c.results));
        const QString problem = ResultsWriteProblem(link);
        const Status written = WriteResult(link, "L", "N", 2);
        EXPECT_EQ(readBytes(victim), "Debian\n") << c.name;
        EXPECT_EQ(readBytes(folder + QStringLiteral("/tallory.ini")), "[x]\r\n") << c.name;
        EXPECT_TRUE(QFileInfo(link).isSymLink()) << c.name;
        if (c.trusted) {
            EXPECT_EQ(problem, QString()) << c.name;
            EXPECT_TRUE(written.ok()) << c.name << written.error.toStdString();
            EXPECT_TRUE(AttemptRecorded(results + QStringLiteral("/tallory.rez"), "L", "N").value) << c.name;
        } else {
            EXPECT_TRUE(problem.contains(QStringLiteral("через такую ссылку программа не пишет")))
                << c.name << problem.toStdString();
            EXPECT_TRUE(written.error.startsWith(QStringLiteral("Результат игры не записан"))) << c.name;
            EXPECT_TRUE(written.error.contains(problem)) << c.name;
        }
    }
}
