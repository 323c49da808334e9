#include "lcd99test.h"

using namespace lcd99test;
class Lcd99Animation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pace(lcd, t);
        lcd.show();
        lcd.setAnimation(TLCD99::anUp);
        lcd.setAnimationDelay(700);
    }
    CallDisplay lcd;
    Timeline t;
};

TEST_F(Lcd99Animation, UpwardDrawsTheBottomSegmentFirstAHundredMsPerStep)
{
    lcd.setValue(QStringLiteral("8"));
    EXPECT_EQ(t.waits, QList<int>(8, 100));
    ASSERT_EQ(t.shots.size(), 8);
    const int expected[] = {lcd99::lit({7}),          lcd99::lit({7, 6}),
                            lcd99::lit({7, 6, 5}),    lcd99::lit({7, 6, 5}),
                            lcd99::lit({7, 6, 5, 4}), lcd99::lit({7, 6, 5, 4, 3}),
                            lcd99::lit({7, 6, 5, 4, 3, 2}), rowOf('8')};
    for (int step = 0; step < 8; ++step)
        EXPECT_EQ(litSegments(t.shots[step], lcd, 7, kRed), expected[step]) << "step " << step + 1;
}

TEST_F(Lcd99Animation, OnlyTheChangedCellIsDrawnStepByStep)
{
    lcd.setValue(QStringLiteral("12"));
    t.waits.clear();
    t.shots.clear();
    lcd.setValue(QStringLiteral("13"));
    EXPECT_EQ(t.waits, QList<int>(8, 100));
    ASSERT_EQ(t.shots.size(), 8);
    // 2 becomes 3 from the bottom up: the bottom stays, the lower right lights, the lower left
    // goes dark; the 1 in front of it is whole in every picture.
    const int expected[] = {rowOf('2'), rowOf('2') | lcd99::lit({6}), rowOf('3')};
    const QRect cell6(lcd.CellLeft(6), 0, lcd.CellWidth() + 1, lcd.height());
    const QImage final = shot(lcd);
    for (int step = 0; step < 8; ++step) {
        EXPECT_EQ(litSegments(t.shots[step], lcd, 7, kRed), expected[std::min(step, 2)])
            << "step " << step + 1;
        EXPECT_EQ(t.shots[step].copy(cell6), final.copy(cell6)) << "step " << step + 1;
    }
}

TEST_F(Lcd99Animation, UnchangedCellKeepsItsRestoredPicture)
{
    // Thick segments without insets overlap at the corners, so the order they are drawn in
    // shows: a cell drawn again in the animation's order would look different.
    auto thick = [](TLCD99 &display, Timeline &timeline, TLCD99::TLCDAnimation animation) {
        pace(display, timeline);
        display.resize(60, 41);
        display.setDigitNum(2);
        display.setDigitSpacing(1);
        display.setGapX(0);
        display.setGapY(0);
        display.setSegmentSize(6);
        display.show();
        display.setAnimation(animation);
        display.setAnimationDelay(700);
    };
    Timeline t2, t3;
    TLCD99 reference, animated, drawnUp;
    thick(reference, t, TLCD99::anNone);
    reference.setValue(QStringLiteral("13"));
    thick(animated, t2, TLCD99::anUp);
    animated.setValue(QStringLiteral("12"));
    animated.setValue(QStringLiteral("13"));
    thick(drawnUp, t3, TLCD99::anUp);
    drawnUp.setValue(QStringLiteral("1"));
    const QRect cell1(0, 0, reference.CellLeft(2), reference.height());
    ASSERT_NE(shot(drawnUp).copy(cell1), shot(reference).copy(cell1));
    EXPECT_EQ(shot(animated).copy(cell1), shot(reference).copy(cell1));
}

TEST_F(Lcd99Animation, RandomOrderComesFromTheInjectedChance)
{
    lcd.setAnimation(TLCD99::anRandom);
    QList<int> asked;
    lcd.setRandom([&asked](int n) {
        asked << n;
        return 3; // the fourth order: anLeft, lower right first
    });
    lcd.setValue(QStringLiteral("8"));
    EXPECT_EQ(asked, QList<int>{5});
    ASSERT_EQ(t.shots.size(), 8);
    EXPECT_EQ(litSegments(t.shots[0], lcd, 7, kRed), lcd99::lit({6}));
    EXPECT_EQ(litSegments(t.shots[1], lcd, 7, kRed), lcd99::lit({6, 3}));
}

TEST_F(Lcd99Animation, NoAnimationMeansNoWait)
{
    lcd.setAnimation(TLCD99::anNone);
    lcd.setValue(QStringLiteral("8"));
    EXPECT_TRUE(t.waits.isEmpty());
    EXPECT_EQ(litSegments(shot(lcd), lcd, 7, kRed), rowOf('8'));
}

TEST_F(Lcd99Animation, HiddenDisplayDrawsAtOnce)
{
    lcd.hide();
    lcd.setValue(QStringLiteral("5"));
    EXPECT_TRUE(t.waits.isEmpty());
    EXPECT_EQ(litSegments(shot(lcd), lcd, 7, kRed), rowOf('5'));
}

TEST_F(Lcd99Animation, ResizeRedrawsAtOnceWithTheNewMeasures)
{
    lcd.setAnimation(TLCD99::anNone);
    lcd.setValue(QStringLiteral("4"));
    lcd.setAnimation(TLCD99::anUp);
    lcd.resize(140, 50);
    EXPECT_TRUE(t.waits.isEmpty());
    const QImage image = shot(lcd);
    EXPECT_EQ(image.size(), QSize(140, 50));
    EXPECT_EQ(litSegments(image, lcd, 7, kRed), rowOf('4'));
}

TEST_F(Lcd99Animation, EmptyingDarkensAtOnceAndStillTakesItsTime)
{
    lcd.setValue(QStringLiteral("8"));
    t.waits.clear();
    t.shots.clear();
    lcd.setValue(QString());
    EXPECT_EQ(t.waits, QList<int>(8, 100));
    ASSERT_FALSE(t.shots.isEmpty());
    EXPECT_EQ(t.shots[0], blankImage(lcd.size()));
}

TEST_F(Lcd99Animation, ValueSetDuringAWaitIsDrawnAfterTheStepsInProgress)
{
    lcd.setWaiter([this](int ms) {
        t.waits << ms;
        t.now += ms;
        if (t.waits.size() == 1)
            lcd.setValue(QStringLiteral("1"));
    });
    lcd.setValue(QStringLiteral("8"));
    EXPECT_EQ(t.waits.size(), 16);
    EXPECT_EQ(lcd.PreviousValue(), QStringLiteral("1"));
    EXPECT_EQ(litSegments(shot(lcd), lcd, 7, kRed), rowOf('1'));
}
