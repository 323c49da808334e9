// What a screen reader finds in our painted widgets: role, name, state and actions.

#include "accessiblewidgets.h"
#include "alphabar.h"
#include "gradbtn.h"
#include "lcd99.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSignalSpy>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class Accessible : public ::testing::Test
{
protected:
    void SetUp() override { InstallAccessibleWidgets(); }
};

QAccessibleInterface *readerOf(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(iface, nullptr);
    return iface;
}

} // namespace

TEST_F(Accessible, AnswerButtonIsAPressableButtonNamedByItsCaption)
{
    TGradBtn button;
    button.setCaption(QStringLiteral("B. Мо&сква && Питер"));
    button.show();
    QAccessibleInterface *iface = readerOf(&button);
    EXPECT_EQ(iface->role(), QAccessible::Button);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("B. Москва & Питер"));
    EXPECT_FALSE(iface->state().disabled);
    EXPECT_TRUE(iface->state().focusable);
    QAccessibleActionInterface *actions = iface->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    EXPECT_EQ(actions->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
              QStringList{QKeySequence::mnemonic(QStringLiteral("&с")).toString(QKeySequence::NativeText)});

    QSignalSpy clicks(&button, &TGradBtn::clicked);
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(Accessible, HiddenDisabledOrBlankedButtonCannotBePressed)
{
    TGradBtn button;
    button.setCaption(QStringLiteral("A. Да"));
    button.show();
    QSignalSpy clicks(&button, &TGradBtn::clicked);
    QAccessibleInterface *iface = readerOf(&button);

    button.setCaption(QString()); // blanked, as fifty-fifty leaves two answers
    EXPECT_TRUE(iface->state().disabled);
    EXPECT_FALSE(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());

    button.setCaption(QStringLiteral("A. Да"));
    button.setEnabled(false);
    EXPECT_TRUE(iface->state().disabled);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());

    button.setEnabled(true);
    button.hide();
    EXPECT_TRUE(iface->state().disabled);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 0);

    button.show();
    EXPECT_FALSE(iface->state().disabled);
}

TEST_F(Accessible, ProgramGivenNameAndVerdictAreRead)
{
    TGradBtn button;
    button.setCaption(QStringLiteral("C. 42"));
    button.setAccessibleName(QStringLiteral("C. сорок два"));
    button.setAccessibleDescription(QStringLiteral("верно"));
    QAccessibleInterface *iface = readerOf(&button);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("C. сорок два"));
    EXPECT_EQ(iface->text(QAccessible::Description), QStringLiteral("верно"));
}

TEST_F(Accessible, DisplayIsReadOnlyTextOfWhatItShows)
{
    TLCD99 display;
    display.setAnimation(TLCD99::anNone);
    display.setValue(QStringLiteral("8-903-555"));
    QAccessibleInterface *iface = readerOf(&display);
    EXPECT_EQ(iface->role(), QAccessible::StaticText);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("8-903-555"));
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("8-903-555"));
    EXPECT_TRUE(iface->state().readOnly);
    display.setAccessibleName(QStringLiteral("Набранный номер"));
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Набранный номер"));
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("8-903-555"));
}

TEST_F(Accessible, KeypadKeysAreButtonsNamedByTheirDigitAndPressable)
{
    TAlphaPanel keypad;
    keypad.setAlphaButtons({QStringLiteral("123"), QStringLiteral("456"), QStringLiteral("789"),
                            QStringLiteral("*0#")});
    keypad.show();
    QAccessibleInterface *panel = readerOf(&keypad);
    QStringList names;
    QAccessibleInterface *seven = nullptr;
    for (int i = 0; i < panel->childCount(); ++i) {
        QAccessibleInterface *key = panel->child(i);
        EXPECT_EQ(key->role(), QAccessible::Button);
        names << key->text(QAccessible::Name);
        if (key->text(QAccessible::Name) == QStringLiteral("7"))
            seven = key;
    }
    names.sort();
    EXPECT_EQ(names.join(QString()), QStringLiteral("#*0123456789"));
    ASSERT_NE(seven, nullptr);
    seven->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(keypad.ActiveButton(), QChar(u'7'));
}
