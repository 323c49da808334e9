// The caption: accelerator marks, placement, the copies of each style, and the focus rectangle.

#include "gradbtn.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr QRgb kFace = 0x204060;
constexpr QRgb kInk = 0xFFFFFF;
constexpr QRgb kLight = 0xFFFF00;
constexpr QRgb kDark = 0x000000;
constexpr QRgb kGrey = 0xFF00FF;

QFont captionFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    font.setStyleStrategy(QFont::NoAntialias); // exact colours, no blended edges
    return font;
}

// One flat colour under the caption and no bevel, so every other pixel is the caption's.
void makeFlat(TGradBtn &b, const QString &caption, TGradBtn::TTextStyle style = TGradBtn::tsNormal)
{
    b.resize(120, 28);
    b.setFont(captionFont());
    b.setBtnFrameSize(0);
    b.setBeginColor(QColor::fromRgb(kFace));
    b.setEndColor(QColor::fromRgb(kFace));
    b.setFontColor(QColor::fromRgb(kInk));
    b.setTxtHiliteClr(QColor::fromRgb(kLight));
    b.setTxtShadowClr(QColor::fromRgb(kDark));
    b.setDisabledColor(QColor::fromRgb(kGrey));
    b.setTextStyle(style);
    b.setCaption(caption);
}

QImage faceOf(TGradBtn &b)
{
    return b.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The bounding box of the pixels that are not the face colour (or, with only, of that colour).
QRect inkBox(const QImage &image, std::optional<QRgb> only = std::nullopt)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            if (only ? p == *only : p != kFace)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

bool hasColour(const QImage &image, QRgb colour)
{
    return inkBox(image, colour).isValid();
}

} // namespace

TEST(GradBtnCaption, PlainCaptionDropsTheMarksAndFindsTheAccelerator)
{
    const struct
    {
        const char16_t *caption, *plain;
        int accel;
    } cases[] = {{u"A. Москва", u"A. Москва", -1}, {u"&Open", u"Open", 0}, {u"a&&b", u"a&b", -1},
                 {u"&&", u"&", -1},                {u"&&&x", u"&x", 1},   {u"a&", u"a&", -1},
                 {u"", u"", -1},                   {u"&a&b", u"ab", 0},   {u"Tom &&& Jerry", u"Tom & Jerry", 5}};
    for (const auto &c : cases) {
        const auto plain = TGradBtn::MakePlainCaption(QString::fromUtf16(c.caption));
        EXPECT_EQ(plain.text, QString::fromUtf16(c.plain)) << QString::fromUtf16(c.caption).toStdString();
        EXPECT_EQ(plain.accel, c.accel) << QString::fromUtf16(c.caption).toStdString();
    }
}

TEST(GradBtnCaption, DoubledAmpersandDrawsOneAmpersand)
{
    TGradBtn doubled, single, two;
    makeFlat(doubled, QStringLiteral("R&&D"));
    makeFlat(single, QStringLiteral("&"));
    makeFlat(two, QStringLiteral("R&&&&D"));
    const QImage face = faceOf(doubled);
    EXPECT_TRUE(hasColour(face, kInk));
    EXPECT_NE(face, faceOf(two));
    makeFlat(doubled, QStringLiteral("&&"));
    EXPECT_EQ(faceOf(doubled), faceOf(single));
    // Measured and drawn with one ampersand in its place, also at the very end.
    makeFlat(doubled, QStringLiteral("x&&"));
    makeFlat(single, QStringLiteral("x&"));
    EXPECT_EQ(faceOf(doubled), faceOf(single));
}

TEST(GradBtnCaption, AcceleratorCharacterIsUnderlined)
{
    TGradBtn marked, plain;
    makeFlat(marked, QStringLiteral("&x"));
    makeFlat(plain, QStringLiteral("x"));
    const QImage withLine = faceOf(marked);
    const QImage without = faceOf(plain);
    const QRect glyph = inkBox(without);
    const QRect all = inkBox(withLine);
    ASSERT_TRUE(glyph.isValid());
    EXPECT_GT(all.bottom(), glyph.bottom());
    EXPECT_EQ(withLine.copy(0, 0, 120, glyph.bottom() + 1), without.copy(0, 0, 120, glyph.bottom() + 1));
}

TEST(GradBtnCaption, JustificationPlacesTheCaption)
{
    const QString text = QStringLiteral("Abc");
    const int advance = QFontMetrics(captionFont()).horizontalAdvance(text);
    TGradBtn b;
    makeFlat(b, text);
    const QRect centred = inkBox(faceOf(b));
    const int centreX = (120 - advance) / 2;
    b.setJustification(TGradBtn::jLeft);
    EXPECT_EQ(inkBox(faceOf(b)), centred.translated(2 - centreX, 0));
    b.setJustification(TGradBtn::jRight);
    EXPECT_EQ(inkBox(faceOf(b)), centred.translated(120 - advance - 2 - centreX, 0));
    // Vertically centred on the font's height.
    const QFontMetrics fm(captionFont());
    const int top = (28 - fm.height()) / 2;
    EXPECT_GE(centred.top(), top);
    EXPECT_LE(centred.bottom(), top + fm.height());
}

TEST(GradBtnCaption, RaisedAddsALightCopyUpAndLeftAndAHeavyShadeDownAndRight)
{
    TGradBtn normal, raised;
    makeFlat(normal, QStringLiteral("Hello"));
    makeFlat(raised, QStringLiteral("Hello"), TGradBtn::tsRaised);
    const QRect main = inkBox(faceOf(normal));
    QImage face = faceOf(raised);
    EXPECT_EQ(inkBox(face), main.adjusted(-1, -1, 0, 0));
    EXPECT_EQ(inkBox(face, kLight).topLeft(), inkBox(face, kInk).topLeft() - QPoint(1, 1));
    EXPECT_FALSE(hasColour(face, kDark));
    raised.setTextShadeType(TGradBtn::stHeavy);
    face = faceOf(raised);
    EXPECT_EQ(inkBox(face), main.adjusted(-1, -1, 1, 1));
    EXPECT_TRUE(hasColour(face, kDark));
}

TEST(GradBtnCaption, InsetPutsTheLightCopyDownAndRight)
{
    TGradBtn normal, inset;
    makeFlat(normal, QStringLiteral("Hello"));
    makeFlat(inset, QStringLiteral("Hello"), TGradBtn::tsInset);
    const QRect main = inkBox(faceOf(normal));
    QImage face = faceOf(inset);
    EXPECT_EQ(inkBox(face), main.adjusted(0, 0, 1, 1));
    EXPECT_TRUE(hasColour(face, kLight));
    EXPECT_FALSE(hasColour(face, kDark));
    inset.setTextShadeType(TGradBtn::stHeavy);
    face = faceOf(inset);
    EXPECT_EQ(inkBox(face), main.adjusted(-1, -1, 1, 1));
    EXPECT_EQ(inkBox(face, kDark).topLeft(), main.topLeft() - QPoint(1, 1));
}

TEST(GradBtnCaption, DisabledCaptionIsDrawnInsetInTheDisabledColour)
{
    TGradBtn b;
    makeFlat(b, QStringLiteral("Hello"));
    const QRect main = inkBox(faceOf(b));
    b.setEnabled(false);
    QImage face = faceOf(b);
    EXPECT_FALSE(hasColour(face, kInk));
    EXPECT_TRUE(hasColour(face, kGrey));
    EXPECT_TRUE(hasColour(face, kLight));
    EXPECT_FALSE(hasColour(face, kDark));
    EXPECT_EQ(inkBox(face), main.adjusted(0, 0, 1, 1));
    b.setTextShadeType(TGradBtn::stHeavy);
    face = faceOf(b);
    EXPECT_TRUE(hasColour(face, kDark));
    EXPECT_EQ(inkBox(face), main.adjusted(-1, -1, 1, 1));
    b.setEnabled(true);
    EXPECT_TRUE(hasColour(faceOf(b), kInk));
}

TEST(GradBtnFocus, FocusedButtonShowsADottedRectangleTwoPixelsIn)
{
    QWidget window;
    window.resize(200, 100);
    auto *b = new TGradBtn(&window);
    makeFlat(*b, QString());
    TGradBtn other(&window);
    other.move(0, 50);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other.setFocus();
    const QImage plain = faceOf(*b);
    b->setFocus();
    ASSERT_TRUE(b->hasFocus());
    const QImage focused = faceOf(*b);
    const QRgb inverted = ~kFace & 0xFFFFFF;
    EXPECT_EQ(focused.pixel(2, 2) & 0xFFFFFF, inverted);
    EXPECT_EQ(focused.pixel(3, 2) & 0xFFFFFF, kFace);
    EXPECT_EQ(focused.pixel(4, 2) & 0xFFFFFF, inverted);
    EXPECT_EQ(focused.pixel(2, 4) & 0xFFFFFF, inverted);
    EXPECT_EQ(focused.pixel(117, 25) & 0xFFFFFF, inverted); // (117 + 25) is even: a dot
    EXPECT_EQ(focused.pixel(116, 25) & 0xFFFFFF, kFace);
    EXPECT_EQ(focused.pixel(117, 23) & 0xFFFFFF, inverted);
    EXPECT_EQ(focused.pixel(118, 24) & 0xFFFFFF, kFace);
    EXPECT_EQ(focused.pixel(2, 26) & 0xFFFFFF, kFace);
    EXPECT_EQ(focused.pixel(1, 1) & 0xFFFFFF, kFace);
    EXPECT_EQ(focused.pixel(60, 14) & 0xFFFFFF, kFace);
    EXPECT_NE(focused, plain);

    b->setShowFocus(false);
    EXPECT_EQ(faceOf(*b), plain);
    b->setShowFocus(true);
    b->setDesigning(true);
    EXPECT_EQ(faceOf(*b), plain);
    b->setDesigning(false);
    other.setFocus();
    EXPECT_EQ(faceOf(*b), plain);
}
