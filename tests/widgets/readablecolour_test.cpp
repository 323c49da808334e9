// The contrast of two colours as the accessibility guidelines measure it, and the shade of a
// background (or a button's gradient) deepened only as far as a text needs to read on it.

#include "gradbtn.h"
#include "readablecolour.h"
#include "textcontrast.h"

#include <gtest/gtest.h>

TEST(ReadableColour, ContrastIsMeasuredAsTheGuidelinesDo)
{
    EXPECT_NEAR(ContrastRatio(Qt::white, Qt::black), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    EXPECT_NEAR(ContrastRatio(QColor(0xFF, 0xFF, 0xAA), QColor(0xFF, 0x68, 0x20)), 2.78, 0.01);
    EXPECT_NEAR(ContrastRatio(Qt::white, QColor(0xFF, 0x00, 0x00)), 4.00, 0.01);
}

TEST(ReadableColour, BackgroundDeepensOnlyAsFarAsTheTextNeeds)
{
    // Already readable: kept as it is.
    EXPECT_EQ(ReadableBackground(QColor(0x00, 0x00, 0xFF), QColor(0xFF, 0xFF, 0x00)), QColor(0x00, 0x00, 0xFF));
    EXPECT_EQ(ReadableBackground(QColor(0x00, 0xFF, 0x00), Qt::black), QColor(0x00, 0xFF, 0x00));

    const QColor orange(0xFF, 0x68, 0x20);
    const QColor pale(0xFF, 0xFF, 0xAA);
    const QColor deeper = ReadableBackground(orange, pale);
    EXPECT_GE(ContrastRatio(deeper, pale), textcontrast::kGuidelineRatio);
    // The same hue and saturation, darker, and no darker than it takes.
    EXPECT_NEAR(deeper.hsvHue(), orange.hsvHue(), 1);
    EXPECT_NEAR(deeper.hsvSaturationF(), orange.hsvSaturationF(), 0.01);
    EXPECT_LT(deeper.value(), orange.value());
    EXPECT_LT(ContrastRatio(deeper, pale), textcontrast::kGuidelineRatio + 0.1);

    // A dark text on a dark background: the background pales instead.
    const QColor paled = ReadableBackground(QColor(0x40, 0x40, 0x80), Qt::black);
    EXPECT_GE(ContrastRatio(paled, Qt::black), textcontrast::kGuidelineRatio);
    EXPECT_GT(paled.lightness(), QColor(0x40, 0x40, 0x80).lightness());
}

// White answers on the verdict's lime, fading to black in the middle: a small caption stands
// on the dark middle and keeps the lime; a large one reaches the pale edge and gets a deeper one.
TEST(ReadableColour, GradientButtonDeepensItsBeginColourOnlyForALargeCaption)
{
    TGradBtn button;
    button.resize(502, 28);
    button.setGradientStyle(TGradBtn::gsRectangle);
    button.setBtnFrameSize(0);
    button.setTextStyle(TGradBtn::tsNormal);
    button.setEndColor(Qt::black);
    button.setFontColor(Qt::white);
    button.setCaption(QStringLiteral("B. Верно"));
    const QColor lime(0x00, 0xFF, 0x00);
    QFont small = button.font();
    small.setPixelSize(11);
    button.setFont(small);
    EXPECT_EQ(button.ReadableBeginColor(lime), lime);

    QFont large = small;
    large.setPixelSize(22);
    button.setFont(large);
    const QColor deeper = button.ReadableBeginColor(lime);
    EXPECT_LT(deeper.green(), 0xFF);
    EXPECT_EQ(deeper.red(), 0);
    // As drawn, read from the pixels: the caption reads on it, and would not on lime.
    const auto reading = [&button](const QColor &begin) {
        button.setBeginColor(begin);
        const QImage with = button.grab().toImage();
        const QString caption = button.Caption();
        button.setCaption(QString());
        const QImage without = button.grab().toImage();
        button.setCaption(caption);
        return textcontrast::onPicture(with, without).ratio;
    };
    EXPECT_LT(reading(lime), textcontrast::kGuidelineRatio);
    EXPECT_GE(reading(deeper), textcontrast::kGuidelineRatio);
    EXPECT_LT(reading(deeper), textcontrast::kGuidelineRatio + 0.5); // no deeper than it takes, near enough
}
