#pragma once
// The program's sound: wave clips played on the default audio output through Qt Multimedia.

#include "soundbackend.h"

#include <QByteArray>

#include <memory>

class Pacer;
class QAudioSink;
class QBuffer;
struct WavHeader;

/// Plays PCM wave files on the default output, one clip at a time. A clip played to its end
/// holds the caller for the duration its header gives, through the pacer.
class QtSoundBackend final : public SoundBackend
{
public:
    explicit QtSoundBackend(Pacer &pacer);
    ~QtSoundBackend() override;
    QtSoundBackend(const QtSoundBackend &) = delete;
    QtSoundBackend &operator=(const QtSoundBackend &) = delete;

    /// Stops the clip playing, then plays the one at path. False, with nothing played and
    /// nothing waited, when the file is not a PCM wave or no output device takes it.
    bool play(const QString &path, bool toEnd) override;
    /// Stops the clip playing; nothing when none is.
    void stop();

private:
    bool start(const WavHeader &header, QByteArray samples);

    Pacer &m_pacer;
    std::unique_ptr<QBuffer> m_buffer;
    std::unique_ptr<QAudioSink> m_sink;
};
