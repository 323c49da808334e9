#pragma once
// The header of a wave file: what the sound device needs and how long the clip lasts. The game
// waits a clip's duration to hold its sequence, so the header is read here rather than trusted
// to a decoder that would only say so once the clip had ended.

#include <QtGlobal>

#include <optional>

class QIODevice;
class QString;

/// A playable PCM wave: its layout and where its samples lie in the file.
struct WavHeader
{
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    qint64 dataOffset = 0;
    /// Bytes of samples present in the file, whole frames only.
    qint64 dataSize = 0;
    /// dataSize in milliseconds, rounded up.
    qint64 durationMs = 0;

    int bytesPerFrame() const { return channels * (bitsPerSample / 8); }
};

/// Reads the header of the wave file at the device's start. Chunks other than "fmt " and
/// "data" are skipped, odd sizes padded. Nothing unless it is uncompressed PCM (format tag 1,
/// or the extensible tag with the PCM subformat) of 8, 16, 24 or 32 bits, 1 or 2 channels,
/// 1000..384000 Hz, with at least one whole frame of samples. A data chunk said to be longer
/// than the file is cut to the frames actually there: recorders that stop abruptly leave such
/// files, and what they hold still plays.
std::optional<WavHeader> ReadWavHeader(QIODevice &device);

/// ReadWavHeader on the file at path; nothing when it cannot be opened.
std::optional<WavHeader> ReadWavFile(const QString &path);
