// The module "tallory_sound": the default audio output through Qt Multimedia. The program
// loads it with its first clip (see qtsoundbackend.cpp).

#include "soundoutput.h"
#include "wavreader.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>

#include <memory>

namespace {

QAudioFormat audioFormat(const WavHeader &header)
{
    QAudioFormat format;
    format.setSampleRate(header.sampleRate);
    format.setChannelCount(header.channels);
    switch (header.bitsPerSample) {
    case 8:
        format.setSampleFormat(QAudioFormat::UInt8);
        break;
    case 16:
        format.setSampleFormat(QAudioFormat::Int16);
        break;
    default:
        format.setSampleFormat(QAudioFormat::Int32);
        break;
    }
    return format;
}

class QtSoundOutput final : public SoundOutput
{
public:
    ~QtSoundOutput() override { stop(); }

    bool start(const WavHeader &header, const QByteArray &samples) override
    {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        const QAudioFormat format = audioFormat(header);
        if (device.isNull() || !device.isFormatSupported(format))
            return false;
        m_buffer = std::make_unique<QBuffer>();
        m_buffer->setData(samples);
        m_buffer->open(QIODevice::ReadOnly);
        m_sink = std::make_unique<QAudioSink>(device, format);
        m_sink->start(m_buffer.get());
        if (m_sink->error() == QAudio::NoError)
            return true;
        stop();
        return false;
    }

    void stop() override
    {
        // The sink reads from the buffer until stopped, so it goes first.
        if (m_sink)
            m_sink->stop();
        m_sink.reset();
        m_buffer.reset();
    }

private:
    std::unique_ptr<QBuffer> m_buffer;
    std::unique_ptr<QAudioSink> m_sink;
};

} // namespace

extern "C" Q_DECL_EXPORT SoundOutput *tallory_sound_output()
{
    return new QtSoundOutput;
}
