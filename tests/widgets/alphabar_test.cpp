// The keypad panel: where its keys lie, what a click reports, the radio group, and its bevels.

#include "alphabar.h"

#include <QCoreApplication>
#include <QImage>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

const QRgb Light = 0xFFFFFF;
const QRgb Shadow = 0x808080;
const QRgb Maroon = 0x800000;

const QStringList KeypadRows{"123", "456", "789", "*0#"};

// A shown panel with the given rows and the defaults otherwise.
std::unique_ptr<TAlphaPanel> panelWith(const QStringList &rows)
{
    auto panel = std::make_unique<TAlphaPanel>();
    panel->setAlphaButtons(rows);
    panel->show();
    return panel;
}

// The call window's keypad: maroon, lowered inside a raised bevel, 55 x 72.
std::unique_ptr<TAlphaPanel> callWindowKeypad()
{
    auto panel = std::make_unique<TAlphaPanel>();
    panel->setGeometry(27, 8, 55, 72);
    panel->setBevelInner(TAlphaPanel::bvLowered);
    panel->setBevelOuter(TAlphaPanel::bvRaised);
    panel->setColor(QColor(0x80, 0x00, 0x00));
    panel->setAlphaButtons(KeypadRows);
    panel->setCatchButtons(false);
    panel->show();
    return panel;
}

QList<QToolButton *> keys(const TAlphaPanel &panel)
{
    return panel.findChildren<QToolButton *>(Qt::FindDirectChildrenOnly);
}

// A radio-group panel with the keypad's rows.
std::unique_ptr<TAlphaPanel> caughtKeypad(bool allowAllUp = false)
{
    auto panel = panelWith(KeypadRows);
    panel->setCatchButtons(true);
    panel->setAllowAllUp(allowAllUp);
    return panel;
}

// The key of ch; a missing key fails the test (Google Test reports the exception).
QToolButton *key(const TAlphaPanel &panel, QChar ch)
{
    if (QToolButton *found = panel.FindButton(ch))
        return found;
    throw std::runtime_error("no key " + QString(ch).toStdString());
}

void click(const TAlphaPanel &panel, QChar ch)
{
    QTest::mouseClick(key(panel, ch), Qt::LeftButton);
}

// The characters of the keys that are down, in creation order.
QString keysDown(const TAlphaPanel &panel)
{
    QString down;
    for (const QToolButton *k : keys(panel)) {
        if (k->isChecked() || k->isDown())
            down += k->text();
    }
    return down;
}

QRgb pixelAt(QWidget &widget, int x, int y)
{
    return widget.grab().toImage().pixel(x, y) & 0xFFFFFF;
}

} // namespace

TEST(AlphaPanel, DefaultsMatchThePublishedTable)
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
