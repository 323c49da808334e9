// Pressing and clicking: the pressed face, clicks from the mouse, the keyboard and the
// accelerator, and the pointer leaving and coming back while held.

#include "gradbtn.h"

#include <QEnterEvent>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kGreen = 0x00FF00;
const QPoint kInside(37, 12);
const QPoint kOutside(200, 12);

class GradBtnPress : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(300, 100);
        button = new TGradBtn(&window);
        button->move(10, 10);
        button->setBtnFrameSize(0);
        button->setBeginColor(QColor::fromRgb(kRed));
        button->setEndColor(QColor::fromRgb(kGreen));
        edit = new QLineEdit(&window);
        edit->move(10, 60);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }

    // The top row of the centred pattern: the begin colour, or the end colour while the face
    // shows them exchanged.
    QRgb edge() { return button->grab().toImage().pixel(37, 0) & 0xFFFFFF; }

    void expectColoursUntouched()
    {
        EXPECT_EQ(button->BeginColor(), QColor::fromRgb(kRed));
        EXPECT_EQ(button->EndColor(), QColor::fromRgb(kGreen));
    }

    QWidget window;
    TGradBtn *button = nullptr;
    QLineEdit *edit = nullptr;
};

} // namespace

TEST_F(GradBtnPress, LeftPressShowsTheColoursExchangedUntilRelease)
{
    EXPECT_EQ(edge(), kRed);
    QTest::mousePress(button, Qt::LeftButton, {}, kInside);
    EXPECT_FALSE(button->IsUp());
    EXPECT_EQ(edge(), kGreen);
    expectColoursUntouched();
    QTest::mouseRelease(button, Qt::LeftButton, {}, kInside);
    EXPECT_TRUE(button->IsUp());
    EXPECT_FALSE(button->JustClicked());
    EXPECT_EQ(edge(), kRed);
    expectColoursUntouched();
}

TEST_F(GradBtnPress, ClickFiresOnceOnReleaseInside)
{
    QSignalSpy clicks(button, &TGradBtn::clicked);
    QTest::mousePress(button, Qt::LeftButton, {}, kInside);
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseRelease(button, Qt::LeftButton, {}, kInside);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(GradBtnPress, PressTakesTheKeyboardFocus)
{
    ASSERT_TRUE(edit->hasFocus());
    QTest::mousePress(button, Qt::LeftButton, {}, kInside);
    EXPECT_TRUE(button->hasFocus());
    QTest::mouseRelease(button, Qt::LeftButton, {}, kInside);
}

TEST_F(GradBtnPress, ReleaseOutsideDoesNotClickAndRestoresTheFace)
{
    QSignalSpy clicks(button, &TGradBtn::clicked);
    QTest::mousePress(button, Qt::LeftButton, {}, kInside);
    QTest::mouseRelease(button, Qt::LeftButton, {}, kOutside);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_TRUE(button->IsUp());
    EXPECT_EQ(edge(), kRed);
}

TEST_F(GradBtnPress, LeavingWhileHeldReleasesAndComingBackPressesAgain)
{
    QSignalSpy clicks(button, &TGradBtn::clicked);
    QTest::mousePress(button, Qt::LeftButton, {}, kInside);
    QTest::mouseMove(button, kOutside);
    EXPECT_TRUE(button->IsUp());
    EXPECT_EQ(edge(), kRed);
    QTest::mouseMove(button, QPoint(50, 20));
    EXPECT_FALSE(button->IsUp());
    EXPECT_EQ(edge(), kGreen);
    QTest::mouseMove(button, QPoint(-5, 12));
    EXPECT_EQ(edge(), kRed);
    QTest::mouseMove(button, kInside);
    QTest::mouseRelease(button, Qt::LeftButton, {}, kInside);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(edge(), kRed);
    expectColoursUntouched();
}

TEST_F(GradBtnPress, LeavingWhileHeldAndReleasingOutsideDoesNotClick)
{
    QSignalSpy clicks(button, &TGradBtn::clicked);
    QTest::mousePress(button, Qt::LeftButton, {}, kInside);
    QTest::mouseMove(button, kOutside);
    QTest::mouseRelease(button, Qt::LeftButton, {}, kOutside);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_TRUE(button->IsUp());
    EXPECT_EQ(edge(), kRed);
}

TEST_F(GradBtnPress, WithoutSwapColorsThePressedFaceKeepsItsColoursButTheCaptionMoves)
{
    button->setSwapColors(false);
    button->setShowFocus(false); // the press takes the focus
    button->setCaption(QStringLiteral("Ok"));
    button->setTextStyle(TGradBtn::tsNormal);
    button->setFontColor(Qt::white);
    button->setGradientStyle(TGradBtn::gsHorizontal);
    button->setEndColor(QColor::fromRgb(kRed)); // flat, so only the caption differs
    const QImage up = button->grab().toImage();
    QTest::mousePress(button, Qt::LeftButton, {}, kInside);
    const QImage down = button->grab().toImage();
    QTest::mouseRelease(button, Qt::LeftButton, {}, kInside);
    EXPECT_EQ(down.pixel(0, 0) & 0xFFFFFF, kRed);
    // No bevel, yet the caption sits one pixel right and down while held.
    EXPECT_EQ(down.copy(1, 1, 74, 24), up.copy(0, 0, 74, 24));
    EXPECT_NE(down, up);
}

TEST_F(GradBtnPress, RightAndMiddleButtonsNeitherPressNorExchangeNorClick)
{
    QSignalSpy clicks(button, &TGradBtn::clicked);
    QSignalSpy presses(button, &TGradBtn::mousePressed);
    for (Qt::MouseButton which : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(button, which, {}, kInside);
        EXPECT_TRUE(button->IsUp());
        EXPECT_EQ(edge(), kRed);
        QTest::mouseRelease(button, which, {}, kInside);
        EXPECT_EQ(edge(), kRed);
    }
    EXPECT_EQ(clicks.count(), 0);
    ASSERT_EQ(presses.count(), 2);
    EXPECT_EQ(presses.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
    expectColoursUntouched();
    // Two right clicks in a row leave the face as it was, too.
    QTest::mouseClick(button, Qt::RightButton, {}, kInside);
    EXPECT_EQ(edge(), kRed);
}

TEST_F(GradBtnPress, ReturnAndKeypadEnterClickButSpaceDoesNot)
{
    QSignalSpy clicks(button, &TGradBtn::clicked);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks.count(), 2);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(GradBtnPress, KeyboardClickLeavesTheColoursAndTheNextPressIntact)
{
    QSignalSpy clicks(button, &TGradBtn::clicked);
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(edge(), kRed);
    expectColoursUntouched();
    // The next press, let go outside, still ends with the button up.
    QTest::mousePress(button, Qt::LeftButton, {}, kInside);
    EXPECT_EQ(edge(), kGreen);
    QTest::mouseRelease(button, Qt::LeftButton, {}, kOutside);
    EXPECT_TRUE(button->IsUp());
    EXPECT_EQ(edge(), kRed);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(GradBtnPress, EnterWhileHeldClicksOnceAndTheReleaseDoesNotClickAgain)
{
    QSignalSpy clicks(button, &TGradBtn::clicked);
    QTest::mousePress(button, Qt::LeftButton, {}, kInside);
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(button->JustClicked());
    EXPECT_EQ(edge(), kRed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, kInside);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(button->JustClicked());
}

TEST_F(GradBtnPress, TheClickHandlerRunsWithTheButtonShownReleased)
{
    QRgb seen = 0;
    bool upInHandler = false;
    QObject::connect(button, &TGradBtn::clicked, button, [&] {
        seen = edge();
        upInHandler = button->IsUp();
    });
    QTest::mousePress(button, Qt::LeftButton, {}, kInside);
    QTest::mouseRelease(button, Qt::LeftButton, {}, kInside);
    EXPECT_EQ(seen, kRed);
    EXPECT_TRUE(upInHandler);
}

TEST_F(GradBtnPress, AltAndTheAcceleratorLetterClick)
{
    QSignalSpy clicks(button, &TGradBtn::clicked);
    button->setCaption(QStringLiteral("&Yes"));
    QTest::keyClick(edit, Qt::Key_Y, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    button->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_Y, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    button->setEnabled(true);
    button->setCaption(QStringLiteral("Yes"));
    QTest::keyClick(edit, Qt::Key_Y, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(GradBtnPress, DoubledAmpersandMakesNoAccelerator)
{
    QSignalSpy clicks(button, &TGradBtn::clicked);
    button->setCaption(QStringLiteral("R&&D"));
    QTest::keyClick(edit, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(GradBtnPress, HidingOrDisablingAHeldButtonLetsItUp)
{
    QTest::mousePress(button, Qt::LeftButton, {}, kInside);
    button->hide();
    EXPECT_TRUE(button->IsUp());
    button->show();
    EXPECT_EQ(edge(), kRed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, kInside);

    QTest::mousePress(button, Qt::LeftButton, {}, kInside);
    button->setEnabled(false);
    EXPECT_TRUE(button->IsUp());
    QTest::mouseRelease(button, Qt::LeftButton, {}, kInside);
}

TEST_F(GradBtnPress, PointerAndFocusNotificationsFire)
{
    QSignalSpy entered(button, &TGradBtn::mouseEntered);
    QSignalSpy left(button, &TGradBtn::mouseLeft);
    QSignalSpy focusIn(button, &TGradBtn::focusEntered);
    QSignalSpy focusOut(button, &TGradBtn::focusLeft);
    QSignalSpy released(button, &TGradBtn::mouseReleased);
    QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
    QCoreApplication::sendEvent(button, &enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    EXPECT_EQ(entered.count(), 1);
    EXPECT_EQ(left.count(), 1);
    button->setFocus();
    edit->setFocus();
    EXPECT_EQ(focusIn.count(), 1);
    EXPECT_EQ(focusOut.count(), 1);
    QTest::mouseClick(button, Qt::LeftButton, {}, kInside);
    EXPECT_EQ(released.count(), 1);
}
