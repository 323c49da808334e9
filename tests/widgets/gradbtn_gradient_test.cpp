// The face: colour arithmetic, the six gradient patterns and the bevel, seen in grabbed pixels.

#include "gradbtn.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

const QColor kBegin(0x10, 0x20, 0xF0);
const QColor kEnd(0xF0, 0x80, 0x10);

QRgb rgb(const QColor &c)
{
    return c.rgb() & 0xFFFFFF;
}

// A face with the gradient alone: no bevel, no caption.
QImage faceOf(TGradBtn::TGradientStyle style, QSize size, const QColor &begin = kBegin,
              const QColor &end = kEnd)
{
    TGradBtn b;
    b.resize(size);
    b.setBtnFrameSize(0);
    b.setGradientStyle(style);
    b.setBeginColor(begin);
    b.setEndColor(end);
    return b.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb at(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

QRgb step(int i, int n)
{
    return rgb(TGradBtn::StepColor(kBegin, kEnd, i, n));
}

} // namespace

TEST(GradBtnColour, ScaleDivTruncatesTowardZeroWithA64BitProduct)
{
    EXPECT_EQ(TGradBtn::ScaleDiv(7, 10, 3), 23);
    EXPECT_EQ(TGradBtn::ScaleDiv(1, -100, 3), -33); // not -34
    EXPECT_EQ(TGradBtn::ScaleDiv(100000, 100000, 100000), 100000);
    EXPECT_EQ(TGradBtn::ScaleDiv(5, 5, 0), 0);
}

TEST(GradBtnColour, StepColourRunsFromBeginToEndInTruncatedSteps)
{
    const QColor from(100, 0, 255);
    const QColor to(0, 10, 0);
    EXPECT_EQ(TGradBtn::StepColor(from, to, 0, 3), from);
    EXPECT_EQ(TGradBtn::StepColor(from, to, 3, 3), to);
    // 100 - 33 (33.3 truncated), 0 + 3, 255 - 85
    EXPECT_EQ(TGradBtn::StepColor(from, to, 1, 3), QColor(67, 3, 170));
    EXPECT_EQ(TGradBtn::StepColor(from, to, 2, 3), QColor(34, 6, 85));
    EXPECT_EQ(TGradBtn::StepColor(from, to, 0, 0), from);
}

TEST(GradBtnGradient, EveryPatternStartsWithBeginAndEndsWithEnd)
{
    const struct
    {
        TGradBtn::TGradientStyle style;
        qsizetype steps;
    } patterns[] = {{TGradBtn::gsHorizontal, 256}, {TGradBtn::gsVertical, 256},
                    {TGradBtn::gsElliptic, 51},    {TGradBtn::gsRectangle, 256},
                    {TGradBtn::gsVertCenter, 15},  {TGradBtn::gsHorizCenter, 38}};
    for (const auto &p : patterns) {
        const auto steps = TGradBtn::GradientSteps(p.style, QSize(75, 28), kBegin, kEnd);
        ASSERT_EQ(steps.size(), p.steps) << int(p.style);
        EXPECT_EQ(steps.first().color, kBegin) << int(p.style);
        EXPECT_EQ(steps.last().color, kEnd) << int(p.style);
    }
}

TEST(GradBtnGradient, FirstShapesCoverTheWholeFace)
{
    const QSize size(75, 28);
    const auto rect = TGradBtn::GradientSteps(TGradBtn::gsRectangle, size, kBegin, kEnd);
    EXPECT_EQ(rect.first().shape, QRect(0, 0, 75, 28));
    const auto oval = TGradBtn::GradientSteps(TGradBtn::gsElliptic, size, kBegin, kEnd);
    EXPECT_EQ(oval.first().shape, QRect(QPoint(-25, -9), QPoint(98, 35)));
    EXPECT_FALSE(oval.last().shape.isValid()); // shrunk to a point
    const auto rows = TGradBtn::GradientSteps(TGradBtn::gsVertCenter, size, kBegin, kEnd);
    EXPECT_EQ(rows.first().shape, QRect(0, 0, 75, 1));
    EXPECT_EQ(rows.first().mirror, QRect(0, 27, 75, 1));
}

TEST(GradBtnPaint, HorizontalRunsFromBeginAtTheLeftToEndAtTheRight)
{
    const QImage wide = faceOf(TGradBtn::gsHorizontal, QSize(256, 20));
    EXPECT_EQ(at(wide, 0, 10), rgb(kBegin));
    EXPECT_EQ(at(wide, 100, 10), step(100, 255));
    EXPECT_EQ(at(wide, 255, 10), rgb(kEnd));
    // On a narrow face the first bands are empty: column 0 belongs to band 3.
    const QImage narrow = faceOf(TGradBtn::gsHorizontal, QSize(75, 20));
    EXPECT_EQ(at(narrow, 0, 10), step(3, 255));
    EXPECT_EQ(at(narrow, 74, 19), rgb(kEnd));
}

TEST(GradBtnPaint, VerticalRunsFromBeginAtTheTopToEndAtTheBottom)
{
    const QImage tall = faceOf(TGradBtn::gsVertical, QSize(20, 256));
    EXPECT_EQ(at(tall, 10, 0), rgb(kBegin));
    EXPECT_EQ(at(tall, 10, 255), rgb(kEnd));
    const QImage answer = faceOf(TGradBtn::gsVertical, QSize(300, 28));
    EXPECT_EQ(at(answer, 150, 0), step(9, 255));
    EXPECT_EQ(at(answer, 150, 27), rgb(kEnd));
}

TEST(GradBtnPaint, VertCenterHasBeginAtBothEdgesAndEndInTheMiddle)
{
    const QImage face = faceOf(TGradBtn::gsVertCenter, QSize(75, 28));
    EXPECT_EQ(at(face, 30, 0), rgb(kBegin));
    EXPECT_EQ(at(face, 30, 27), rgb(kBegin));
    EXPECT_EQ(at(face, 30, 1), step(1, 14));
    EXPECT_EQ(at(face, 30, 26), step(1, 14));
    EXPECT_EQ(at(face, 30, 13), rgb(kEnd));
    EXPECT_EQ(at(face, 30, 14), rgb(kEnd));
}

TEST(GradBtnPaint, HorizCenterHasBeginAtBothSidesAndEndInTheMiddle)
{
    const QImage face = faceOf(TGradBtn::gsHorizCenter, QSize(75, 28));
    EXPECT_EQ(at(face, 0, 5), rgb(kBegin));
    EXPECT_EQ(at(face, 74, 5), rgb(kBegin));
    EXPECT_EQ(at(face, 36, 5), step(36, 37));
    EXPECT_EQ(at(face, 38, 5), step(36, 37));
    EXPECT_EQ(at(face, 37, 5), rgb(kEnd));
}

TEST(GradBtnPaint, RectangleHasBeginAtTheEdgeAndEndAtTheCentre)
{
    const QImage face = faceOf(TGradBtn::gsRectangle, QSize(75, 75));
    // The edges creep in by 75 / 510 of a pixel a step: the outermost pixels keep step 5,
    // the last step whose truncated edge is still on them.
    EXPECT_EQ(at(face, 0, 0), step(5, 255));
    EXPECT_EQ(at(face, 74, 74), step(5, 255));
    EXPECT_EQ(at(face, 0, 37), step(5, 255));
    EXPECT_EQ(at(face, 1, 37), step(12, 255));
    EXPECT_EQ(at(face, 37, 37), rgb(kEnd));
}

TEST(GradBtnPaint, RectangleWiderThan510PixelsStillHasItsEdgeInTheBeginColour)
{
    // The first rectangle starts one pixel in on so wide a face; nothing stale shows there.
    const QColor blue(0x00, 0x00, 0xFF);
    const QImage face = faceOf(TGradBtn::gsRectangle, QSize(600, 28), blue, Qt::black);
    for (int y : {0, 10, 27})
        EXPECT_EQ(at(face, 0, y), 0x0000FFu) << y;
    EXPECT_EQ(at(face, 599, 14), 0x0000FFu);
}

TEST(GradBtnPaint, EllipseBrightensFromTheCornersTowardsTheCentre)
{
    const QImage face = faceOf(TGradBtn::gsElliptic, QSize(75, 28), Qt::black, Qt::white);
    EXPECT_LT(qRed(at(face, 0, 0)), 64);
    EXPECT_LT(qRed(at(face, 74, 27)), 64);
    EXPECT_GT(qRed(at(face, 37, 14)), 230);
    int previous = -1;
    for (int x = 0; x <= 37; ++x) {
        const int value = qRed(at(face, x, 14));
        EXPECT_GE(value, previous) << x;
        previous = value;
    }
}

TEST(GradBtnPaint, OnePixelFacesPaintTheBeginColour)
{
    EXPECT_EQ(at(faceOf(TGradBtn::gsVertCenter, QSize(40, 1)), 20, 0), rgb(kBegin));
    EXPECT_EQ(at(faceOf(TGradBtn::gsHorizCenter, QSize(1, 40)), 0, 20), rgb(kBegin));
}

TEST(GradBtnBevel, LitEdgesTopAndLeftShadedEdgesBottomAndRight)
{
    TGradBtn b;
    b.setCaption(QString());
    b.setBtnHiliteClr(QColor(0xFF, 0x00, 0x00));
    b.setBtnShadowClr(QColor(0x00, 0xFF, 0x00));
    const QImage face = b.grab().toImage();
    EXPECT_EQ(at(face, 0, 0), 0xFF0000u);
    EXPECT_EQ(at(face, 40, 0), 0xFF0000u);
    EXPECT_EQ(at(face, 0, 12), 0xFF0000u);
    EXPECT_EQ(at(face, 0, 24), 0xFF0000u);
    EXPECT_EQ(at(face, 74, 0), 0x00FF00u);
    EXPECT_EQ(at(face, 74, 12), 0x00FF00u);
    EXPECT_EQ(at(face, 40, 24), 0x00FF00u);
    EXPECT_EQ(at(face, 74, 24), 0x00FF00u);
    // Inside the frame: row 1 of the default navy-to-aqua centred pattern.
    EXPECT_EQ(at(face, 1, 1), rgb(TGradBtn::StepColor(QColor(0, 0, 0x80), QColor(0, 0xFF, 0xFF), 1, 12)));
}

TEST(GradBtnBevel, FrameSizeNestsOnePixelFrames)
{
    TGradBtn b;
    b.setCaption(QString());
    b.setBtnHiliteClr(QColor(0xFF, 0x00, 0x00));
    b.setBtnShadowClr(QColor(0x00, 0xFF, 0x00));
    b.setBtnFrameSize(3);
    ASSERT_EQ(b.BtnFrameSize(), 3);
    const QImage face = b.grab().toImage();
    EXPECT_EQ(at(face, 2, 12), 0xFF0000u);
    EXPECT_EQ(at(face, 40, 2), 0xFF0000u);
    EXPECT_EQ(at(face, 72, 12), 0x00FF00u);
    EXPECT_EQ(at(face, 40, 22), 0x00FF00u);
    EXPECT_NE(at(face, 3, 12), 0xFF0000u);
    EXPECT_NE(at(face, 71, 12), 0x00FF00u);
}

TEST(GradBtnBevel, FrameSizeZeroDrawsNoBevel)
{
    TGradBtn b;
    b.setCaption(QString());
    b.setBtnHiliteClr(QColor(0xFF, 0x00, 0x00));
    b.setBtnShadowClr(QColor(0x00, 0xFF, 0x00));
    b.setBtnFrameSize(0);
    const QImage face = b.grab().toImage();
    EXPECT_EQ(at(face, 0, 0), 0x000080u);
    EXPECT_EQ(at(face, 0, 12), 0x00FFFFu);
    EXPECT_EQ(at(face, 74, 24), 0x000080u);
    for (QPoint p : {QPoint(0, 0), QPoint(74, 24), QPoint(0, 12), QPoint(74, 12), QPoint(40, 0)}) {
        EXPECT_NE(at(face, p.x(), p.y()), 0xFF0000u);
        EXPECT_NE(at(face, p.x(), p.y()), 0x00FF00u);
    }
}
