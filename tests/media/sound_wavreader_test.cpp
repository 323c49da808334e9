// The wave header reader on files built byte by byte: what plays, how long, and what is refused.

#include "wavreader.h"

#include "testutil.h"

#include <QBuffer>
#include <QList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray le16(quint16 v)
{
    return QByteArray(1, char(v & 0xFF)) + char(v >> 8);
}

QByteArray le32(quint32 v)
{
    return le16(quint16(v & 0xFFFF)) + le16(quint16(v >> 16));
}

struct Chunk
{
    QByteArray id;
    QByteArray body;
    qint64 declared = -1;  // a size other than the body's, for damaged files
};

QByteArray fmtBody(quint16 tag, int channels, int rate, int bits)
{
    const int frame = channels * bits / 8;
    return le16(tag) + le16(quint16(channels)) + le32(quint32(rate)) + le32(quint32(rate * frame))
           + le16(quint16(frame)) + le16(quint16(bits));
}

QByteArray extensibleBody(int channels, int rate, int bits, quint16 subformat)
{
    const QByteArray guidTail("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    return fmtBody(0xFFFE, channels, rate, bits) + le16(22) + le16(quint16(bits)) + le32(4)
           + le16(subformat) + guidTail;
}

QByteArray riff(const QList<Chunk> &chunks)
{
    QByteArray body = "WAVE";
    for (const Chunk &chunk : chunks) {
        body += chunk.id + le32(quint32(chunk.declared >= 0 ? chunk.declared : chunk.body.size()));
        body += chunk.body;
        if (chunk.body.size() % 2)
            body += '\0';
    }
    return "RIFF" + le32(quint32(body.size())) + body;
}

QByteArray pcm(int channels, int rate, int bits, int dataBytes)
{
    return riff({{"fmt ", fmtBody(1, channels, rate, bits)},
                 {"data", QByteArray(dataBytes, '\x40')}});
}

std::optional<WavHeader> parse(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadWavHeader(buffer);
}

} // namespace

TEST(WavReader, ReadsMono16BitLayoutAndExactDuration)
{
    const auto header = parse(pcm(1, 22050, 16, 44100));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->channels, 1);
    EXPECT_EQ(header->sampleRate, 22050);
    EXPECT_EQ(header->bitsPerSample, 16);
    EXPECT_EQ(header->dataOffset, 44);
    EXPECT_EQ(header->dataSize, 44100);
    EXPECT_EQ(header->durationMs, 1000);
}

TEST(WavReader, ReadsStereo8BitAndRoundsDurationUp)
{
    // 5513 frames of two bytes at 11025 Hz: 500.05 ms.
    const auto header = parse(pcm(2, 11025, 8, 11026));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->channels, 2);
    EXPECT_EQ(header->bitsPerSample, 8);
    EXPECT_EQ(header->dataSize, 11026);
    EXPECT_EQ(header->durationMs, 501);
}

TEST(WavReader, SkipsListChunkWithOddSizeBeforeData)
{
    const QByteArray bytes = riff({{"fmt ", fmtBody(1, 1, 8000, 16)}, {"LIST", "INFOx"},
                                   {"data", QByteArray(16000, '\1')}});
    const auto header = parse(bytes);
    ASSERT_TRUE(header);
    // RIFF header 12, fmt 8 + 16, LIST 8 + 5 + 1 pad, data header 8.
    EXPECT_EQ(header->dataOffset, 58);
    EXPECT_EQ(header->durationMs, 1000);
}

TEST(WavReader, OddSizedDataFollowedByAnotherChunkKeepsItsOwnSize)
{
    const QByteArray bytes = riff({{"fmt ", fmtBody(1, 1, 8000, 8)},
                                   {"data", QByteArray(8001, '\x80')},
                                   {"LIST", QByteArray(40, 'z')}});
    const auto header = parse(bytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->dataSize, 8001);
    EXPECT_EQ(header->durationMs, 1001);
}

TEST(WavReader, DataBeforeFormatIsStillFound)
{
    const QByteArray bytes = riff({{"data", QByteArray(4000, '\1')},
                                   {"fmt ", fmtBody(1, 1, 4000, 8)}});
    const auto header = parse(bytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->dataOffset, 20);
    EXPECT_EQ(header->durationMs, 1000);
}

TEST(WavReader, ReadsExtensibleHeaderWithPcmSubformat)
{
    const auto header = parse(riff({{"fmt ", extensibleBody(2, 48000, 16, 1)},
                                    {"data", QByteArray(48000 * 4 / 4, '\0')}}));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->channels, 2);
    EXPECT_EQ(header->sampleRate, 48000);
    EXPECT_EQ(header->durationMs, 250);
}

TEST(WavReader, Reads24BitSamples)
{
    const auto header = parse(pcm(1, 8000, 24, 24000));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->bitsPerSample, 24);
    EXPECT_EQ(header->durationMs, 1000);
}

TEST(WavReader, RefusesCompressedAndFloatFormats)
{
    const QByteArray data(8000, '\0');
    EXPECT_FALSE(parse(riff({{"fmt ", fmtBody(2, 1, 8000, 16)}, {"data", data}})));
    EXPECT_FALSE(parse(riff({{"fmt ", fmtBody(3, 1, 8000, 32)}, {"data", data}})));
    EXPECT_FALSE(parse(riff({{"fmt ", extensibleBody(1, 8000, 32, 3)}, {"data", data}})));
}

TEST(WavReader, RefusesLayoutsItCannotPlay)
{
    const QByteArray data(8000, '\0');
    EXPECT_FALSE(parse(riff({{"fmt ", fmtBody(1, 3, 8000, 16)}, {"data", data}})));
    EXPECT_FALSE(parse(riff({{"fmt ", fmtBody(1, 1, 8000, 12)}, {"data", data}})));
    EXPECT_FALSE(parse(riff({{"fmt ", fmtBody(1, 1, 0, 16)}, {"data", data}})));
    QByteArray badAlign = fmtBody(1, 1, 8000, 16);
    badAlign[12] = 3;
    EXPECT_FALSE(parse(riff({{"fmt ", badAlign}, {"data", data}})));
    EXPECT_FALSE(parse(riff({{"fmt ", fmtBody(1, 1, 8000, 16).left(14)}, {"data", data}})));
}

TEST(WavReader, RefusesGarbageAndTruncatedHeaders)
{
    EXPECT_FALSE(parse(QByteArray()));
    EXPECT_FALSE(parse(QByteArray("this is not a wave file at all, only some text")));
    const QByteArray good = pcm(1, 8000, 16, 16000);
    EXPECT_FALSE(parse(good.left(11)));
    EXPECT_FALSE(parse(good.left(30)));
    EXPECT_FALSE(parse(good.left(44)));
    QByteArray rifx = good;
    rifx[3] = 'X';
    EXPECT_FALSE(parse(rifx));
}

TEST(WavReader, RefusesMissingOrEmptyChunks)
{
    EXPECT_FALSE(parse(riff({{"fmt ", fmtBody(1, 1, 8000, 16)}, {"LIST", "INFO"}})));
    EXPECT_FALSE(parse(riff({{"data", QByteArray(100, '\0')}})));
    EXPECT_FALSE(parse(riff({{"fmt ", fmtBody(1, 1, 8000, 16)}, {"data", QByteArray()}})));
    // Less than one whole frame of samples.
    EXPECT_FALSE(parse(riff({{"fmt ", fmtBody(1, 2, 8000, 16)}, {"data", "abc"}})));
}

TEST(WavReader, CutsDataChunkLongerThanTheFileToWholeFramesPresent)
{
    // Stereo 16-bit frames are 4 bytes: of the 22050 bytes present, 22048 make whole frames.
    const QByteArray bytes = riff({{"fmt ", fmtBody(1, 2, 22050, 16)},
                                   {"data", QByteArray(22050, '\1'), 88200}});
    const auto header = parse(bytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->dataSize, 22048);
    EXPECT_EQ(header->durationMs, 250);
}

TEST(WavReader, ReadsFilesAndRefusesEmptyOrMissingOnes)
{
    QTemporaryDir dir;
    testutil::writeBytes(dir.filePath("good.wav"), pcm(1, 8000, 8, 4000));
    testutil::writeBytes(dir.filePath("empty.wav"), QByteArray());
    const auto header = ReadWavFile(dir.filePath("good.wav"));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->durationMs, 500);
    EXPECT_FALSE(ReadWavFile(dir.filePath("empty.wav")));
    EXPECT_FALSE(ReadWavFile(dir.filePath("missing.wav")));
    EXPECT_FALSE(ReadWavFile(dir.path()));
}
