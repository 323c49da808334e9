#include "biquad.h"

#include <algorithm>
#include <cmath>
#include <numbers>

Biquad::Biquad(FilterKind kind)
    : m_kind(kind)
{
}

void Biquad::tune(double freq, double q, double sampleRate)
{
    // Near the Nyquist frequency the coefficients lose their meaning.
    const double f = std::clamp(freq, 10.0, 0.45 * sampleRate);
    const double w0 = 2 * std::numbers::pi * f / sampleRate;
    const double cosw = std::cos(w0);
    const double alpha = std::sin(w0) / (2 * std::max(q, 0.05));
    const double a0 = 1 + alpha;
    switch (m_kind) {
    case FilterKind::LowPass:
        m_b0 = (1 - cosw) / 2 / a0;
        m_b1 = (1 - cosw) / a0;
        m_b2 = m_b0;
        break;
    case FilterKind::HighPass:
        m_b0 = (1 + cosw) / 2 / a0;
        m_b1 = -(1 + cosw) / a0;
        m_b2 = m_b0;
        break;
    case FilterKind::BandPass:
        m_b0 = alpha / a0;
        m_b1 = 0;
        m_b2 = -alpha / a0;
        break;
    }
    m_a1 = -2 * cosw / a0;
    m_a2 = (1 - alpha) / a0;
}

double Biquad::process(double x)
{
    // Transposed direct form II: two state values, well behaved when retuned.
    const double y = m_b0 * x + m_z1;
    m_z1 = m_b1 * x - m_a1 * y + m_z2;
    m_z2 = m_b2 * x - m_a2 * y;
    return y;
}
