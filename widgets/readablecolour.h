#pragma once
// Contrast of a text against its background, as the accessibility guidelines (WCAG 2) measure
// it, and the shade of a background that makes a text readable on it.

#include <QColor>

/// The contrast the guidelines ask of every text at level AA: 4.5 to 1.
inline constexpr double kReadableContrast = 4.5;

/// The relative luminance of a colour: 0 for black, 1 for white.
double RelativeLuminance(const QColor &colour);

/// The contrast ratio of two colours, from 1 (the same) to 21 (black and white).
double ContrastRatio(const QColor &a, const QColor &b);

/// A shade of colour step 255ths of the way away from text: towards black behind a lighter text,
/// towards white behind a darker one; the hue is kept. Step 0 is colour itself.
QColor ShadeAwayFrom(const QColor &colour, const QColor &text, int step);

/// The background nearest to background, of the same hue, on which text reads at least at
/// kReadableContrast: background itself when it already does, else a darker shade of it
/// behind a lighter text (a lighter one behind a darker text), as little darker as will do.
QColor ReadableBackground(const QColor &background, const QColor &text);
