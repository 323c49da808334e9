#pragma once
// A second-order filter (the audio cookbook's low-pass, high-pass and band-pass) that can be
// retuned while it runs, for noise swept across the spectrum.

enum class FilterKind { LowPass, HighPass, BandPass };

/// One biquad section on double samples.
class Biquad
{
public:
    explicit Biquad(FilterKind kind);
    /// Sets the corner (or centre) frequency in Hz and the quality; the state is kept so that
    /// a sweep stays smooth.
    void tune(double freq, double q, double sampleRate);
    double process(double x);

private:
    FilterKind m_kind;
    double m_b0 = 1, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
    double m_z1 = 0, m_z2 = 0;
};
