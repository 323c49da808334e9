#include "files.h"
#include "testutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testutil::readBytes;
using testutil::writeBytes;

namespace {

QString trashFiles()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash/files/");
}

} // namespace

class HousekeepingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A trash of the test's own, which must exist for files to go there rather than elsewhere.
        savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        QDir().mkpath(trashFiles());
        folder = dir.path() + QLatin1Char('/');
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", savedData); }
    QTemporaryDir data;
    QByteArray savedData;
    QTemporaryDir dir;
    QString folder;
};

TEST(ProgramFolderTest, IsTheExecutablesFolderEndingInASeparator)
{
    const QString saved = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath());
    EXPECT_EQ(ProgramFolder(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    QDir::setCurrent(saved);
}

TEST_F(HousekeepingTest, LooseWavesMoveIntoTheSoundFolderReplacingOldOnes)
{
    writeBytes(folder + QStringLiteral("gong.wav"), "new gong");
    writeBytes(folder + QStringLiteral("Extra.WAV"), "extra");
    writeBytes(folder + QStringLiteral("wav/gong.wav"), "old gong");
    writeBytes(folder + QStringLiteral(".wav"), "hidden");
    QDir().mkpath(folder + QStringLiteral("x.wav"));
    writeBytes(folder + QStringLiteral("notes.txt"), "text");

    MoveLooseWaves(folder);

    // The existing lower-case folder is the sound folder: no second "WAV" beside it.
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("WAV")));
    EXPECT_EQ(readBytes(folder + QStringLiteral("wav/gong.wav")), "new gong");
    EXPECT_EQ(readBytes(folder + QStringLiteral("wav/Extra.WAV")), "extra");
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("gong.wav")));
    EXPECT_EQ(readBytes(trashFiles() + QStringLiteral("gong.wav")), "new gong");
    EXPECT_EQ(readBytes(folder + QStringLiteral(".wav")), "hidden");
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("x.wav")).isDir());
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("wav/x.wav")));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("wav/.wav")));
    EXPECT_EQ(readBytes(folder + QStringLiteral("notes.txt")), "text");

    // A second start finds nothing to move and changes nothing.
    const QStringList before = QDir(folder + QStringLiteral("wav")).entryList(QDir::Files);
    MoveLooseWaves(folder);
    EXPECT_EQ(QDir(folder + QStringLiteral("wav")).entryList(QDir::Files), before);
}

// A clip whose name differs only in letter case takes the old one's place, as it would where
// the two names are one file, instead of standing beside it unheard.
TEST_F(HousekeepingTest, ALooseClipReplacesTheOneWhoseNameDiffersOnlyInCase)
{
    writeBytes(folder + QStringLiteral("wav/fon1.wav"), "old music");
    writeBytes(folder + QStringLiteral("Fon1.WAV"), "new music");
    MoveLooseWaves(folder);
    EXPECT_EQ(QDir(folder + QStringLiteral("wav")).entryList(QDir::Files), QStringList{QStringLiteral("fon1.wav")});
    EXPECT_EQ(readBytes(folder + QStringLiteral("wav/fon1.wav")), "new music");
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("Fon1.WAV")));
}

TEST_F(HousekeepingTest, SoundFolderIsMadeAsWavWhenThereIsNone)
{
    writeBytes(folder + QStringLiteral("applause.wav"), "clap");
    MoveLooseWaves(folder);
    EXPECT_EQ(readBytes(folder + QStringLiteral("WAV/applause.wav")), "clap");
    EXPECT_EQ(SoundFolder(folder), folder + QStringLiteral("WAV"));
    EXPECT_EQ(FindNoCase(folder, QStringLiteral("wav")), folder + QStringLiteral("WAV"));
}

// Nothing to move makes nothing: no empty sound folder appears in a folder shared by many users.
TEST_F(HousekeepingTest, NoLooseClipsMakeNoSoundFolder)
{
    writeBytes(folder + QStringLiteral("notes.txt"), "text");
    MoveLooseWaves(folder);
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("notes.txt")});
}

TEST_F(HousekeepingTest, FileWhoseCopyFailedIsNeverRemoved)
{
    writeBytes(folder + QStringLiteral("gong.wav"), "gong");
    // A file named like the sound folder: nothing can be copied into it.
    writeBytes(folder + QStringLiteral("WAV"), "in the way");
    MoveLooseWaves(folder);
    EXPECT_EQ(readBytes(folder + QStringLiteral("gong.wav")), "gong");
    EXPECT_FALSE(QFileInfo::exists(trashFiles() + QStringLiteral("gong.wav")));
}

TEST_F(HousekeepingTest, DeleteFilesReportsWhetherAnythingWasRemoved)
{
    EXPECT_FALSE(DeleteFiles(folder + QStringLiteral("*.wav")));
    writeBytes(folder + QStringLiteral("a.wav"), "a");
    writeBytes(folder + QStringLiteral("b.wav"), "b");
    EXPECT_TRUE(DeleteFiles(folder + QStringLiteral("*.wav")));
    EXPECT_TRUE(MatchingFiles(folder + QStringLiteral("*.wav")).isEmpty());
    EXPECT_TRUE(DeleteOneFile(folder + QStringLiteral("missing")) == false);
}

TEST_F(HousekeepingTest, CopyOneFileReplacesTheTarget)
{
    writeBytes(folder + QStringLiteral("s"), "source");
    writeBytes(folder + QStringLiteral("t"), "a much longer old target");
    EXPECT_TRUE(CopyOneFile(folder + QStringLiteral("s"), folder + QStringLiteral("t")));
    EXPECT_EQ(readBytes(folder + QStringLiteral("t")), "source");
    EXPECT_FALSE(CopyOneFile(folder + QStringLiteral("missing"), folder + QStringLiteral("t")));
    EXPECT_EQ(readBytes(folder + QStringLiteral("t")), "source");
}

TEST_F(HousekeepingTest, MakeFolderPathCreatesEveryLevel)
{
    MakeFolderPath(folder + QStringLiteral("a/b/c  "));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("a/b/c")).isDir());
    MakeFolderPath(folder + QStringLiteral("d\\e"));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("d/e")).isDir());
    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.path());
    MakeFolderPath(QStringLiteral("/")); // shorter than its start: nothing, no crash
    MakeFolderPath(QStringLiteral("rel/one"));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("rel/one")).isDir());
    QDir::setCurrent(saved);
}

TEST_F(HousekeepingTest, FreshAccountGetsItsTrashMadeAndTheCurrentFolderStaysClean)
{
    QTemporaryDir fresh;
    QTemporaryDir cwd;
    qputenv("XDG_DATA_HOME", fresh.filePath(QStringLiteral("not-yet")).toUtf8());
    const QString saved = QDir::currentPath();
    QDir::setCurrent(cwd.path());
    writeBytes(folder + QStringLiteral("gong.wav"), "gong");
    MoveLooseWaves(folder);
    QDir::setCurrent(saved);
    EXPECT_EQ(readBytes(fresh.filePath(QStringLiteral("not-yet/Trash/files/gong.wav"))), "gong");
    EXPECT_TRUE(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

// The masks of loose clips: "*" any run, "?" one character, letters in either case, and a
// star that must give back characters it took ("fon*1.wav" against "fon11.wav").
TEST_F(HousekeepingTest, MasksTakeStarsThatGiveBackSingleCharactersAndEitherCase)
{
    for (const char *name : {"gong.WAV", "Fon1.wav", "fon11.wav", "fon1.wav.bak", "x.wa", "ab.wav", "Звук.Wav"})
        writeBytes(folder + QString::fromUtf8(name), "x");
    const auto matching = [&](const char *mask) {
        QStringList names;
        for (const QString &path : MatchingFiles(folder + QString::fromUtf8(mask)))
            names.append(QFileInfo(path).fileName());
        names.sort();
        return names.join(QLatin1Char(' ')).toStdString();
    };
    EXPECT_EQ(matching("*.wav"), std::string("Fon1.wav ab.wav fon11.wav gong.WAV Звук.Wav"));
    EXPECT_EQ(matching("fon*1.wav"), std::string("Fon1.wav fon11.wav"));
    EXPECT_EQ(matching("??.wav"), std::string("ab.wav"));
    EXPECT_EQ(matching("звук.*"), std::string("Звук.Wav"));
    EXPECT_EQ(matching("*.wa"), std::string("x.wa"));
    EXPECT_EQ(matching("*"), std::string("Fon1.wav ab.wav fon1.wav.bak fon11.wav gong.WAV x.wa Звук.Wav"));
}
