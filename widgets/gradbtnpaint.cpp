// The button's face: gradient patterns, bevel, caption copies and focus rectangle, composed in
// the private image and copied to the screen in one transfer.

#include "gradbtn.h"

#include "readablecolour.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

using Steps = QList<TGradBtn::GradientStep>;

// A one-byte channel of a step; the bytes are used as they are, whatever colour they came from.
int stepChannel(int begin, int end, int step, int steps)
{
    return begin + TGradBtn::ScaleDiv(step, end - begin, steps);
}

// 256 bands across (columns) or down (rows): band i covers ScaleDiv(i, n, 256) up to the next.
Steps bands(bool columns, QSize size, const QColor &begin, const QColor &end)
{
    Steps steps;
    const int length = columns ? size.width() : size.height();
    for (int i = 0; i <= 255; ++i) {
        const int from = TGradBtn::ScaleDiv(i, length, 256);
        const int to = TGradBtn::ScaleDiv(i + 1, length, 256);
        const QRect band = columns ? QRect(from, 0, to - from, size.height())
                                   : QRect(0, from, size.width(), to - from);
        steps.append({TGradBtn::StepColor(begin, end, i, 255), band, QRect()});
    }
    return steps;
}

// 51 ellipses shrinking from a box a third larger than the face on every side to its centre.
Steps ellipses(QSize size, const QColor &begin, const QColor &end)
{
    Steps steps;
    const int w = size.width();
    const int h = size.height();
    const int x0 = -(w / 3), x1 = w + w / 3, y0 = -(h / 3), y1 = h + h / 3;
    for (int i = 0; i <= 50; ++i) {
        const int dx = TGradBtn::ScaleDiv(i, x1 - x0, 100);
        const int dy = TGradBtn::ScaleDiv(i, y1 - y0, 100);
        // A shape filled without an outline stops one pixel short of its right and bottom.
        const QRect box(QPoint(x0 + dx, y0 + dy), QPoint(x1 - dx - 2, y1 - dy - 2));
        steps.append({TGradBtn::StepColor(begin, end, i, 50), box, QRect()});
    }
    return steps;
}

// 256 nested rectangles whose edges creep inward by fractional steps, truncated for drawing.
Steps rectangles(QSize size, const QColor &begin, const QColor &end)
{
    Steps steps;
    const double sx = size.width() / 2.0 / 255.0;
    const double sy = size.height() / 2.0 / 255.0;
    double left = 0, top = 0, right = size.width() + 2, bottom = size.height() + 2;
    for (int i = 0; i <= 255; ++i) {
        left += sx;
        top += sy;
        right -= sx;
        bottom -= sy;
        const QRect box(QPoint(int(left), int(top)), QPoint(int(right) - 2, int(bottom) - 2));
        steps.append({TGradBtn::StepColor(begin, end, i, 255), box, QRect()});
    }
    return steps;
}

// One-pixel rows (or columns) from both edges towards the middle.
Steps mirrored(bool columns, QSize size, const QColor &begin, const QColor &end)
{
    Steps steps;
    const int length = columns ? size.width() : size.height();
    const int half = length / 2;
    for (int i = 0; i <= half; ++i) {
        const int far = length - 1 - i;
        const QRect near = columns ? QRect(i, 0, 1, size.height()) : QRect(0, i, size.width(), 1);
        const QRect mirror = columns ? QRect(far, 0, 1, size.height()) : QRect(0, far, size.width(), 1);
        steps.append({TGradBtn::StepColor(begin, end, i, half), near, mirror});
    }
    return steps;
}

// Shapes that have shrunk past nothing are skipped rather than drawn turned inside out.
void fillShape(QPainter &painter, const QRect &shape, const QColor &color)
{
    if (shape.isValid())
        painter.fillRect(shape, color);
}

} // namespace

int TGradBtn::ScaleDiv(int first, int second, int third)
{
    if (third == 0)
        return 0;
    return int(qint64(first) * second / third); // C++ division truncates toward zero
}

QColor TGradBtn::StepColor(const QColor &begin, const QColor &end, int step, int steps)
{
    if (steps == 0)
        return begin;
    return QColor(stepChannel(begin.red(), end.red(), step, steps),
                  stepChannel(begin.green(), end.green(), step, steps),
                  stepChannel(begin.blue(), end.blue(), step, steps));
}

QList<TGradBtn::GradientStep> TGradBtn::GradientSteps(TGradientStyle style, QSize size,
                                                      const QColor &begin, const QColor &end)
{
    switch (style) {
    case gsHorizontal: return bands(true, size, begin, end);
    case gsVertical: return bands(false, size, begin, end);
    case gsElliptic: return ellipses(size, begin, end);
    case gsRectangle: return rectangles(size, begin, end);
    case gsVertCenter: return mirrored(false, size, begin, end);
    case gsHorizCenter: return mirrored(true, size, begin, end);
    }
    return {};
}

TGradBtn::PlainCaption TGradBtn::MakePlainCaption(const QString &caption)
{
    PlainCaption plain;
    const qsizetype n = caption.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = caption.at(i);
        if (c != QLatin1Char('&') || i + 1 == n) {
            plain.text.append(c);
            continue;
        }
        ++i; // the mark itself is never shown
        if (caption.at(i) != QLatin1Char('&') && plain.accel < 0)
            plain.accel = plain.text.size();
        plain.text.append(caption.at(i));
    }
    return plain;
}

void TGradBtn::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    composeFace();
    QPainter(this).drawImage(0, 0, m_offscreen);
}

void TGradBtn::composeFace()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_offscreen.size() != pixels)
        m_offscreen = QImage(pixels, QImage::Format_RGB32);
    m_offscreen.setDevicePixelRatio(ratio);

    const bool pressed = !m_isUp;
    const bool swap = pressed && m_swapColors;
    QPainter painter(&m_offscreen);
    painter.setFont(font());
    paintGradient(painter, swap ? m_endColor : m_beginColor, swap ? m_beginColor : m_endColor);
    paintBevel(painter, pressed);
    paintCaption(painter, pressed ? 1 : 0);
    painter.end();
    if (!m_designing && m_showFocus && hasFocus())
        paintFocusRect();
}

void TGradBtn::paintGradient(QPainter &painter, const QColor &begin, const QColor &end)
{
    // The outermost colour first, under any edge a pattern does not reach (the nested
    // rectangles of a face wider than 510 pixels start one pixel in).
    painter.fillRect(rect(), begin);
    painter.setPen(Qt::NoPen);
    const bool ellipse = m_gradientStyle == gsElliptic;
    for (const GradientStep &step : GradientSteps(m_gradientStyle, size(), begin, end)) {
        painter.setBrush(step.color);
        if (ellipse) {
            if (step.shape.isValid())
                painter.drawEllipse(step.shape);
            continue;
        }
        fillShape(painter, step.shape, step.color);
        fillShape(painter, step.mirror, step.color);
    }
    painter.setBrush(Qt::NoBrush);
}

void TGradBtn::paintBevel(QPainter &painter, bool pressed)
{
    const QColor lit = pressed ? m_btnShadowClr : m_btnHiliteClr;
    const QColor shaded = pressed ? m_btnHiliteClr : m_btnShadowClr;
    const int w = width();
    const int h = height();
    for (int j = 0; j < m_btnFrameSize; ++j) {
        const int right = w - 1 - j;
        const int bottom = h - 1 - j;
        if (right < j || bottom < j)
            break;
        fillShape(painter, QRect(QPoint(j, j), QPoint(right - 1, j)), lit);            // top
        fillShape(painter, QRect(QPoint(j, j), QPoint(j, bottom)), lit);               // left
        fillShape(painter, QRect(QPoint(right, j), QPoint(right, bottom)), shaded);    // right
        fillShape(painter, QRect(QPoint(j + 1, bottom), QPoint(right, bottom)), shaded); // bottom
    }
}

void TGradBtn::paintCaption(QPainter &painter, int pressOffset)
{
    const bool heavy = m_textShadeType == stHeavy;
    const TTextStyle style = isEnabled() ? m_textStyle : tsInset;
    switch (style) {
    case tsNormal:
        break;
    case tsRaised:
        paintCaptionCopy(painter, m_txtHiliteClr, pressOffset - 1);
        if (heavy)
            paintCaptionCopy(painter, m_txtShadowClr, pressOffset + 1);
        break;
    case tsInset:
        if (heavy)
            paintCaptionCopy(painter, m_txtShadowClr, pressOffset - 1);
        paintCaptionCopy(painter, m_txtHiliteClr, pressOffset + 1);
        break;
    }
    paintCaptionCopy(painter, isEnabled() ? m_fontColor : m_disabledColor, pressOffset);
}

namespace {
constexpr int kCaptionInset = 2; // the caption keeps this far from the face's left and right
constexpr int kWrapFlags = Qt::AlignCenter | Qt::TextWordWrap;
} // namespace

bool TGradBtn::CaptionFits(const QFont &font) const
{
    const QFontMetrics metrics(font);
    const QString &text = m_captionPlain.text;
    const QRect box = rect().adjusted(kCaptionInset, 0, -kCaptionInset, 0);
    if (metrics.horizontalAdvance(text) <= box.width())
        return metrics.height() <= box.height();
    if (!m_wordWrap)
        return false;
    const QRect needed = metrics.boundingRect(box, kWrapFlags, text);
    return needed.width() <= box.width() && needed.height() <= box.height();
}

// One copy of the caption at offset (already including the pressed shift), drawn over the face
// without a background, accelerator underlined.
void TGradBtn::paintCaptionCopy(QPainter &painter, const QColor &color, int offset)
{
    const QString &text = m_captionPlain.text;
    if (text.isEmpty())
        return;
    const QFontMetrics metrics = painter.fontMetrics();
    const int textWidth = metrics.horizontalAdvance(text);
    if (m_wordWrap && textWidth > width() - 2 * kCaptionInset) {
        // On its lines, centred; no accelerator is marked on a wrapped caption.
        painter.setPen(color);
        painter.drawText(rect().adjusted(kCaptionInset, 0, -kCaptionInset, 0).translated(offset, offset), kWrapFlags,
                         text);
        return;
    }
    const int y = (height() - metrics.height()) / 2 + offset;
    int x = (width() - textWidth) / 2 + offset;
    if (m_justification == jLeft)
        x = 2 + offset;
    else if (m_justification == jRight)
        x = width() - textWidth - 2 + offset;

    const int baseline = y + metrics.ascent();
    painter.setPen(color);
    painter.drawText(x, baseline, text);
    const qsizetype accel = m_captionPlain.accel;
    if (accel < 0)
        return;
    const int ux = x + metrics.horizontalAdvance(text.left(accel));
    const int uw = metrics.horizontalAdvance(text.mid(accel, 1));
    painter.fillRect(ux, baseline + metrics.underlinePos(), uw, qMax(1, metrics.lineWidth()), color);
}

// A dotted rectangle from (2, 2) to (W - 2, H - 2), every other pixel inverted, so that it shows
// on any colour and the face under the gaps stays as it was.
void TGradBtn::paintFocusRect()
{
    const int right = width() - 3;
    const int bottom = height() - 3;
    if (right < 2 || bottom < 2)
        return;
    QPainter painter(&m_offscreen);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const auto dot = [&painter](int x, int y) {
        if ((x + y) % 2 == 0)
            painter.fillRect(x, y, 1, 1, Qt::white);
    };
    for (int x = 2; x <= right; ++x) {
        dot(x, 2);
        if (bottom != 2)
            dot(x, bottom);
    }
    for (int y = 3; y < bottom; ++y) {
        dot(2, y);
        if (right != 2)
            dot(right, y);
    }
}

namespace {

// The face's colour at a point: that of the last step painted over it.
QColor faceColourAt(const QList<TGradBtn::GradientStep> &steps, QPoint point)
{
    QColor colour;
    for (const TGradBtn::GradientStep &step : steps) {
        if (step.shape.contains(point) || step.mirror.contains(point))
            colour = step.color;
    }
    return colour;
}

} // namespace

// The letters' ink nearest the face's edges stands where the gradient is closest to begin; the
// corners and the middles of the ink's box are where it is lightest (or darkest) behind them.
QColor TGradBtn::ReadableBeginColor(const QColor &colour) const
{
    const QString text = MakePlainCaption(m_caption).text;
    if (text.isEmpty() || width() < 2 || height() < 2)
        return colour;
    const QFontMetrics metrics(font());
    const int baseline = (height() - metrics.height()) / 2 + metrics.ascent();
    const int left = (width() - metrics.horizontalAdvance(text)) / 2;
    const QRect ink = metrics.tightBoundingRect(text).translated(left, baseline) & rect();
    if (ink.isEmpty())
        return colour;
    const QPoint middle = ink.center();
    const QList<QPoint> points{ink.topLeft(), ink.topRight(), ink.bottomLeft(), ink.bottomRight(),
                               QPoint(middle.x(), ink.top()), QPoint(middle.x(), ink.bottom()),
                               QPoint(ink.left(), middle.y()), QPoint(ink.right(), middle.y())};
    for (int shade = 0; shade < 255; ++shade) {
        const QColor begin = ShadeAwayFrom(colour, m_fontColor, shade);
        const QList<GradientStep> steps = GradientSteps(m_gradientStyle, size(), begin, m_endColor);
        if (std::all_of(points.begin(), points.end(), [&](QPoint p) {
                return ContrastRatio(faceColourAt(steps, p), m_fontColor) >= kReadableContrast;
            }))
            return begin;
    }
    return ShadeAwayFrom(colour, m_fontColor, 255);
}
