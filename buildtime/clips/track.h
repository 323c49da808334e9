#pragma once
// A mono clip being composed: tones and filtered noise are added into it at given times, then
// it is mastered to a common loudness. Everything is deterministic: the noise comes from a
// generator seeded per clip, so every build writes the same bytes.

#include "biquad.h"

#include <cstdint>
#include <vector>

constexpr int kSampleRate = 22050;

/// The loudness contour of one sound: a linear rise, an exponential fall, a linear release.
struct Envelope
{
    double attack = 0.005;  ///< seconds to full level
    double decay = 0;       ///< time constant of the fall after the attack; 0 holds the level
    double release = 0.02;  ///< seconds falling to silence before the sound's end

    /// The level at t seconds into a sound of length seconds; decayScale speeds the fall.
    double at(double t, double length, double decayScale = 1) const;
};

/// One sine component of a tone, as a multiple of the tone's frequency.
struct Partial
{
    double ratio = 1;
    double amp = 1;
    double decayScale = 1;  ///< higher partials of struck sounds die sooner
};

/// A pitched sound: partials over a frequency that may glide and waver.
struct Voice
{
    double freq = 440;
    double glideTo = 0;         ///< frequency reached at the end; 0 keeps it
    std::vector<Partial> partials{Partial{}};
    Envelope envelope;
    double vibratoHz = 0;
    double vibratoDepth = 0;    ///< fraction of the frequency
    double tremoloHz = 0;
    double tremoloDepth = 0;    ///< 0..1 of the level
};

/// White noise through a filter whose frequency may sweep.
struct NoiseColour
{
    FilterKind kind = FilterKind::BandPass;
    double freq = 1000;
    double freqTo = 0;          ///< frequency reached at the end; 0 keeps it
    double q = 0.7;
    Envelope envelope;
    double tremoloHz = 0;
    double tremoloDepth = 0;
};

/// A small fixed-seed generator (xorshift64*): the same numbers on every platform.
class Random
{
public:
    explicit Random(std::uint64_t seed);
    /// Uniform in [0, 1).
    double uniform();
    /// Uniform in [low, high).
    double between(double low, double high);

private:
    std::uint64_t m_state;
};

/// The samples of one clip, in the range -1..1 once mastered.
class Track
{
public:
    Track(double seconds, std::uint64_t seed);

    /// Adds voice from start for length seconds, scaled by amp; cut at the track's end.
    void tone(double start, double length, double amp, const Voice &voice);
    /// Adds filtered noise from start for length seconds, scaled by amp.
    void noise(double start, double length, double amp, const NoiseColour &colour);
    /// Scales the peak to -3 dBFS and fades the first and last 5 ms so the clip starts and
    /// ends without a click.
    void master();

    double seconds() const;
    Random &random();
    const std::vector<float> &samples() const;

private:
    int frameAt(double seconds) const;

    std::vector<float> m_samples;
    Random m_random;
};
