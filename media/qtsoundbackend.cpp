#include "qtsoundbackend.h"

#include "module.h"
#include "pacer.h"
#include "soundoutput.h"
#include "wavreader.h"

#include <QCoreApplication>
#include <QFile>

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

// The sample bytes of the file's data chunk, as the output takes them; empty when unreadable.
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

/// A clip read whole: clips are short, and the output must not run on into whatever chunks
/// follow the data in the file.
struct QtSoundBackend::Clip
{
    WavHeader header;
    QByteArray samples;
};

QtSoundBackend::QtSoundBackend(Pacer &pacer, const QString &modulePath)
    : m_pacer(pacer),
      m_modulePath(modulePath.isEmpty() ? ModulePath(QStringLiteral("tallory_sound")) : modulePath)
{
    m_openTimer.setSingleShot(true);
    m_openTimer.setInterval(kOpenDelayMs);
    m_openTimer.callOnTimeout([this] { startWaiting(); });
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
    auto clip = std::make_unique<Clip>(Clip{*header, readSamples(file, *header)});
    if (clip->samples.isEmpty())
        return false;
    if (!toEnd && !m_opened) {
        m_waiting = std::move(clip);
        m_openTimer.start();
        return true;
    }
    if (!start(*clip))
        return false;
    if (toEnd)
        m_pacer.wait(int(qMin<qint64>(header->durationMs, INT_MAX)));
    return true;
}

bool QtSoundBackend::start(const Clip &clip)
{
    SoundOutput *device = output();
    return device && device->start(clip.header, clip.samples);
}

void QtSoundBackend::startWaiting()
{
    const std::unique_ptr<Clip> clip = std::move(m_waiting);
    if (clip)
        start(*clip);
}

SoundOutput *QtSoundBackend::output()
{
    // Opened once: where there is no output, later clips find none either.
    if (!m_opened) {
        m_opened = true;
        const auto entry =
            reinterpret_cast<SoundOutputEntry>(ModuleEntry(m_modulePath, kSoundOutputEntry, "The sound output"));
        if (entry)
            m_output.reset(entry());
    }
    return m_output.get();
}

void QtSoundBackend::stop()
{
    m_openTimer.stop();
    m_waiting.reset();
    if (m_output)
        m_output->stop();
}
