#include "readablecolour.h"

#include <cmath>

namespace {

double linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.red()) + 0.7152 * linear(rgb.green()) + 0.0722 * linear(rgb.blue());
}

double ContrastRatio(const QColor &a, const QColor &b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ShadeAwayFrom(const QColor &colour, const QColor &text, int step)
{
    // Scaling every channel by one factor keeps the hue: the colour a sighted student knows,
    // only deeper (or paler).
    const QColor rgb = colour.toRgb();
    const bool towardsWhite = RelativeLuminance(text) < RelativeLuminance(rgb);
    const auto channel = [&](int c) {
        return towardsWhite ? c + (255 - c) * step / 255 : c * (255 - step) / 255;
    };
    return QColor(channel(rgb.red()), channel(rgb.green()), channel(rgb.blue()));
}

QColor ReadableBackground(const QColor &background, const QColor &text)
{
    // The least step that reads.
    for (int step = 0; step < 255; ++step) {
        const QColor candidate = ShadeAwayFrom(background, text, step);
        if (ContrastRatio(candidate, text) >= kReadableContrast)
            return candidate;
    }
    return ShadeAwayFrom(background, text, 255);
}
