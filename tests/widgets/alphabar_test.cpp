// The keypad panel: where its keys lie, what a click reports, and its bevels.

#include "alphabartest.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace alphabartest;

TEST(AlphaPanel, ANewPanelIsARaisedEmptyStripOfEighteenPixelKeys)
{
    TAlphaPanel panel;
    EXPECT_TRUE(panel.ActiveButton().isNull());
    EXPECT_TRUE(panel.AlphaButtons().isEmpty());
    const QList<int> layout{panel.BlankXSize(),       panel.BlankYSize(),
                            panel.ButtonWidth(),      panel.ButtonHeight(),
                            panel.ButtonLeftMargin(), panel.ButtonTopMargin(),
                            panel.ButtonXSpacing(),   panel.ButtonYSpacing()};
    EXPECT_EQ(layout, (QList<int>{9, 9, 18, 18, 2, 2, -1, -1}));
    EXPECT_FALSE(panel.AllowAllUp());
    EXPECT_FALSE(panel.CatchButtons());
    EXPECT_EQ(panel.BevelOuter(), TAlphaPanel::bvRaised);
    EXPECT_EQ(panel.BevelInner(), TAlphaPanel::bvNone);
    EXPECT_EQ(panel.size(), QSize(448, 22));
    EXPECT_EQ(panel.ButtonFont(), QToolButton().font());
    EXPECT_TRUE(keys(panel).isEmpty());
}

TEST(AlphaPanel, DefaultFaceIsRaisedWithoutCaption)
{
    TAlphaPanel panel;
    panel.setColor(QColor(0x80, 0x00, 0x00));
    const QImage face = panel.grab().toImage();
    EXPECT_EQ(face.pixel(0, 20) & 0xFFFFFF, Light);
    EXPECT_EQ(face.pixel(446, 0) & 0xFFFFFF, Light);
    EXPECT_EQ(face.pixel(447, 0) & 0xFFFFFF, Shadow);
    EXPECT_EQ(face.pixel(0, 21) & 0xFFFFFF, Shadow);
    for (int x = 1; x < 447; ++x) // no caption anywhere along the middle
        ASSERT_EQ(face.pixel(x, 11) & 0xFFFFFF, Maroon) << "x " << x;
}

TEST(Keypad, DefaultGridHasTwelveKeys)
{
    auto panel = panelWith(KeypadRows);
    const QList<QToolButton *> all = keys(*panel);
    ASSERT_EQ(all.size(), 12);
    const QString captions = "123456789*0#";
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(all[i]->geometry(), QRect(2 + 17 * (i % 3), 2 + 17 * (i / 3), 18, 18));
        EXPECT_EQ(all[i]->text(), captions.mid(i, 1));
        EXPECT_EQ(all[i]->property("Tag").toInt(), captions[i].unicode());
        EXPECT_TRUE(all[i]->isVisible());
    }
}

TEST(Keypad, BlankLeavesAGapOfBlankXSize)
{
    auto panel = panelWith({"1 2"});
    panel->setColor(QColor(0x80, 0x00, 0x00));
    EXPECT_EQ(key(*panel, u'1')->x(), 2);
    EXPECT_EQ(key(*panel, u'2')->x(), 28);
    EXPECT_EQ(pixelAt(*panel, 24, 10), Maroon);
    panel->setBlankXSize(20);
    EXPECT_EQ(key(*panel, u'2')->x(), 39);
}

TEST(Keypad, EmptyLineMovesTheNextRowDownByEight)
{
    auto tight = panelWith({"1", "2"});
    auto spaced = panelWith({"1", "", "2"});
    EXPECT_EQ(key(*tight, u'2')->y(), 19);
    EXPECT_EQ(key(*spaced, u'2')->y(), 27);
    spaced->setBlankYSize(20);
    EXPECT_EQ(key(*spaced, u'2')->y(), 38);
}

TEST(Keypad, RowEndingInABlankIsAsTallAsItsKeys)
{
    auto trailing = panelWith({"1 ", "2"});
    EXPECT_EQ(key(*trailing, u'2')->y(), 19);
    auto blanksOnly = panelWith({"1", "   ", "2"});
    EXPECT_EQ(key(*blanksOnly, u'2')->y(), 27);
    EXPECT_EQ(keys(*blanksOnly).size(), 2);
}

TEST(Keypad, MarginsAndSpacingPlaceEveryKey)
{
    auto panel = panelWith({"ab", "c"});
    panel->setButtonLeftMargin(5);
    panel->setButtonTopMargin(7);
    panel->setButtonWidth(10);
    panel->setButtonHeight(12);
    panel->setButtonXSpacing(3);
    panel->setButtonYSpacing(4);
    EXPECT_EQ(key(*panel, u'a')->geometry(), QRect(5, 7, 10, 12));
    EXPECT_EQ(key(*panel, u'b')->geometry(), QRect(18, 7, 10, 12));
    EXPECT_EQ(key(*panel, u'c')->geometry(), QRect(5, 23, 10, 12));
    // An overlap larger than the margin goes left of the edge; it never wraps round.
    panel->setButtonLeftMargin(0);
    panel->setButtonXSpacing(-20);
    EXPECT_EQ(key(*panel, u'b')->x(), -10);
}

TEST(Keypad, CharactersBeyondLatin1KeepTheirOwnCode)
{
    auto panel = panelWith({QStringLiteral(u"АБ&")});
    EXPECT_EQ(key(*panel, u'А')->property("Tag").toInt(), 0x0410);
    EXPECT_EQ(key(*panel, u'Б')->text(), QStringLiteral(u"Б"));
    EXPECT_EQ(panel->FindButton(QChar(0xC0)), nullptr); // "À" is another character
    EXPECT_EQ(key(*panel, u'&')->text(), QStringLiteral("&"));
}

TEST(Keypad, FindButtonPrefersTheLaterOfTwoTwins)
{
    auto panel = panelWith({"12", "1"});
    EXPECT_EQ(key(*panel, u'1')->geometry().topLeft(), QPoint(2, 19));
    EXPECT_EQ(panel->FindButton(u'9'), nullptr);
}

TEST(Keypad, ClearButtonsRemovesEveryKey)
{
    auto panel = panelWith(KeypadRows);
    QPointer<QToolButton> five = key(*panel, u'5');
    panel->ClearButtons();
    EXPECT_TRUE(keys(*panel).isEmpty());
    EXPECT_EQ(panel->FindButton(u'5'), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(five.isNull());
}

TEST(Keypad, ButtonFontReachesEveryKey)
{
    QFont big("Liberation Sans");
    big.setPixelSize(13);
    auto panel = std::make_unique<TAlphaPanel>();
    panel->setButtonFont(big); // before the keys exist
    panel->setAlphaButtons(KeypadRows);
    for (const QToolButton *k : keys(*panel))
        EXPECT_EQ(k->font(), big) << k->text().toStdString();
    QFont small = big;
    small.setPixelSize(9);
    QPointer<QToolButton> first = keys(*panel).first();
    panel->setButtonFont(small); // to the keys there are, without a rebuild
    EXPECT_EQ(keys(*panel).first(), first.data());
    for (const QToolButton *k : keys(*panel))
        EXPECT_EQ(k->font(), small) << k->text().toStdString();
}

TEST(Keypad, EveryClickReportsItsKeyAndNoKeyStaysDown)
{
    auto panel = callWindowKeypad();
    QSignalSpy changes(panel.get(), &TAlphaPanel::OnValueChange);
    const QImage fiveBefore = key(*panel, u'5')->grab().toImage();
    click(*panel, u'5');
    EXPECT_EQ(panel->ActiveButton(), u'5');
    EXPECT_EQ(changes.count(), 1);
    click(*panel, u'5');
    EXPECT_EQ(panel->ActiveButton(), u'5');
    EXPECT_EQ(changes.count(), 2);
    click(*panel, u'#');
    EXPECT_EQ(panel->ActiveButton(), u'#');
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(keysDown(*panel), QString());
    EXPECT_EQ(key(*panel, u'5')->grab().toImage(), fiveBefore);
}

TEST(Keypad, SettingActiveButtonWithoutCatchingLeavesKeysUp)
{
    auto panel = panelWith(KeypadRows);
    QSignalSpy changes(panel.get(), &TAlphaPanel::OnValueChange);
    panel->setActiveButton(u'7');
    EXPECT_EQ(panel->ActiveButton(), u'7');
    EXPECT_EQ(changes.count(), 1);
    panel->setActiveButton(u'7'); // the same character again is reported again
    EXPECT_EQ(changes.count(), 2);
    panel->setActiveButton(QChar());
    EXPECT_TRUE(panel->ActiveButton().isNull());
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(keysDown(*panel), QString());
}

TEST(KeypadLook, CallWindowBevelsFrameTheKeys)
{
    auto panel = callWindowKeypad();
    const QImage image = panel->grab().toImage();
    auto at = [&image](int x, int y) { return image.pixel(x, y) & 0xFFFFFF; };
    // The raised outer bevel: lit left and top, shaded right and bottom with both far corners.
    EXPECT_EQ(at(0, 0), Light);
    EXPECT_EQ(at(0, 70), Light);
    EXPECT_EQ(at(53, 0), Light);
    EXPECT_EQ(at(54, 0), Shadow);
    EXPECT_EQ(at(0, 71), Shadow);
    EXPECT_EQ(at(54, 40), Shadow);
    EXPECT_EQ(at(30, 71), Shadow);
    // The lowered inner bevel: shaded left and top; its lit right and bottom lie under the
    // keys except at the two far corners.
    EXPECT_EQ(at(1, 1), Shadow);
    EXPECT_EQ(at(1, 40), Shadow);
    EXPECT_EQ(at(30, 1), Shadow);
    EXPECT_EQ(at(53, 1), Light);
    EXPECT_EQ(at(1, 70), Light);
    // The keys are raised: lit at the top left, dark at the bottom right, sharing the border.
    EXPECT_EQ(at(2, 2), Light);
    EXPECT_EQ(at(19, 30), Light);
    EXPECT_EQ(at(53, 70), 0x000000u);
    EXPECT_EQ(at(52, 69), Shadow);
    // They cover the rest; none of the face shows between them.
    for (int y = 2; y <= 70; ++y) {
        for (int x = 2; x <= 53; ++x)
            ASSERT_NE(at(x, y), Maroon) << x << "," << y;
    }
}

TEST(KeypadLook, EmptyKeypadShowsItsMaroonFace)
{
    auto panel = callWindowKeypad();
    panel->setAlphaButtons({});
    EXPECT_EQ(pixelAt(*panel, 2, 2), Maroon);
    EXPECT_EQ(pixelAt(*panel, 52, 69), Maroon);
    EXPECT_EQ(pixelAt(*panel, 53, 70), Light);
    panel->setBorderWidth(2);
    EXPECT_EQ(pixelAt(*panel, 1, 1), Maroon);
    EXPECT_EQ(pixelAt(*panel, 3, 3), Shadow);
    panel->setBevelWidth(2);
    EXPECT_EQ(pixelAt(*panel, 1, 1), Light);
    EXPECT_EQ(pixelAt(*panel, 3, 3), Maroon);
    EXPECT_EQ(pixelAt(*panel, 5, 5), Shadow);
    EXPECT_EQ(pixelAt(*panel, 6, 6), Maroon);
}
