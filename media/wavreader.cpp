#include "wavreader.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>

#include <climits>

namespace {

constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatExtensible = 0xFFFE;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;

// The tail shared by every KSDATAFORMAT_SUBTYPE GUID; its first two bytes hold the format tag.
constexpr char kSubtypeTail[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71";

quint32 le32(const QByteArray &bytes, int at)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 le16(const QByteArray &bytes, int at)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + at);
    return quint16(p[0] | p[1] << 8);
}

QByteArray readAt(QIODevice &device, qint64 offset, qint64 length)
{
    if (!device.seek(offset))
        return {};
    return device.read(length);
}

// The effective format tag of a "fmt " chunk: the extensible header names it in its subformat.
quint16 formatTag(const QByteArray &fmt)
{
    const quint16 tag = le16(fmt, 0);
    if (tag != kFormatExtensible)
        return tag;
    // cbSize (22) and the 16-byte subformat GUID follow the 16 plain bytes.
    if (fmt.size() < 40 || le16(fmt, 16) < 22)
        return 0;
    if (fmt.mid(26, 14) != QByteArray(kSubtypeTail, 14))
        return 0;
    return le16(fmt, 24);
}

// Fills the layout fields from a "fmt " chunk; false when it is not a PCM layout we can play.
bool readFormat(const QByteArray &fmt, WavHeader &header)
{
    if (fmt.size() < 16 || formatTag(fmt) != kFormatPcm)
        return false;
    header.channels = le16(fmt, 2);
    header.sampleRate = int(qMin<quint32>(le32(fmt, 4), INT_MAX));
    header.bitsPerSample = le16(fmt, 14);
    const int blockAlign = le16(fmt, 12);
    const int bits = header.bitsPerSample;
    if (header.channels < 1 || header.channels > 2)
        return false;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    if (header.sampleRate < kMinRate || header.sampleRate > kMaxRate)
        return false;
    // A block size other than the frame size means the header was damaged.
    return blockAlign == header.bytesPerFrame();
}

// Walks the chunks after the RIFF header: reads the format into header and finds where the
// samples start and how long their chunk says it is. False without a playable format or data.
bool walkChunks(QIODevice &device, WavHeader &header, qint64 &declaredData)
{
    bool haveFormat = false;
    bool haveData = false;
    // The RIFF size is often wrong in files written by careless tools; the file's own size
    // bounds the walk instead.
    const qint64 fileSize = device.size();
    for (qint64 at = 12; at + 8 <= fileSize && !(haveFormat && haveData);) {
        const QByteArray chunk = readAt(device, at, 8);
        if (chunk.size() < 8)
            break;
        const quint32 size = le32(chunk, 4);
        const QByteArray id = chunk.left(4);
        if (id == "fmt ") {
            if (!readFormat(readAt(device, at + 8, qMin<quint32>(size, 64)), header))
                return false;
            haveFormat = true;
        } else if (id == "data" && !haveData) {
            header.dataOffset = at + 8;
            declaredData = size;
            haveData = true;
        }
        // Chunks are word-aligned: an odd size is followed by a pad byte.
        at += 8 + qint64(size) + (size & 1);
    }
    return haveFormat && haveData;
}

} // namespace

std::optional<WavHeader> ReadWavHeader(QIODevice &device)
{
    const QByteArray riff = readAt(device, 0, 12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return std::nullopt;
    WavHeader header;
    qint64 declaredData = 0;
    if (!walkChunks(device, header, declaredData))
        return std::nullopt;
    const qint64 present = qBound<qint64>(0, device.size() - header.dataOffset, declaredData);
    header.dataSize = present - present % header.bytesPerFrame();
    if (header.dataSize <= 0)
        return std::nullopt;
    const qint64 bytesPerSecond = qint64(header.sampleRate) * header.bytesPerFrame();
    header.durationMs = (header.dataSize * 1000 + bytesPerSecond - 1) / bytesPerSecond;
    return header;
}

std::optional<WavHeader> ReadWavFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ReadWavHeader(file);
}
