#include "lcd99test.h"

using namespace lcd99test;

// --- properties and tables ----------------------------------------------------------------

TEST(Lcd99, ANewDisplayIsBlankWithFourGreenOnBlackDigits)
{
    TLCD99 lcd;
    EXPECT_EQ(lcd.Value(), QString());
    EXPECT_EQ(lcd.DigitNum(), 4);
    EXPECT_EQ(lcd.DigitSpacing(), 5);
    EXPECT_EQ(lcd.GapX(), 2);
    EXPECT_EQ(lcd.GapY(), 2);
    EXPECT_EQ(lcd.SegmentSize(), 2);
    EXPECT_EQ(lcd.OnColor(), QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(lcd.OffColor(), QColor(0x00, 0x00, 0x00));
    EXPECT_EQ(lcd.Color(), QColor(0x00, 0x00, 0x00));
    EXPECT_EQ(lcd.Animation(), TLCD99::anNone);
    EXPECT_EQ(lcd.AnimationDelay(), 0);
    EXPECT_EQ(lcd.About(), TLCD99::abNone);
    EXPECT_EQ(lcd.size(), QSize(92, 34));
    EXPECT_EQ(int(TLCD99::anRandom), 6);
    EXPECT_EQ(int(TLCD99::abAbout), 1);
}

TEST(Lcd99, DigitNumOutsideItsRangeIsRefused)
{
    TLCD99 lcd;
    lcd.setDigitNum(0);
    lcd.setDigitNum(-3);
    lcd.setDigitNum(TLCD99::kMaxDigits + 1);
    EXPECT_EQ(lcd.DigitNum(), 4);
    lcd.setDigitNum(2);
    EXPECT_EQ(lcd.DigitNum(), 2);
}

TEST(Lcd99, SegmentTableMapsEveryDisplayableCharacter)
{
    for (int row = 0; row < 38; ++row)
        EXPECT_EQ(TLCD99::SegmentRow(QChar(kChars[row])), row) << kChars[row];
    EXPECT_EQ(TLCD99::SegmentRow(QChar(' ')), -1);
    EXPECT_EQ(rowOf('8'), 0x7F);
    EXPECT_EQ(rowOf(':'), 0x80);
    EXPECT_EQ(rowOf('-'), lcd99::lit({4}));
    EXPECT_EQ(rowOf('1'), rowOf('I'));
    EXPECT_EQ(rowOf('M'), rowOf('N'));
    EXPECT_EQ(rowOf('Z'), lcd99::lit({1, 3, 4, 5, 7}));
    EXPECT_FALSE(TLCD99::Lights(QChar(' '), 4));
    for (const auto &order : TLCD99::AnimationOrders) {
        int seen = 0;
        for (int g : order)
            seen |= 1 << (g - 1);
        EXPECT_EQ(seen, 0xFF); // every order visits all eight positions once
    }
}

TEST(Lcd99, RoundingTakesHalvesToTheEvenNeighbour)
{
    const int cases[][3] = {{2, 4, 0}, {6, 4, 2}, {10, 4, 2}, {3, 4, 1}, {-2, 4, 0},
                            {-3, 4, -1}, {-6, 4, -2}, {3, 2, 2}, {5, 2, 2}};
    for (const auto &c : cases)
        EXPECT_EQ(TLCD99::RoundDiv(c[0], c[1]), c[2]) << c[0] << "/" << c[1];
}

TEST(Lcd99, PointGoesWithTheCharacterAfterIt)
{
    const char *cases[][3] = {{"1.5", "  15", "   ."}, {"1..5", " 1 5", "  .."},
                              {"1.", "  1 ", "   ."}, {".5", "   5", "   ."},
                              {"12345", "1234", "    "}};
    for (const auto &c : cases) {
        const auto split = TLCD99::SplitDots(QString::fromLatin1(c[0]), 4);
        EXPECT_EQ(split.chars, QString::fromLatin1(c[1])) << c[0];
        EXPECT_EQ(split.points, QString::fromLatin1(c[2])) << c[0];
    }
}

// --- the value filter ---------------------------------------------------------------------

TEST(Lcd99, ValueIsFilteredAsItIsStored)
{
    const char *cases[][2] = {{"ab", "AB"},   {"-1 2:3.4 xyz", "-1 2:3.4 XYZ"},
                              {"1.", "1"},    {"1..", "1."},
                              {".", ""},      {"1!", ""}};
    for (const auto &c : cases) {
        TLCD99 lcd;
        lcd.SetValue(QString::fromLatin1(c[0]));
        EXPECT_EQ(lcd.Value(), QString::fromLatin1(c[1])) << c[0];
    }
    TLCD99 lcd;
    lcd.setValue(QStringLiteral("12"));
    lcd.setValue(QStringLiteral("1ж")); // a Cyrillic letter
    EXPECT_EQ(lcd.Value(), QString());
}

// --- geometry -----------------------------------------------------------------------------

TEST(Lcd99, CallWindowDisplayHasElevenPixelCells)
{
    CallDisplay lcd;
    const TLCD99::Metrics m = lcd.metrics();
    EXPECT_EQ(lcd.CellWidth(), 11);
    const int lefts[] = {2, 15, 28, 41, 54, 67, 80};
    for (int j = 1; j <= 7; ++j) {
        EXPECT_EQ(lcd.CellLeft(j), lefts[j - 1]) << "cell " << j;
        EXPECT_TRUE(TLCD99::PointRect(m, j).isEmpty()) << "cell " << j;
    }
    EXPECT_EQ(m.L, 9);
    EXPECT_EQ(m.V, 8);
}

TEST(Lcd99, SegmentPolygonsFollowTheCornerPoints)
{
    CallDisplay lcd;
    // Cell 2 starts at x = 15; S = 2: the top lifts round(2/4) = 0, the middle round(2/2) = 1.
    EXPECT_EQ(lcd.SegmentPolygon(2, 1),
              QPolygon({{16, 0}, {17, 0}, {24, 0}, {25, 0}, {23, 2}, {18, 2}}));
    EXPECT_EQ(lcd.SegmentPolygon(2, 7),
              QPolygon({{16, 20}, {17, 20}, {24, 20}, {25, 20}, {23, 18}, {18, 18}}));
    EXPECT_EQ(lcd.SegmentPolygon(2, 4),
              QPolygon({{16, 10}, {18, 9}, {23, 9}, {25, 10}, {23, 11}, {18, 11}}));
    EXPECT_EQ(lcd.SegmentPolygon(2, 2),
              QPolygon({{15, 1}, {15, 2}, {15, 8}, {15, 9}, {17, 7}, {17, 3}}));
    EXPECT_EQ(lcd.SegmentPolygon(2, 6),
              QPolygon({{26, 11}, {26, 12}, {26, 18}, {26, 19}, {24, 17}, {24, 13}}));
    const auto dots = TLCD99::ColonDots(lcd.metrics(), 1);
    EXPECT_EQ(dots[0], QRect(6, 6, 3, 2));
    EXPECT_EQ(dots[1], QRect(6, 12, 3, 2));
    // S = 3: the top lifts round(3/4) = 1, the bottom round(-3/4) = -1, the middle round(3/2) = 2.
    lcd.setSegmentSize(3);
    EXPECT_EQ(lcd.SegmentPolygon(1, 1).at(0), QPoint(3, 1));
    EXPECT_EQ(lcd.SegmentPolygon(1, 7).at(0), QPoint(3, 19));
    EXPECT_EQ(lcd.SegmentPolygon(1, 4).at(0), QPoint(3, 11));
}

// --- pixels -------------------------------------------------------------------------------

TEST(Lcd99, CellsShowTheValueRightAlignedAndCutToSeven)
{
    const char *cases[][2] = {{"12", "     12"}, {"12345678", "1234567"}, {"ab", "     AB"},
                              {"-:7", "    -:7"}, {"1 2", "    1 2"}};
    for (const auto &c : cases) {
        CallDisplay lcd;
        lcd.setValue(QString::fromLatin1(c[0]));
        EXPECT_EQ(shown(lcd), QString::fromLatin1(c[1])) << c[0];
    }
}

TEST(Lcd99, SegmentsAreFilledAndOutlined)
{
    CallDisplay lcd;
    lcd.setValue(QStringLiteral("7"));
    const QImage image = shot(lcd);
    // The top bar of thickness 2 covers three pixel rows; the cell's middle stays dark.
    EXPECT_EQ(px(image, {85, 2}), kRed);
    EXPECT_EQ(px(image, {85, 3}), kBlack);
    EXPECT_EQ(px(image, {85, 10}), kBlack);
}

TEST(Lcd99, ClearingValuesLeaveTheDisplayBlank)
{
    for (const QString &clearer : {QStringLiteral("."), QString(), QStringLiteral("ж")}) {
        CallDisplay lcd;
        lcd.setValue(QStringLiteral("7"));
        ASSERT_EQ(shown(lcd), QStringLiteral("      7"));
        lcd.setValue(clearer);
        EXPECT_EQ(lcd.Value(), QString());
        EXPECT_EQ(shot(lcd), blankImage(lcd.size())) << "after " << clearer.toStdString();
    }
}

TEST(Lcd99, PointShowsBetweenTheDigitsOfOnePointFive)
{
    TLCD99 lcd; // 4 cells with 5 pixels in front of each
    lcd.setValue(QStringLiteral("1.5"));
    const QImage image = shot(lcd);
    const TLCD99::Metrics m = lcd.metrics();
    EXPECT_EQ(litSegments(image, lcd, 3, kLime), rowOf('1'));
    EXPECT_EQ(litSegments(image, lcd, 4, kLime), rowOf('5'));
    const QRect point = TLCD99::PointRect(m, 4);
    EXPECT_GT(point.left(), lcd.CellLeft(3) + m.W);
    EXPECT_LT(point.right(), lcd.CellLeft(4));
    EXPECT_EQ(px(image, point.center()), kLime);
    for (int j = 1; j <= 3; ++j)
        EXPECT_EQ(px(image, TLCD99::PointRect(m, j).center()), kBlack) << "cell " << j;
}

TEST(Lcd99, PointLeftAtTheEndShowsAfterTheLastDigit)
{
    TLCD99 lcd;
    lcd.setValue(QStringLiteral("1.."));
    const QImage image = shot(lcd);
    EXPECT_EQ(litSegments(image, lcd, 3, kLime), rowOf('1'));
    EXPECT_EQ(litSegments(image, lcd, 4, kLime), 0);
    EXPECT_EQ(px(image, TLCD99::PointRect(lcd.metrics(), 4).center()), kLime);
}

TEST(Lcd99, CallWindowPointsAreInvisible)
{
    CallDisplay withPoint, without;
    withPoint.setValue(QStringLiteral("1.5"));
    without.setValue(QStringLiteral("15"));
    EXPECT_EQ(shot(withPoint), shot(without));
}

TEST(Lcd99, ColonLightsTwoDots)
{
    TLCD99 lcd;
    lcd.setValue(QStringLiteral(":"));
    const QImage image = shot(lcd);
    const auto dots = TLCD99::ColonDots(lcd.metrics(), 4);
    EXPECT_EQ(px(image, dots[0].center()), kLime);
    EXPECT_EQ(px(image, dots[1].center()), kLime);
    EXPECT_EQ(px(image, {dots[0].center().x(), lcd.metrics().M}), kBlack);
    EXPECT_EQ(litSegments(image, lcd, 4, kLime), rowOf(':'));
}

TEST(Lcd99, ColoursTakeEffectAtOnce)
{
    TLCD99 lcd;
    lcd.setValue(QStringLiteral("1"));
    lcd.setOnColor(QColor(0xFF, 0xFF, 0x00));
    lcd.setOffColor(QColor(0x40, 0x40, 0x40));
    lcd.setColor(QColor(0x00, 0x00, 0xFF));
    const QImage image = shot(lcd);
    EXPECT_EQ(litSegments(image, lcd, 4, 0xFFFF00), rowOf('1'));
    EXPECT_EQ(px(image, segmentCentre(lcd, 4, 1)), 0x404040u);
    EXPECT_EQ(px(image, {0, 0}), 0x0000FFu);
}

TEST(Lcd99, AboutShowsNameAndVersionAndReadsBackNone)
{
    TLCD99 lcd;
    QStringList boxes;
    lcd.setAboutHook([&boxes](const QString &title, const QString &text) {
        boxes << title << text;
    });
    lcd.setAbout(TLCD99::abAbout);
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[0], QStringLiteral("TLCD99"));
    EXPECT_TRUE(boxes[1].contains(QStringLiteral("TLCD99")));
    EXPECT_TRUE(boxes[1].contains(QStringLiteral("version 1.0")));
    EXPECT_EQ(lcd.About(), TLCD99::abNone);
    lcd.setAbout(TLCD99::abNone);
    EXPECT_EQ(boxes.size(), 2);
}

// --- animation ----------------------------------------------------------------------------

// A shown call display, animated bottom up over 700 ms, whose waits go to the timeline.
