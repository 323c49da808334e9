#include "track.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kPeak = 0.70795;  // -3 dBFS
constexpr double kFadeSeconds = 0.005;

double tremolo(double hz, double depth, double t)
{
    if (hz <= 0 || depth <= 0)
        return 1;
    return 1 - depth * (0.5 - 0.5 * std::cos(kTwoPi * hz * t));
}

// Glides are exponential, so a pitch falls evenly in semitones.
double sweep(double from, double to, double t, double length)
{
    if (to <= 0 || length <= 0)
        return from;
    return from * std::pow(to / from, std::clamp(t / length, 0.0, 1.0));
}

} // namespace

double Envelope::at(double t, double length, double decayScale) const
{
    const double rise = attack > 0 ? std::min(1.0, t / attack) : 1.0;
    const double fall = decay > 0 ? std::exp(-std::max(0.0, t - attack) * decayScale / decay) : 1.0;
    const double end = release > 0 ? std::clamp((length - t) / release, 0.0, 1.0) : 1.0;
    return rise * fall * end;
}

Random::Random(std::uint64_t seed)
    : m_state(seed ? seed : 0x9E3779B97F4A7C15ull)
{
}

double Random::uniform()
{
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    const std::uint64_t value = m_state * 0x2545F4914F6CDD1Dull;
    return double(value >> 11) * (1.0 / 9007199254740992.0);
}

double Random::between(double low, double high)
{
    return low + (high - low) * uniform();
}

Track::Track(double seconds, std::uint64_t seed)
    : m_samples(std::size_t(std::max(0.0, std::round(seconds * kSampleRate))), 0.0f)
    , m_random(seed)
{
}

void Track::tone(double start, double length, double amp, const Voice &voice)
{
    const int first = frameAt(start);
    const int count = std::min(frameAt(length), int(m_samples.size()) - first);
    std::vector<double> phases(voice.partials.size(), 0.0);
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / kSampleRate;
        double freq = sweep(voice.freq, voice.glideTo, t, length);
        if (voice.vibratoHz > 0)
            freq *= 1 + voice.vibratoDepth * std::sin(kTwoPi * voice.vibratoHz * t);
        double sum = 0;
        for (std::size_t p = 0; p < phases.size(); ++p) {
            const Partial &partial = voice.partials[p];
            const double partialFreq = freq * partial.ratio;
            // Partials above the Nyquist frequency would fold back as noise.
            if (partialFreq < 0.48 * kSampleRate)
                sum += partial.amp * voice.envelope.at(t, length, partial.decayScale)
                     * std::sin(phases[p]);
            phases[p] = std::fmod(phases[p] + kTwoPi * partialFreq / kSampleRate, kTwoPi);
        }
        const double level = amp * tremolo(voice.tremoloHz, voice.tremoloDepth, t);
        m_samples[std::size_t(first + i)] += float(level * sum);
    }
}

void Track::noise(double start, double length, double amp, const NoiseColour &colour)
{
    const int first = frameAt(start);
    const int count = std::min(frameAt(length), int(m_samples.size()) - first);
    Biquad filter(colour.kind);
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / kSampleRate;
        // Retuning every few samples keeps a sweep smooth at a fraction of the cost.
        if (i % 16 == 0)
            filter.tune(sweep(colour.freq, colour.freqTo, t, length), colour.q, kSampleRate);
        const double white = 2 * m_random.uniform() - 1;
        const double level = amp * colour.envelope.at(t, length)
                           * tremolo(colour.tremoloHz, colour.tremoloDepth, t);
        m_samples[std::size_t(first + i)] += float(level * filter.process(white));
    }
}

void Track::master()
{
    // Fading first and scaling after keeps a sound struck at the very start at full level.
    const std::size_t n = m_samples.size();
    const std::size_t fade = std::min(n / 2, std::size_t(kFadeSeconds * kSampleRate));
    for (std::size_t i = 0; i < fade; ++i) {
        const float scale = float(i) / float(fade);
        m_samples[i] *= scale;
        m_samples[n - 1 - i] *= scale;
    }
    float peak = 0;
    for (float s : m_samples)
        peak = std::max(peak, std::abs(s));
    if (peak <= 0)
        return;
    const float gain = float(kPeak / peak);
    for (float &s : m_samples)
        s *= gain;
}

double Track::seconds() const
{
    return double(m_samples.size()) / kSampleRate;
}

Random &Track::random()
{
    return m_random;
}

const std::vector<float> &Track::samples() const
{
    return m_samples;
}

int Track::frameAt(double seconds) const
{
    const double frame = std::round(std::max(0.0, seconds) * kSampleRate);
    return int(std::min(frame, double(m_samples.size())));
}
