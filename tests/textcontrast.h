#pragma once
// The contrast of a text against its background, read from the pixels of a widget as it is
// drawn: which pixels are the text, which the background behind it, and their ratio.

#include "readablecolour.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>

namespace textcontrast {

/// The guidelines' level AA for text, stated here and not taken from the program: a program
/// that lowered its own bar would otherwise pass every test measured against that bar.
inline constexpr double kGuidelineRatio = 4.5;

/// A text's colour, the background it is read against, and their contrast ratio.
struct Reading {
    QColor text;
    QColor background;
    double ratio = 0; ///< 0 when no text was found
};

/// A text on a background of one colour: the background is the colour most of the area is
/// painted in, the text the pixel that stands out from it most (anti-aliased edges stand out
/// less than the text's own colour).
inline Reading onPlain(const QImage &image, QRect area = {})
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    area = area.isNull() ? rgb.rect() : area.intersected(rgb.rect());
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[rgb.pixel(x, y)];
    }
    Reading r;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            r.background = QColor(it.key());
        }
    }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double ratio = ContrastRatio(QColor(it.key()), r.background);
        if (ratio > r.ratio && QColor(it.key()) != r.background) {
            r.ratio = ratio;
            r.text = QColor(it.key());
        }
    }
    return r;
}

/// A text on a background that changes under it (a gradient, a picture): the same widget drawn
/// with and without its text. The text's pixels are those that differ; its colour the one that
/// stands out most from what lies under it; the background the colour under the text's box
/// that is closest to the text's, the worst place a letter can stand.
inline Reading onPicture(const QImage &withText, const QImage &withoutText)
{
    const QImage with = withText.convertToFormat(QImage::Format_RGB32);
    const QImage without = withoutText.convertToFormat(QImage::Format_RGB32);
    Reading r;
    if (with.size() != without.size())
        return r;
    QRect box;
    double strongest = 0;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            if (with.pixel(x, y) == without.pixel(x, y))
                continue;
            box |= QRect(x, y, 1, 1);
            const double ratio = ContrastRatio(QColor(with.pixel(x, y)), QColor(without.pixel(x, y)));
            if (ratio > strongest) {
                strongest = ratio;
                r.text = QColor(with.pixel(x, y));
            }
        }
    }
    if (box.isNull())
        return r;
    r.ratio = 1e9;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const double ratio = ContrastRatio(r.text, QColor(without.pixel(x, y)));
            if (ratio < r.ratio) {
                r.ratio = ratio;
                r.background = QColor(without.pixel(x, y));
            }
        }
    }
    return r;
}

} // namespace textcontrast
