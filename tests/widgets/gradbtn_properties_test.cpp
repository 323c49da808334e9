// The button's published properties: defaults, setters, the bevel width check and the presets.

#include "gradbtn.h"

#include <QFont>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QRgb pixelAt(TGradBtn &button, int x, int y)
{
    return button.grab().toImage().pixel(x, y) & 0xFFFFFF;
}

// Every property that a preset may touch, for before-and-after comparisons.
struct Look
{
    QColor disabled, btnHilite, btnShadow, txtHilite, txtShadow, begin, end, fontColor;
    int frame;
    bool swap, focus;
    TGradBtn::TGradientStyle gradient;
    TGradBtn::TTextStyle text;
    TGradBtn::TShadeType shade;
    TGradBtn::TPreset preset;
    TGradBtn::TJustification justification;
    QFont font;
    bool operator==(const Look &) const = default;
};

Look lookOf(const TGradBtn &b)
{
    return {b.DisabledColor(), b.BtnHiliteClr(), b.BtnShadowClr(), b.TxtHiliteClr(),
            b.TxtShadowClr(), b.BeginColor(), b.EndColor(), b.FontColor(), b.BtnFrameSize(),
            b.SwapColors(), b.ShowFocus(), b.GradientStyle(), b.TextStyle(), b.TextShadeType(),
            b.Presets(), b.Justification(), b.font()};
}

} // namespace

TEST(GradBtn, ANewButtonIsNavyToCyanFromTheMiddleWithRaisedBlackText)
{
    TGradBtn b;
    EXPECT_EQ(b.DisabledColor(), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(b.BtnHiliteClr(), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(b.BtnShadowClr(), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(b.BtnFrameSize(), 1);
    EXPECT_EQ(b.TxtHiliteClr(), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(b.TxtShadowClr(), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(b.BeginColor(), QColor(0x00, 0x00, 0x80));
    EXPECT_EQ(b.EndColor(), QColor(0x00, 0xFF, 0xFF));
    EXPECT_TRUE(b.SwapColors());
    EXPECT_TRUE(b.ShowFocus());
    EXPECT_EQ(b.GradientStyle(), TGradBtn::gsVertCenter);
    EXPECT_EQ(b.TextStyle(), TGradBtn::tsRaised);
    EXPECT_EQ(b.TextShadeType(), TGradBtn::stLight);
    EXPECT_EQ(b.Presets(), TGradBtn::None);
    EXPECT_EQ(b.Justification(), TGradBtn::jCenter);
    EXPECT_EQ(b.FontColor(), QColor(0x00, 0x00, 0x00));
    EXPECT_EQ(b.Caption(), QString());
    EXPECT_EQ(b.Tag(), 0);
    EXPECT_FALSE(b.Designing());
    EXPECT_TRUE(b.IsUp());
    EXPECT_FALSE(b.JustClicked());
}

TEST(GradBtn, EnumerationsKeepTheirStoredValues)
{
    EXPECT_EQ(int(TGradBtn::gsHorizontal), 0);
    EXPECT_EQ(int(TGradBtn::gsHorizCenter), 5);
    EXPECT_EQ(int(TGradBtn::tsInset), 2);
    EXPECT_EQ(int(TGradBtn::stHeavy), 1);
    EXPECT_EQ(int(TGradBtn::BrassedOff), 5);
    EXPECT_EQ(int(TGradBtn::jRight), 2);
}

TEST(GradBtn, IsAFocusableOpaqueButtonOf75By25)
{
    TGradBtn b;
    EXPECT_EQ(b.size(), QSize(75, 25));
    EXPECT_EQ(b.sizeHint(), QSize(75, 25));
    EXPECT_EQ(b.focusPolicy(), Qt::StrongFocus);
    EXPECT_TRUE(b.testAttribute(Qt::WA_OpaquePaintEvent));
}

TEST(GradBtn, GettersReturnWhatTheGameSet)
{
    TGradBtn b;
    b.setCaption(QStringLiteral("A. Москва"));
    b.setBeginColor(QColor(0x00, 0x00, 0xFF));
    b.setEndColor(QColor(0x00, 0x00, 0x00));
    b.setFontColor(Qt::white);
    b.setGradientStyle(TGradBtn::gsRectangle);
    b.setTextStyle(TGradBtn::tsNormal);
    b.setTag(3);
    b.setSwapColors(false);
    b.setShowFocus(false);
    b.setJustification(TGradBtn::jLeft);
    b.setTextShadeType(TGradBtn::stHeavy);
    EXPECT_EQ(b.Caption(), QStringLiteral("A. Москва"));
    EXPECT_EQ(b.BeginColor(), QColor(0x00, 0x00, 0xFF));
    EXPECT_EQ(b.EndColor(), QColor(0x00, 0x00, 0x00));
    EXPECT_EQ(b.FontColor(), QColor(Qt::white));
    EXPECT_EQ(b.GradientStyle(), TGradBtn::gsRectangle);
    EXPECT_EQ(b.TextStyle(), TGradBtn::tsNormal);
    EXPECT_EQ(b.Tag(), 3);
    EXPECT_FALSE(b.SwapColors());
    EXPECT_FALSE(b.ShowFocus());
    EXPECT_EQ(b.Justification(), TGradBtn::jLeft);
    EXPECT_EQ(b.TextShadeType(), TGradBtn::stHeavy);
}

TEST(GradBtn, ChangedColoursShowAtTheNextPaint)
{
    TGradBtn b;
    b.setBtnFrameSize(0);
    b.setCaption(QString());
    EXPECT_EQ(pixelAt(b, 37, 0), 0x000080u); // top row of the centred pattern: begin colour
    b.setBeginColor(QColor(0xFF, 0x00, 0x00));
    EXPECT_EQ(pixelAt(b, 37, 0), 0xFF0000u);
    EXPECT_EQ(pixelAt(b, 37, 12), 0x00FFFFu); // middle row: end colour
    b.setEndColor(QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(pixelAt(b, 37, 12), 0x00FF00u);
}

TEST(GradBtn, FrameSizeOnA28PixelHighButtonAcceptsNineAndRefusesTen)
{
    TGradBtn b;
    b.resize(300, 28);
    b.setBtnFrameSize(9); // 28 / 2 - 5
    EXPECT_EQ(b.BtnFrameSize(), 9);
    b.setBtnFrameSize(10);
    EXPECT_EQ(b.BtnFrameSize(), 9);
    b.setBtnFrameSize(0);
    EXPECT_EQ(b.BtnFrameSize(), 0);
}

TEST(GradBtn, FrameSizeIsLimitedByTheNarrowerSideAndIsNeverNegative)
{
    TGradBtn b;
    b.resize(29, 200); // 29 / 2 - 5 = 9, the half truncated
    b.setBtnFrameSize(10);
    EXPECT_EQ(b.BtnFrameSize(), 1);
    b.setBtnFrameSize(9);
    EXPECT_EQ(b.BtnFrameSize(), 9);
    b.setBtnFrameSize(-1);
    EXPECT_EQ(b.BtnFrameSize(), 9);

    TGradBtn small; // 75 x 25 allows at most 7
    small.setBtnFrameSize(8);
    EXPECT_EQ(small.BtnFrameSize(), 1);
    small.setBtnFrameSize(7);
    EXPECT_EQ(small.BtnFrameSize(), 7);
}

TEST(GradBtn, FrameSizeZeroFitsEvenATinyButton)
{
    TGradBtn tiny;
    tiny.resize(40, 8); // 8 / 2 - 5 is below zero
    tiny.setBtnFrameSize(0);
    EXPECT_EQ(tiny.BtnFrameSize(), 0);
    tiny.setBtnFrameSize(1);
    EXPECT_EQ(tiny.BtnFrameSize(), 0);
}

TEST(GradBtn, PresetsInARunningProgramChangeNothing)
{
    TGradBtn b;
    b.setBeginColor(QColor(0x12, 0x34, 0x56));
    b.setTextStyle(TGradBtn::tsInset);
    const Look before = lookOf(b);
    const QImage face = b.grab().toImage();
    for (TGradBtn::TPreset p : {TGradBtn::GoldCoast, TGradBtn::LimeBox, TGradBtn::Aluminum,
                                TGradBtn::SunRise, TGradBtn::BrassedOff, TGradBtn::None}) {
        b.setPresets(p);
        EXPECT_TRUE(lookOf(b) == before) << int(p);
        EXPECT_EQ(b.Presets(), TGradBtn::None);
    }
    EXPECT_EQ(b.grab().toImage(), face);
}

TEST(GradBtn, PresetsInDesignModeApplyTheirScheme)
{
    TGradBtn b;
    b.setDesigning(true);
    b.setPresets(TGradBtn::GoldCoast);
    EXPECT_EQ(b.Presets(), TGradBtn::GoldCoast);
    EXPECT_EQ(b.DisabledColor(), QColor(0xBB, 0xBB, 0x00));
    EXPECT_EQ(b.BeginColor(), QColor(0xFF, 0xFF, 0x00));
    EXPECT_EQ(b.EndColor(), QColor(0x80, 0x80, 0x00));
    EXPECT_EQ(b.FontColor(), QColor(0xBB, 0xBB, 0x00));
    EXPECT_EQ(b.font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(b.font().pointSize(), 10);
    EXPECT_TRUE(b.font().bold());
    EXPECT_EQ(b.GradientStyle(), TGradBtn::gsVertical);
    EXPECT_EQ(b.TextShadeType(), TGradBtn::stHeavy);
    EXPECT_EQ(b.TextStyle(), TGradBtn::tsRaised);
    EXPECT_EQ(b.TxtHiliteClr(), QColor(0xFF, 0xFF, 0xBF));
    EXPECT_EQ(b.TxtShadowClr(), QColor(0x71, 0x71, 0x00));
    EXPECT_EQ(b.BtnHiliteClr(), QColor(0xFF, 0xFF, 0xB3));
    EXPECT_EQ(b.BtnShadowClr(), QColor(0x61, 0x61, 0x61));
    EXPECT_TRUE(b.SwapColors());

    b.setPresets(TGradBtn::BrassedOff);
    EXPECT_FALSE(b.SwapColors());
    EXPECT_EQ(b.GradientStyle(), TGradBtn::gsElliptic);
    EXPECT_EQ(b.TextStyle(), TGradBtn::tsNormal);
    EXPECT_EQ(b.font().family(), QStringLiteral("Verdana"));

    b.setPresets(TGradBtn::Aluminum); // leaves SwapColors as it found it
    EXPECT_FALSE(b.SwapColors());
    EXPECT_EQ(b.BtnShadowClr(), QColor(0x00, 0x00, 0x00));

    b.setPresets(TGradBtn::None);
    EXPECT_EQ(b.BeginColor(), QColor(0x00, 0x00, 0x80));
    EXPECT_EQ(b.EndColor(), QColor(0x00, 0xFF, 0xFF));
    EXPECT_EQ(b.GradientStyle(), TGradBtn::gsVertCenter);
    EXPECT_EQ(b.FontColor(), QColor(0x00, 0x00, 0x00));
}
