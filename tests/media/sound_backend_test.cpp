// The Qt player refuses what is not a PCM wave without holding the game, and plays a good clip
// only when a device takes it; a background clip played before the output is open waits for
// it a moment; the event-loop pacer waits, keeping timers and paints alive.

#include "pacer.h"
#include "qtsoundbackend.h"

#include "fakes/fakesound.h"
#include "testutil.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

const QString kClipFolder = QStringLiteral(TALLORY_BIN_DIR "/wav/");
// The output module where the build puts it, next to the program.
const QString kModule = QStringLiteral(TALLORY_BIN_DIR "/tallory_sound");

// Whether the machine has an audio output at all: without one, no clip can play.
bool hasDevice()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

// Runs the event loop until the backend's wait for the output is over.
void letTheOutputOpen()
{
    EventLoopPacer pacer;
    pacer.wait(QtSoundBackend::kOpenDelayMs + 50);
}

class PaintCounter : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

} // namespace

TEST(QtSoundBackend, DamagedFileGivesFalseWithoutWaiting)
{
    QTemporaryDir dir;
    QByteArray damaged = testutil::readBytes(kClipFolder + "btnclick.wav");
    ASSERT_GT(damaged.size(), 44);
    damaged[20] = 2;  // the format tag now says compressed
    testutil::writeBytes(dir.filePath("damaged.wav"), damaged);
    testutil::writeBytes(dir.filePath("garbage.wav"), QByteArray(5000, '\x55'));
    testutil::writeBytes(dir.filePath("cut.wav"), damaged.left(30));
    Timeline timeline;
    FakePacer pacer(timeline);
    QtSoundBackend backend(pacer, kModule);
    for (const char *name : {"damaged.wav", "garbage.wav", "cut.wav", "missing.wav"}) {
        EXPECT_FALSE(backend.play(dir.filePath(name), true)) << name;
        EXPECT_FALSE(backend.play(dir.filePath(name), false)) << name;
    }
    EXPECT_TRUE(timeline.events.isEmpty());
    EXPECT_FALSE(backend.waiting());
}

TEST(QtSoundBackend, GoodClipPlaysOnlyWhenADeviceTakesItAndWaitsItsDuration)
{
    Timeline timeline;
    FakePacer pacer(timeline);
    QtSoundBackend backend(pacer, kModule);
    const bool played = backend.play(kClipFolder + "btnclick.wav", true);
    if (!hasDevice()) {
        EXPECT_FALSE(played);
    }
    EXPECT_TRUE(backend.opened());
    // The clip is 80 ms long; a clip that did not play holds nothing.
    EXPECT_EQ(timeline.events, played ? QStringList{"wait 80"} : QStringList{});
    backend.stop();
}

TEST(QtSoundBackend, FirstBackgroundClipWaitsForTheOutputWithoutHoldingTheCaller)
{
    Timeline timeline;
    FakePacer pacer(timeline);
    QtSoundBackend backend(pacer, kModule);
    EXPECT_TRUE(backend.play(kClipFolder + "begin.wav", false));
    EXPECT_TRUE(backend.waiting());
    EXPECT_FALSE(backend.opened());
    letTheOutputOpen();
    EXPECT_FALSE(backend.waiting());
    EXPECT_TRUE(backend.opened());
    EXPECT_TRUE(timeline.events.isEmpty());
    // Once the output is open, a background clip starts at once and says whether it did.
    const bool played = backend.play(kClipFolder + "btnclick.wav", false);
    if (!hasDevice()) {
        EXPECT_FALSE(played);
    }
    EXPECT_FALSE(backend.waiting());
    backend.stop();
}

TEST(QtSoundBackend, ClipToItsEndOpensTheOutputAtOnceInPlaceOfTheWaitingOne)
{
    Timeline timeline;
    FakePacer pacer(timeline);
    QtSoundBackend backend(pacer, kModule);
    ASSERT_TRUE(backend.play(kClipFolder + "begin.wav", false));
    const bool played = backend.play(kClipFolder + "btnclick.wav", true);
    EXPECT_FALSE(backend.waiting());
    EXPECT_TRUE(backend.opened());
    if (!hasDevice()) {
        EXPECT_FALSE(played);
    }
    EXPECT_EQ(timeline.events, played ? QStringList{"wait 80"} : QStringList{});
    backend.stop();
}

TEST(QtSoundBackend, StoppedOrDamagedClipLeavesTheOutputClosed)
{
    Timeline timeline;
    FakePacer pacer(timeline);
    QtSoundBackend backend(pacer, kModule);
    ASSERT_TRUE(backend.play(kClipFolder + "begin.wav", false));
    backend.stop();
    EXPECT_FALSE(backend.waiting());
    // A damaged clip in place of a waiting one: nothing waits, nothing is opened.
    ASSERT_TRUE(backend.play(kClipFolder + "begin.wav", false));
    EXPECT_FALSE(backend.play(kClipFolder + "missing.wav", false));
    EXPECT_FALSE(backend.waiting());
    letTheOutputOpen();
    EXPECT_FALSE(backend.opened());
}

TEST(QtSoundBackend, WithoutTheModuleEveryClipIsSilent)
{
    Timeline timeline;
    FakePacer pacer(timeline);
    QtSoundBackend backend(pacer, QStringLiteral(TALLORY_BIN_DIR "/no_such_module"));
    EXPECT_FALSE(backend.play(kClipFolder + "btnclick.wav", true));
    EXPECT_TRUE(backend.opened());
    EXPECT_FALSE(backend.play(kClipFolder + "btnclick.wav", false));
    EXPECT_TRUE(timeline.events.isEmpty());
}

TEST(EventLoopPacer, ZeroOrNegativeReturnsWithoutRunningTheLoop)
{
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    EventLoopPacer pacer;
    pacer.wait(0);
    pacer.wait(-20);
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}

TEST(EventLoopPacer, WaitsAtLeastTheTimeWhileTimersRun)
{
    bool ran = false;
    QTimer::singleShot(5, [&ran] { ran = true; });
    EventLoopPacer pacer;
    QElapsedTimer clock;
    clock.start();
    pacer.wait(60);
    EXPECT_GE(clock.elapsed(), 60);
    EXPECT_TRUE(ran);
}

TEST(EventLoopPacer, KeepsRepaintingWhileWaiting)
{
    PaintCounter widget;
    widget.resize(40, 40);
    widget.show();
    EventLoopPacer pacer;
    pacer.wait(50);
    const int afterShow = widget.paints;
    EXPECT_GT(afterShow, 0);
    widget.update();
    pacer.wait(50);
    EXPECT_GT(widget.paints, afterShow);
}
