#include "backgroundthread.h"

#include <QThread>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_LINUX
// Ten steps below the window: the kernel then gives the window's thread about nine parts in ten
// of a core they share, while the reading still gets every moment the window does not want.
constexpr int kNiceness = 10;

pid_t threadId()
{
    return static_cast<pid_t>(syscall(SYS_gettid));
}
#endif

} // namespace

void StartBackgroundThread(QThread *thread)
{
#ifdef Q_OS_LINUX
    // Linux keeps a "nice" value per thread, and a thread's new threads take it over (the
    // archive's readers among them); Qt's priorities change nothing under the normal scheduler.
    // Set from the thread itself as it starts, before it runs anything.
    QObject::connect(thread, &QThread::started, thread, [] { setpriority(PRIO_PROCESS, threadId(), kNiceness); },
                     Qt::DirectConnection);
    thread->start();
#else
    thread->start(QThread::LowPriority);
#endif
}

int ThreadNiceness()
{
#ifdef Q_OS_LINUX
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, threadId());
    return errno == 0 ? nice : 0;
#else
    return 0;
#endif
}
