// The wave header reader on any bytes: a header it accepts describes whole frames of a playable
// layout that lie inside the file, and a duration that matches them.

#include "fuzzcheck.h"
#include "wavreader.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    const std::optional<WavHeader> h = ReadWavHeader(device);
    if (!h)
        return 0;
    FUZZ_CHECK(h->channels == 1 || h->channels == 2);
    FUZZ_CHECK(h->bitsPerSample == 8 || h->bitsPerSample == 16 || h->bitsPerSample == 24 || h->bitsPerSample == 32);
    FUZZ_CHECK(h->sampleRate >= 1000 && h->sampleRate <= 384000);
    FUZZ_CHECK(h->dataOffset >= 20 && h->dataSize > 0);
    FUZZ_CHECK(h->dataOffset + h->dataSize <= bytes.size());
    FUZZ_CHECK(h->dataSize % h->bytesPerFrame() == 0);
    const qint64 bytesPerSecond = qint64(h->sampleRate) * h->bytesPerFrame();
    // The duration is rounded up to the next millisecond.
    FUZZ_CHECK(h->durationMs * bytesPerSecond >= h->dataSize * 1000);
    FUZZ_CHECK((h->durationMs - 1) * bytesPerSecond < h->dataSize * 1000);
    return 0;
}
