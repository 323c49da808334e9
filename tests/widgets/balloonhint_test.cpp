#include "balloonhint.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {
bool askHint(QWidget *w)
{
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), w->mapToGlobal(QPoint(5, 5)));
    return QApplication::sendEvent(w, &help);
}
} // namespace

TEST(BalloonHint, ReplacesToolTipsWithAYellowBalloon)
{
    BalloonHints hints;
    QPushButton button(QStringLiteral("x"));
    button.setToolTip(QStringLiteral("Звонок другу"));
    button.show();
    askHint(&button);
    TBalloonHint *balloon = hints.current();
    ASSERT_NE(balloon, nullptr);
    EXPECT_EQ(balloon->text(), QStringLiteral("Звонок другу"));
    const QSize size = TBalloonHint::balloonSize(balloon->fontMetrics(), balloon->text());
    EXPECT_EQ(balloon->size(), size);
    EXPECT_GT(size.width(), balloon->fontMetrics().horizontalAdvance(balloon->text()));

    const QImage face = balloon->grab().toImage();
    // Left of the centred text, inside the ellipse: the balloon's yellow.
    const QPoint inside(8 + size.width() / 12, 14 + (size.height() - 16) / 2);
    EXPECT_EQ(face.pixelColor(inside), QColor(0xFF, 0xFF, 0x00));
    // The corner outside the ellipse stays see-through.
    EXPECT_EQ(face.pixelColor(size.width() - 1, 0).alpha(), 0);
    // Below and right of the ellipse's edge lies its shadow, darker than the balloon.
    const QColor shadow = face.pixelColor(size.width() / 2, size.height() - 2);
    EXPECT_GT(shadow.alpha(), 0);
    EXPECT_LT(shadow.red(), 0xFF);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_EQ(hints.current(), nullptr);
}

TEST(BalloonHint, WidgetWithoutAHintShowsNothing)
{
    BalloonHints hints;
    QPushButton button(QStringLiteral("x"));
    button.show();
    EXPECT_FALSE(askHint(&button) && hints.current());
    EXPECT_EQ(hints.current(), nullptr);
}
