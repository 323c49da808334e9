#include "illustrationpicture.h"

#include <QPainter>
#include <QtMath>

IllustrationPicture::IllustrationPicture(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("IllustrationPicture"));
    // Every pixel is painted: nothing needs to be erased beneath.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void IllustrationPicture::setPicture(const QImage &picture)
{
    // The same image, not merely equal pixels: comparing pictures pixel by pixel would cost
    // more than painting one again.
    if (picture.cacheKey() == m_picture.cacheKey())
        return;
    m_picture = picture;
    update();
}

void IllustrationPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kGround);
    if (m_picture.isNull())
        return;
    QSizeF shown = m_picture.deviceIndependentSize();
    if (shown.width() > width() || shown.height() > height())
        shown.scale(QSizeF(size()), Qt::KeepAspectRatio);
    // Whole pixels for the corner, as a browser centres: a picture at its natural size stays sharp.
    const QRectF target(QPointF(qFloor((width() - shown.width()) / 2), qFloor((height() - shown.height()) / 2)),
                        shown);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_picture);
}
