// The Qt player refuses what is not a PCM wave without holding the game, and plays a good clip
// only when a device takes it; the event-loop pacer waits, keeping timers and paints alive.

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
    QtSoundBackend backend(pacer);
    for (const char *name : {"damaged.wav", "garbage.wav", "cut.wav", "missing.wav"}) {
        EXPECT_FALSE(backend.play(dir.filePath(name), true)) << name;
        EXPECT_FALSE(backend.play(dir.filePath(name), false)) << name;
    }
    EXPECT_TRUE(timeline.events.isEmpty());
}

TEST(QtSoundBackend, GoodClipPlaysOnlyWhenADeviceTakesItAndWaitsItsDuration)
{
    Timeline timeline;
    FakePacer pacer(timeline);
    QtSoundBackend backend(pacer);
    const bool played = backend.play(kClipFolder + "btnclick.wav", true);
    if (QMediaDevices::defaultAudioOutput().isNull())
        EXPECT_FALSE(played);
    // The clip is 80 ms long; a clip that did not play holds nothing.
    EXPECT_EQ(timeline.events, played ? QStringList{"wait 80"} : QStringList{});
    backend.stop();
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
