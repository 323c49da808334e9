#include "zelgradient.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// One channel of a row: nearbyint under the default rounding mode sends halves to the even
// neighbour, which keeps the rows where i * step ends in .5 the same as they always were.
int channel(int top, int bottom, int row, int height)
{
    const double step = double(top - bottom) / height;
    const int value = top - int(std::nearbyint(row * step));
    return std::clamp(value, 0, 255);
}

} // namespace

TZelGradient::TZelGradient(QWidget *owner) : ThgFormFx(owner) {}

void TZelGradient::setColorTop(const QColor &color)
{
    if (m_colorTop == color)
        return;
    m_colorTop = color;
    repaintOwner();
}

void TZelGradient::setColorBottom(const QColor &color)
{
    if (m_colorBottom == color)
        return;
    m_colorBottom = color;
    repaintOwner();
}

QColor TZelGradient::rowColor(const QColor &top, const QColor &bottom, int row, int height)
{
    if (height <= 0)
        return top;
    return QColor(channel(top.red(), bottom.red(), row, height),
                  channel(top.green(), bottom.green(), row, height),
                  channel(top.blue(), bottom.blue(), row, height));
}

void TZelGradient::PaintEffect(QPainter &painter, QWidget *owner)
{
    emit OnGradientBegin();
    const int height = owner->height();
    const int width = owner->width();
    for (int row = 0; row < height; ++row)
        painter.fillRect(0, row, width, 1, rowColor(m_colorTop, m_colorBottom, row, height));
    emit OnGradientEnd();
}
