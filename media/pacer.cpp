#include "pacer.h"

#include <QEventLoop>
#include <QTimer>

void EventLoopPacer::wait(int ms)
{
    if (ms <= 0)
        return;
    // Timers and repaints go on while the sequence waits; clicks and keys stay queued until
    // it ends, so the player cannot start a second sequence inside the first.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    // A coarse timer may fire a little early; the sequence promises at least ms.
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
