// The keypad panel as a radio group: which key stays down, ActiveButton, and rebuilding the keys.

#include "alphabartest.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace alphabartest;

TEST(KeypadGroup, CaughtKeyStaysDownUntilAnotherIsPressed)
{
    auto panel = caughtKeypad();
    click(*panel, u'1');
    EXPECT_EQ(keysDown(*panel), "1");
    click(*panel, u'5');
    EXPECT_EQ(keysDown(*panel), "5");
    EXPECT_EQ(panel->ActiveButton(), u'5');
    // Down, the key's top and left edges are shaded instead of lit.
    EXPECT_EQ(pixelAt(*panel, 19, 19), Shadow);
    EXPECT_EQ(pixelAt(*panel, 2, 2), Light);
}

TEST(KeypadGroup, AllowAllUpLetsTheDownKeyBeRaised)
{
    auto panel = caughtKeypad(true);
    QSignalSpy changes(panel.get(), &TAlphaPanel::OnValueChange);
    click(*panel, u'5');
    EXPECT_EQ(keysDown(*panel), "5");
    click(*panel, u'8');
    EXPECT_EQ(keysDown(*panel), "8");
    click(*panel, u'8');
    EXPECT_EQ(keysDown(*panel), QString());
    EXPECT_TRUE(panel->ActiveButton().isNull());
    EXPECT_EQ(changes.count(), 3);
}

TEST(KeypadGroup, WithoutAllowAllUpTheDownKeyStaysDown)
{
    auto panel = caughtKeypad();
    QSignalSpy changes(panel.get(), &TAlphaPanel::OnValueChange);
    click(*panel, u'5');
    click(*panel, u'5');
    EXPECT_EQ(keysDown(*panel), "5");
    EXPECT_EQ(panel->ActiveButton(), u'5');
    EXPECT_EQ(changes.count(), 2);
}

TEST(KeypadGroup, SettingActiveButtonPutsItsKeyDown)
{
    auto panel = panelWith({"123", "2"});
    panel->setCatchButtons(true);
    QSignalSpy changes(panel.get(), &TAlphaPanel::OnValueChange);
    panel->setActiveButton(u'3');
    EXPECT_EQ(keysDown(*panel), "3");
    panel->setActiveButton(u'2');
    EXPECT_EQ(keysDown(*panel), "2");
    EXPECT_TRUE(key(*panel, u'2')->isChecked());
    EXPECT_EQ(key(*panel, u'2')->y(), 19); // the later twin
    EXPECT_EQ(changes.count(), 2);
}

TEST(KeypadGroup, ClearingActiveButtonRaisesItsKeyEvenWithoutAllowAllUp)
{
    auto panel = caughtKeypad();
    click(*panel, u'4');
    panel->setActiveButton(u'x'); // no such key: the keys stay as they are
    EXPECT_EQ(panel->ActiveButton(), u'x');
    EXPECT_EQ(keysDown(*panel), "4");
    panel->setActiveButton(u'4');
    panel->setActiveButton(QChar());
    EXPECT_EQ(keysDown(*panel), QString());
    EXPECT_TRUE(panel->ActiveButton().isNull());
}

TEST(KeypadGroup, CatchingFollowsActiveButtonAndStopsWhenTurnedOff)
{
    auto panel = panelWith(KeypadRows);
    click(*panel, u'6');
    panel->setCatchButtons(true);
    EXPECT_EQ(keysDown(*panel), "6");
    panel->setCatchButtons(false);
    EXPECT_EQ(keysDown(*panel), QString());
    click(*panel, u'9');
    EXPECT_EQ(keysDown(*panel), QString());
    EXPECT_EQ(panel->ActiveButton(), u'9');
}

TEST(KeypadGroup, LayoutChangeRebuildsAndReleasesAllButTheActiveKey)
{
    auto panel = caughtKeypad(true);
    click(*panel, u'5');
    QPointer<QToolButton> oldFive = key(*panel, u'5');
    panel->setButtonWidth(18); // the same value: nothing happens
    EXPECT_EQ(key(*panel, u'5'), oldFive.data());
    panel->setButtonWidth(20);
    EXPECT_NE(key(*panel, u'5'), oldFive.data());
    EXPECT_EQ(keys(*panel).size(), 12);
    EXPECT_EQ(key(*panel, u'3')->geometry(), QRect(40, 2, 20, 18));
    EXPECT_EQ(keysDown(*panel), "5");
    EXPECT_EQ(panel->ActiveButton(), u'5');
    // The rebuilt keys still form the group.
    click(*panel, u'1');
    EXPECT_EQ(keysDown(*panel), "1");
}

TEST(KeypadGroup, NewLinesForgetTheChoiceAndReport)
{
    auto panel = caughtKeypad();
    click(*panel, u'5');
    QSignalSpy changes(panel.get(), &TAlphaPanel::OnValueChange);
    panel->setAlphaButtons({"5", "6"});
    EXPECT_TRUE(panel->ActiveButton().isNull());
    EXPECT_EQ(keysDown(*panel), QString());
    EXPECT_EQ(keys(*panel).size(), 2);
    EXPECT_EQ(changes.count(), 1);
    panel->setAlphaButtons({"5", "6"});
    EXPECT_EQ(changes.count(), 2);
}

TEST(KeypadGroup, HandlerMaySetNewLinesDuringAClick)
{
    auto panel = panelWith(KeypadRows);
    QObject::connect(panel.get(), &TAlphaPanel::OnValueChange, panel.get(), [&panel] {
        if (panel->ActiveButton() == u'0')
            panel->setAlphaButtons({"AB"});
    });
    click(*panel, u'0');
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(keys(*panel).size(), 2);
    click(*panel, u'B');
    EXPECT_EQ(panel->ActiveButton(), u'B');
}
