#pragma once
// A vertical two-colour gradient on a window's background, drawn one row at a time.

#include "hgformfx.h"

#include <QColor>

class TZelGradient : public ThgFormFx
{
    Q_OBJECT
public:
    /// A navy-to-blue gradient on owner's background.
    explicit TZelGradient(QWidget *owner);

    /// The colour of the top row; navy by default.
    QColor ColorTop() const { return m_colorTop; }
    /// Sets the top colour and repaints the owner when it changes.
    void setColorTop(const QColor &color);
    /// The colour the gradient runs towards at the bottom; blue by default.
    QColor ColorBottom() const { return m_colorBottom; }
    /// Sets the bottom colour and repaints the owner when it changes.
    void setColorBottom(const QColor &color);

    /// The colour of row i of a gradient of height rows: each channel is the top value less
    /// the banker's-rounded i * (top - bottom) / height, so the last row stops one step short
    /// of the bottom colour.
    static QColor rowColor(const QColor &top, const QColor &bottom, int row, int height);

    void PaintEffect(QPainter &painter, QWidget *owner) override;

signals:
    /// Just before the gradient is drawn.
    void OnGradientBegin();
    /// Just after the gradient has been drawn.
    void OnGradientEnd();

private:
    QColor m_colorTop{0x00, 0x00, 0x80};
    QColor m_colorBottom{0x00, 0x00, 0xFF};
};
