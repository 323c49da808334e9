// The clips the build synthesises into the program folder: all there, PCM as the game plays
// them, long enough, loud enough, and the same bytes on every run of the synthesiser.

#include "wavreader.h"

#include "testutil.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const QString kClipFolder = QStringLiteral(TALLORY_BIN_DIR "/wav/");

struct ExpectedClip
{
    const char *name;
    qint64 durationMs;
};

// The three loops last half a second beyond their restart phases of 13, 16 and 7 seconds.
const ExpectedClip kClips[] = {
    {"begin", 2000},  {"gong", 2500},    {"fon1", 13500},   {"fon2", 16500},
    {"fon3", 7500},   {"btnclick", 80},  {"pause", 1500},   {"summa", 2000},
    {"change", 800},  {"appl", 2500},    {"yes", 1200},     {"ugadal", 1200},
    {"winner", 1800}, {"MILLION", 4000}, {"false", 1500},   {"final", 2500},
    {"50x50", 800},   {"zal", 2000},     {"ringon", 2500},  {"ringoff", 1200},
};

std::vector<qint16> samplesOf(const QString &path, const WavHeader &header)
{
    const QByteArray bytes = testutil::readBytes(path).mid(header.dataOffset, header.dataSize);
    std::vector<qint16> samples(std::size_t(bytes.size() / 2));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}

int peakOf(const std::vector<qint16> &samples, std::size_t from, std::size_t to)
{
    int peak = 0;
    for (std::size_t i = from; i < to && i < samples.size(); ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    return peak;
}

} // namespace

TEST(Clips, EveryClipIsMono16BitPcmOfItsLength)
{
    for (const ExpectedClip &clip : kClips) {
        const QString path = kClipFolder + clip.name + ".wav";
        const auto header = ReadWavFile(path);
        ASSERT_TRUE(header) << clip.name;
        EXPECT_EQ(header->channels, 1) << clip.name;
        EXPECT_EQ(header->sampleRate, 22050) << clip.name;
        EXPECT_EQ(header->bitsPerSample, 16) << clip.name;
        EXPECT_EQ(header->durationMs, clip.durationMs) << clip.name;
    }
}

TEST(Clips, LoopsOutlastTheirRestartPhases)
{
    EXPECT_GE(ReadWavFile(kClipFolder + "fon1.wav").value_or(WavHeader{}).durationMs, 13000);
    EXPECT_GE(ReadWavFile(kClipFolder + "fon2.wav").value_or(WavHeader{}).durationMs, 16000);
    EXPECT_GE(ReadWavFile(kClipFolder + "fon3.wav").value_or(WavHeader{}).durationMs, 7000);
}

TEST(Clips, PeakIsNearMinusThreeDbfsAndEdgesFadeToSilence)
{
    for (const ExpectedClip &clip : kClips) {
        const QString path = kClipFolder + clip.name + ".wav";
        const auto header = ReadWavFile(path);
        ASSERT_TRUE(header) << clip.name;
        const std::vector<qint16> samples = samplesOf(path, *header);
        // -3 dBFS of full scale is 23197.
        const int peak = peakOf(samples, 0, samples.size());
        EXPECT_GT(peak, 22500) << clip.name;
        EXPECT_LT(peak, 23800) << clip.name;
        EXPECT_LT(std::abs(int(samples.front())), 200) << clip.name;
        EXPECT_LT(std::abs(int(samples.back())), 200) << clip.name;
    }
}

TEST(Clips, LoopsSoundThroughoutWithoutGaps)
{
    for (const char *name : {"fon1", "fon2", "fon3"}) {
        const QString path = kClipFolder + name + ".wav";
        const auto header = ReadWavFile(path);
        ASSERT_TRUE(header) << name;
        const std::vector<qint16> samples = samplesOf(path, *header);
        // Every half second carries sound, so a restart never follows a stretch of silence.
        for (std::size_t at = 0; at + 11025 <= samples.size(); at += 11025)
            EXPECT_GT(peakOf(samples, at, at + 11025), 1000) << name << " at " << at;
    }
}

TEST(Clips, SynthesiserWritesTheSameBytesEveryRun)
{
    QTemporaryDir dir;
    QProcess tool;
    tool.start(QStringLiteral(TALLORY_CLIPS_TOOL), {dir.path()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0);
    for (const ExpectedClip &clip : kClips) {
        const QString file = QString::fromLatin1(clip.name) + ".wav";
        EXPECT_EQ(testutil::readBytes(dir.filePath(file)), testutil::readBytes(kClipFolder + file))
            << clip.name;
    }
}

TEST(Clips, SynthesiserWithoutFolderShowsUsage)
{
    QProcess tool;
    tool.start(QStringLiteral(TALLORY_CLIPS_TOOL), {});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 2);
    EXPECT_TRUE(tool.readAllStandardError().contains("usage: tallory-clips OUTDIR"));
}
