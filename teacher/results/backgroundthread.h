#pragma once
// The threads the workbench reads and loads on. The window's thread must get the processor the
// moment it has something to do (a key, a repaint, the figures to show), even while a reading
// keeps every core busy: a reading of a million answers runs for seconds on as many threads as
// the machine has cores, and on a two-core school machine the window would otherwise wait its
// turn behind them for tenths of a second. So these threads, and every thread they start, run
// below the window's priority: the reading takes what the window leaves.

class QThread;

/// Starts thread at a lower priority than the window's, passed on to the threads it starts.
void StartBackgroundThread(QThread *thread);

/// The "nice" value of the calling thread (0 for the window's thread; higher runs later); 0
/// where the system has none.
int ThreadNiceness();
