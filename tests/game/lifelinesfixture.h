#pragma once
// A shown game window for the lifelines, with the helpers their tests share: the clock's tick,
// the call window, the captions and the number the first call of a fresh store asks for.

#include "gamefixture.h"

#include "telform.h"

#include <QApplication>
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
    /// The number the first call of a fresh store asks for: friend 1 and phrase 1, then the
    /// correct button, the level and the points secured, cut to six digits and ended by a 9.
    QString firstNumber() const
    {
        const GameState &g = form->Game;
        return QStringLiteral("11%1%2%3").arg(g.CorrectButton).arg(g.CurrentLevel).arg(g.SecuredPoints).left(6)
            .leftJustified(7, QLatin1Char('9'));
    }
};
