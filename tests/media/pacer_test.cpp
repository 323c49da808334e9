#include "pacer.h"
#include "windowsystem.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A button that counts its clicks and the keys typed into it.
class CountingButton : public QPushButton
{
public:
    CountingButton() : QPushButton(QStringLiteral("A"))
    {
        connect(this, &QPushButton::clicked, this, [this] { ++clicks; });
        setFocusPolicy(Qt::StrongFocus);
    }
    int clicks = 0;
    int keys = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_1)
            ++keys;
        QPushButton::keyPressEvent(event);
    }
};

void showActive(QWidget &w)
{
    w.resize(80, 40);
    w.show();
    QApplication::setActiveWindow(&w);
    w.setFocus();
    for (int i = 0; i < 50 && !(w.windowHandle() && w.windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents();
    ASSERT_TRUE(w.windowHandle()->isExposed());
}

} // namespace

TEST(EventLoopPacer, ClicksAndKeysWaitUntilTheSequenceEnds)
{
    CountingButton button;
    showActive(button);
    EventLoopPacer pacer;
    bool queued = false;
    int clicksDuring = -1;
    int keysDuring = -1;
    // The player clicks and types while the sequence holds the game.
    QTimer::singleShot(0, &button, [&] {
        windowsystem::queueClick(&button, QPoint(10, 10));
        windowsystem::queueKey(&button, Qt::Key_1, QStringLiteral("1"));
        queued = true;
    });
    QTimer::singleShot(15, &button, [&] {
        clicksDuring = button.clicks;
        keysDuring = button.keys;
    });
    pacer.wait(30);
    ASSERT_TRUE(queued);
    EXPECT_EQ(clicksDuring, 0);
    EXPECT_EQ(keysDuring, 0);
    EXPECT_EQ(button.clicks, 0);
    // Once the sequence has ended the input is handled, none of it lost.
    QCoreApplication::processEvents();
    EXPECT_EQ(button.clicks, 1);
    EXPECT_EQ(button.keys, 1);
}

TEST(EventLoopPacer, TimersAndRepaintsGoOnWhileItWaits)
{
    QWidget w;
    showActive(w);
    EventLoopPacer pacer;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    pacer.wait(20);
    EXPECT_GT(ticks, 0);
}
