// Clip paths whatever the letter case, the sound switch, and the fakes' timeline.

#include "clips.h"
#include "sound.h"

#include "fakes/fakesound.h"
#include "testutil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString folderOf(const QTemporaryDir &dir)
{
    return dir.path() + QLatin1Char('/');
}

} // namespace

TEST(ClipPath, FindsFolderAndFileWhateverTheirCase)
{
    QTemporaryDir dir;
    testutil::writeBytes(dir.filePath("WAV/BtnClick.wav"), "x");
    const QString expected = dir.filePath("WAV/BtnClick.wav");
    EXPECT_EQ(ClipPath(folderOf(dir), "btnclick"), expected);
    EXPECT_EQ(ClipPath(folderOf(dir), "btnCLICK"), expected);
    EXPECT_EQ(ClipPath(folderOf(dir), "BtnClick"), expected);
}

TEST(ClipPath, MissingClipIsNamedInsideTheExistingFolder)
{
    QTemporaryDir dir;
    testutil::writeBytes(dir.filePath("WAV/BtnClick.wav"), "x");
    EXPECT_EQ(ClipPath(folderOf(dir), "zal"), dir.filePath("WAV/zal.wav"));
}

// "WAV" filled by the start-up and "wav" as installed, both there: a clip is found in either,
// the start-up's folder first.
TEST(ClipPath, BothSpellingsOfTheFolderAreLookedIn)
{
    QTemporaryDir dir;
    testutil::writeBytes(dir.filePath("wav/gong.wav"), "installed");
    testutil::writeBytes(dir.filePath("wav/zal.wav"), "installed");
    testutil::writeBytes(dir.filePath("WAV/gong.wav"), "teacher's");
    EXPECT_EQ(ClipPath(folderOf(dir), "gong"), dir.filePath("WAV/gong.wav"));
    EXPECT_EQ(ClipPath(folderOf(dir), "zal"), dir.filePath("wav/zal.wav"));
    EXPECT_EQ(ClipPath(folderOf(dir), "pause"), dir.filePath("WAV/pause.wav"));
}

TEST(ClipPath, WithoutSoundFolderIsThePathAsAsked)
{
    QTemporaryDir dir;
    EXPECT_EQ(ClipPath(folderOf(dir), "MILLION"), dir.filePath("wav/MILLION.wav"));
}

// An installed program: its clips lie beside it, its data in a folder of the school's.
TEST(FindClip, ProgramFoldersOwnClipComesFirst)
{
    QTemporaryDir data, install;
    testutil::writeBytes(data.filePath("wav/yes.wav"), "own");
    testutil::writeBytes(install.filePath("wav/yes.wav"), "installed");
    EXPECT_EQ(FindClip(folderOf(data), folderOf(install), "yes"), data.filePath("wav/yes.wav"));
}

TEST(FindClip, ClipMissingFromTheProgramFolderComesFromTheInstallFolder)
{
    QTemporaryDir data, install;
    testutil::writeBytes(data.filePath("WAV/yes.wav"), "own");
    testutil::writeBytes(install.filePath("wav/gong.wav"), "installed");
    EXPECT_EQ(FindClip(folderOf(data), folderOf(install), "GONG"), install.filePath("wav/gong.wav"));
    EXPECT_EQ(FindClip(folderOf(data), folderOf(install), "yes"), data.filePath("WAV/yes.wav"));
}

TEST(FindClip, ClipMissingEverywhereIsNamedInTheProgramFolder)
{
    QTemporaryDir data, install;
    EXPECT_EQ(FindClip(folderOf(data), folderOf(install), "zal"), data.filePath("wav/zal.wav"));
}

TEST(Clips, PlayTheInstalledClipWhenTheProgramFolderHasNone)
{
    QTemporaryDir data, install;
    testutil::writeBytes(install.filePath("wav/gong.wav"), "x");
    Timeline timeline;
    FakeSound sound(timeline);
    FakePacer pacer(timeline);
    Clips installed(sound, pacer, folderOf(data), folderOf(install));
    Clips alone(sound, pacer, folderOf(data), folderOf(data));
    installed.play("gong", ClipPlay::ToEndOrPause);
    alone.play("gong", ClipPlay::ToEndOrPause);
    EXPECT_EQ(timeline.events, QStringList({"clip gong to end", "clip gong silent", "wait 2000"}));
}

TEST(PlaySoundFile, DisabledSoundPlaysNothing)
{
    QTemporaryDir dir;
    testutil::writeBytes(dir.filePath("yes.wav"), "x");
    Timeline timeline;
    FakeSound sound(timeline);
    EXPECT_FALSE(PlaySoundFile(sound, dir.filePath("yes.wav"), false, true));
    EXPECT_FALSE(PlaySoundFile(sound, dir.filePath("yes.wav"), false, false));
    EXPECT_TRUE(timeline.events.isEmpty());
}

TEST(PlaySoundFile, EnabledSoundPassesPathAndWaitToTheBackend)
{
    QTemporaryDir dir;
    testutil::writeBytes(dir.filePath("yes.wav"), "x");
    Timeline timeline;
    FakeSound sound(timeline);
    sound.setDuration("yes", 1200);
    EXPECT_TRUE(PlaySoundFile(sound, dir.filePath("yes.wav"), true, true));
    EXPECT_TRUE(PlaySoundFile(sound, dir.filePath("yes.wav"), true, false));
    EXPECT_FALSE(PlaySoundFile(sound, dir.filePath("no.wav"), true, true));
    EXPECT_EQ(timeline.events, QStringList({"clip yes to end", "wait 1200", "clip yes background",
                                            "clip no silent"}));
}

TEST(FakeSound, TimelineInterleavesClipsAndPacerWaits)
{
    QTemporaryDir dir;
    testutil::writeBytes(dir.filePath("wav/false.wav"), "x");
    testutil::writeBytes(dir.filePath("wav/fon1.wav"), "x");
    testutil::writeBytes(dir.filePath("wav/gong.wav"), "x");
    Timeline timeline;
    FakeSound sound(timeline);
    FakePacer pacer(timeline);
    sound.setDuration("false", 1500);
    sound.markUnplayable("gong");
    sound.markPlayable("/nowhere/MILLION.wav");
    EXPECT_TRUE(sound.play(dir.filePath("wav/false.wav"), true));
    pacer.wait(300);
    EXPECT_TRUE(sound.play(dir.filePath("wav/fon1.wav"), false));
    EXPECT_FALSE(sound.play(dir.filePath("wav/gong.wav"), true));
    EXPECT_TRUE(sound.play("/nowhere/MILLION.wav", true));
    EXPECT_EQ(timeline.events, QStringList({"clip false to end", "wait 1500", "wait 300",
                                            "clip fon1 background", "clip gong silent",
                                            "clip MILLION to end"}));
}

TEST(FakeSound, UnplayablePathSilencesOnlyThatFile)
{
    QTemporaryDir dir;
    testutil::writeBytes(dir.filePath("a/zal.wav"), "x");
    testutil::writeBytes(dir.filePath("b/zal.wav"), "x");
    Timeline timeline;
    FakeSound sound(timeline);
    sound.markUnplayable(dir.filePath("a/zal.wav"));
    EXPECT_FALSE(sound.play(dir.filePath("a/zal.wav"), false));
    EXPECT_TRUE(sound.play(dir.filePath("b/zal.wav"), false));
    EXPECT_EQ(timeline.events, QStringList({"clip zal silent", "clip zal background"}));
}
