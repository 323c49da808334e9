#pragma once
// What the window's thread did in its longest stalls. Every event the application delivers on
// that thread is timed (the outermost ones, whose time includes whatever they set off), and each
// gap between two ticks of a probe's timer is kept with what the thread had of the processor in
// it: a stall in which the thread ran for most of the gap was work done on it (the delivery that
// took the time names it); one in which it hardly ran was a wait, for the processor (the worker
// threads and other programs had it: "preempted" counts the times the kernel took it away) or
// for a lock or the disk ("waited").

#include <QApplication>
#include <QEvent>
#include <QMetaEnum>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace bench {

class StallWatch
{
public:
    /// One delivery of an event: how long, and to what.
    struct Delivery {
        double ms = 0;
        std::string what;
    };

    struct Stall {
        double ms = 0;      ///< from one tick to the next
        double cpuMs = 0;   ///< the window thread's processor time in it
        double allCpuMs = 0; ///< the whole program's, every thread
        long preempted = 0; ///< times the kernel gave the processor to another thread
        long waited = 0;    ///< times the thread waited of its own accord (a lock, the disk, the loop)
        double deliveredMs = 0; ///< in event deliveries, the rest in the event loop itself
        std::string label;
        std::vector<Delivery> longest; ///< the longest deliveries in it, longest first
    };

    static constexpr size_t kKept = 5;
    static constexpr size_t kDeliveriesKept = 3;

    /// A gap begins now: what came before it is forgotten.
    void begin(const std::string &label)
    {
        m_label = label;
        m_since = sample();
        m_deliveries.clear();
        m_deliveredMs = 0;
    }

    /// A tick of the probe's timer: the gap since the last one is kept when it is among the longest.
    void tick()
    {
        const Sample now = sample();
        Stall s;
        s.ms = now.wallMs - m_since.wallMs;
        s.cpuMs = now.threadCpuMs - m_since.threadCpuMs;
        s.allCpuMs = now.processCpuMs - m_since.processCpuMs;
        s.preempted = now.involuntary - m_since.involuntary;
        s.waited = now.voluntary - m_since.voluntary;
        s.deliveredMs = m_deliveredMs;
        s.label = m_label;
        s.longest = m_deliveries;
        m_since = now;
        m_deliveries.clear();
        m_deliveredMs = 0;
        if (m_longest.size() == kKept && s.ms <= m_longest.back().ms)
            return;
        m_longest.push_back(std::move(s));
        std::sort(m_longest.begin(), m_longest.end(), [](const Stall &a, const Stall &b) { return a.ms > b.ms; });
        if (m_longest.size() > kKept)
            m_longest.pop_back();
    }

    /// An outermost delivery ended; receiver is null when the delivery deleted it.
    void delivered(double ms, const QMetaObject *meta, const QObject *receiver, QEvent::Type type)
    {
        m_deliveredMs += ms;
        if (ms < 1 || (m_deliveries.size() == kDeliveriesKept && ms <= m_deliveries.back().ms))
            return;
        Delivery d{ms, describe(meta, receiver, type)};
        m_deliveries.push_back(std::move(d));
        std::sort(m_deliveries.begin(), m_deliveries.end(), [](const Delivery &a, const Delivery &b) { return a.ms > b.ms; });
        if (m_deliveries.size() > kDeliveriesKept)
            m_deliveries.pop_back();
    }

    const std::vector<Stall> &longest() const { return m_longest; }
    void clearLongest() { m_longest.clear(); }

    void print() const
    {
        std::printf("    the %zu longest stalls (the window's thread: its processor time, the program's on every "
                    "thread; what it was delivering):\n",
                    m_longest.size());
        for (const Stall &s : m_longest) {
            std::printf("    %7.1f ms in %-22s thread %6.1f ms (preempted %ld, waited %ld), program %7.1f ms; "
                        "deliveries %6.1f ms",
                        s.ms, s.label.c_str(), s.cpuMs, s.preempted, s.waited, s.allCpuMs, s.deliveredMs);
            for (const Delivery &d : s.longest)
                std::printf("; %.1f ms %s", d.ms, d.what.c_str());
            std::printf("\n");
        }
    }

private:
    struct Sample {
        double wallMs = 0;
        double threadCpuMs = 0;
        double processCpuMs = 0;
        long involuntary = 0;
        long voluntary = 0;
    };

    static double ms(clockid_t clock)
    {
        timespec t{};
        clock_gettime(clock, &t);
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
    }

    static Sample sample()
    {
        rusage u{};
        getrusage(RUSAGE_THREAD, &u);
        return {ms(CLOCK_MONOTONIC), ms(CLOCK_THREAD_CPUTIME_ID), ms(CLOCK_PROCESS_CPUTIME_ID), u.ru_nivcsw, u.ru_nvcsw};
    }

    static std::string describe(const QMetaObject *meta, const QObject *receiver, QEvent::Type type)
    {
        std::string what = meta->className();
        if (receiver && !receiver->objectName().isEmpty())
            what += " \"" + receiver->objectName().toStdString() + "\"";
        const char *name = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
        what += ' ';
        what += name ? name : std::to_string(static_cast<int>(type));
        return what;
    }

    std::string m_label;
    Sample m_since;
    double m_deliveredMs = 0;
    std::vector<Delivery> m_deliveries;
    std::vector<Stall> m_longest;
};

/// The application of a probe whose window thread's deliveries the watch times.
class WatchedApplication final : public QApplication
{
public:
    WatchedApplication(int &argc, char **argv, StallWatch &watch) : QApplication(argc, argv), m_watch(watch) {}

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (m_depth > 0 || QThread::currentThread() != thread())
            return nested(receiver, event);
        // The event may be gone once delivered, and the receiver too (a deferred delete).
        const QEvent::Type type = event->type();
        const QMetaObject *meta = receiver->metaObject();
        const QPointer<QObject> alive(receiver);
        ++m_depth;
        timespec a{};
        clock_gettime(CLOCK_MONOTONIC, &a);
        const bool done = QApplication::notify(receiver, event);
        timespec b{};
        clock_gettime(CLOCK_MONOTONIC, &b);
        --m_depth;
        const double ms = static_cast<double>(b.tv_sec - a.tv_sec) * 1e3 + static_cast<double>(b.tv_nsec - a.tv_nsec) / 1e6;
        m_watch.delivered(ms, meta, alive.data(), type);
        return done;
    }

private:
    bool nested(QObject *receiver, QEvent *event)
    {
        const bool mine = QThread::currentThread() == thread();
        if (mine)
            ++m_depth;
        const bool done = QApplication::notify(receiver, event);
        if (mine)
            --m_depth;
        return done;
    }

    StallWatch &m_watch;
    int m_depth = 0;
};

} // namespace bench
