#include "qtsoundbackend.h"

#include "pacer.h"
#include "wavreader.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QFile>
#include <QMediaDevices>

#include <climits>

namespace {

// 24-bit samples have no Qt sample format: each is widened to 32 bits, its low byte zero.
QByteArray widen24(const QByteArray &samples)
{
    QByteArray wide;
    wide.reserve(samples.size() / 3 * 4);
    for (qsizetype i = 0; i + 2 < samples.size(); i += 3) {
        wide.append('\0');
        wide.append(samples.constData() + i, 3);
    }
    return wide;
}

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

// The sample bytes of the file's data chunk, as the sink takes them; empty when unreadable.
QByteArray readSamples(QFile &file, const WavHeader &header)
{
    if (!file.seek(header.dataOffset))
        return {};
    QByteArray samples = file.read(header.dataSize);
    if (samples.size() != header.dataSize)
        return {};
    return header.bitsPerSample == 24 ? widen24(samples) : samples;
}

} // namespace

QtSoundBackend::QtSoundBackend(Pacer &pacer)
    : m_pacer(pacer)
{
}

QtSoundBackend::~QtSoundBackend()
{
    stop();
}

bool QtSoundBackend::play(const QString &path, bool toEnd)
{
    stop();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const std::optional<WavHeader> header = ReadWavHeader(file);
    if (!header)
        return false;
    // The samples are held in memory: clips are short, and the sink must not run on into
    // whatever chunks follow the data in the file.
    QByteArray samples = readSamples(file, *header);
    if (samples.isEmpty() || !start(*header, std::move(samples)))
        return false;
    if (toEnd)
        m_pacer.wait(int(qMin<qint64>(header->durationMs, INT_MAX)));
    return true;
}

bool QtSoundBackend::start(const WavHeader &header, QByteArray samples)
{
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

void QtSoundBackend::stop()
{
    // The sink reads from the buffer until stopped, so it goes first.
    if (m_sink)
        m_sink->stop();
    m_sink.reset();
    m_buffer.reset();
}
