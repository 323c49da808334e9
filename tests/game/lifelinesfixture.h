#pragma once
// A shown game window for the lifelines, with the helpers their tests share: the clock's tick,
// the call window, the captions and the number the first call of a fresh store asks for.

#include "gamefixture.h"

#include "telform.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>

namespace lifelines {

/// One tick of a running timer, delivered the way the timer itself delivers it.
inline void tick(QTimer *timer)
{
    ASSERT_TRUE(timer->isActive());
    QTimerEvent event(timer->timerId());
    QCoreApplication::sendEvent(timer, &event);
}

/// The seconds of a clock that runs while a question is on screen: a tick each second the
/// timer is running, none while it is stopped.
inline void runClock(QTimer *timer, int seconds)
{
    for (int s = 0; s < seconds; ++s) {
        if (timer->isActive())
            tick(timer);
    }
}

/// The call window the modal show was handed. Every test reaches the call window through here.
inline TTelform &callWindow(QDialog &d)
{
    return static_cast<TTelform &>(d);
}

} // namespace lifelines

class LifelinesFixture : public GameFixture
{
protected:
    TForm1 &startShown()
    {
        TForm1 &f = startWatched();
        f.show();
        QApplication::setActiveWindow(&f);
        return f;
    }
    QStringList captions() const
    {
        QStringList c;
        for (int tag = 1; tag <= 4; ++tag)
            c << form->FaqBtn[static_cast<size_t>(tag)]->Caption();
        return c;
    }
    /// One step of a scripted game, as a student plays it with the keys: "new <name>" (lesson
    /// "тест"), "fifty", "audience", "friend", "stop", or "right" / "wrong", pressed again
    /// while the host teases and keeps the question.
    void playByKeys(const QString &step)
    {
        if (step.startsWith(QLatin1String("new "))) {
            newGame(QStringLiteral("тест"), step.mid(4));
        } else if (step == QLatin1String("fifty")) {
            QTest::keyClick(form.get(), Qt::Key_F5);
        } else if (step == QLatin1String("audience")) {
            QTest::keyClick(form.get(), Qt::Key_F3);
        } else if (step == QLatin1String("friend")) {
            QTest::keyClick(form.get(), Qt::Key_F4);
            // The window manager hands the keyboard back to the game as the call window goes.
            QApplication::setActiveWindow(form.get());
        } else if (step == QLatin1String("stop")) {
            QTest::keyClick(form.get(), Qt::Key_F6);
        } else {
            const int level = form->Game.CurrentLevel;
            for (int clicks = 0; clicks < 5 && form->Game.CurrentLevel == level; ++clicks) {
                const int tag = step == QLatin1String("right") ? rightButton() : wrongButton();
                ASSERT_GT(tag, 0) << "no right answer shown at level " << level;
                QTest::keyClick(form.get(), static_cast<char>('0' + tag));
            }
        }
    }
    /// The number the first call of a fresh store asks for: friend 1 and phrase 1, then the
    /// correct button, the level and the points secured, cut to six digits and ended by a 9.
    QString firstNumber() const
    {
        const GameState &g = form->Game;
        return QStringLiteral("11%1%2%3").arg(g.CorrectButton).arg(g.CurrentLevel).arg(g.SecuredPoints).left(6)
            .leftJustified(7, QLatin1Char('9'));
    }
};
