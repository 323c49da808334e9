#pragma once
// What the answer click needs around it in a benchmark: a host without pauses, sound or banners,
// and the journal with the time spent in it added up.

#include "banners.h"
#include "gamerecorder.h"
#include "pacer.h"
#include "soundbackend.h"

#include <QElapsedTimer>

class InstantPacer final : public Pacer
{
public:
    void wait(int) override {}
};
class SilentSound final : public SoundBackend
{
public:
    bool play(const QString &, bool) override { return false; }
};
class NoBanners final : public Banners
{
public:
    void showBanner(const QString &, const QString &, const QColor &, const QColor &) override {}
    void closeBanner() override {}
};

// The journal, with the time spent in it added up: in the calls that hand something over, and
// in those where the window waits for the writer (a question about to show, a game's end).
class TimedRecorder final : public GameRecorder
{
public:
    explicit TimedRecorder(GameRecorder &inner) : m_inner(inner) { m_clock.start(); }
    qint64 ns = 0;     ///< handing over
    qint64 waitNs = 0; ///< waiting for the writer
    /// From the last answer's hand-over to the end of the wait after it: the answer was on the
    /// disk by then. -1 until such a wait.
    qint64 onDiskNs = -1;
    void gameStarted(const StartedGame &g) override { timed(ns, [&] { m_inner.gameStarted(g); }); }
    void questionShown(const ShownQuestion &q) override { waited([&] { m_inner.questionShown(q); }); }
    void fiftyFiftyUsed(const std::array<int, 2> &b) override { timed(ns, [&] { m_inner.fiftyFiftyUsed(b); }); }
    void audienceAsked(const std::array<int, 5> &v) override { timed(ns, [&] { m_inner.audienceAsked(v); }); }
    void friendCalled(const QByteArray &r) override { timed(ns, [&] { m_inner.friendCalled(r); }); }
    void teaseShown(const QByteArray &t) override { timed(ns, [&] { m_inner.teaseShown(t); }); }
    void answered(int b) override
    {
        m_answeredAt = m_clock.nsecsElapsed();
        timed(ns, [&] { m_inner.answered(b); });
    }
    void gameEnded(GameEnding how, int level) override { waited([&] { m_inner.gameEnded(how, level); }); }
    bool leftUnfinished(const QByteArray &l, const QByteArray &p) override { return m_inner.leftUnfinished(l, p); }

private:
    template <typename F>
    void timed(qint64 &sum, F f)
    {
        QElapsedTimer t;
        t.start();
        f();
        sum += t.nsecsElapsed();
    }
    template <typename F>
    void waited(F f)
    {
        timed(waitNs, f);
        if (m_answeredAt >= 0)
            onDiskNs = m_clock.nsecsElapsed() - m_answeredAt;
        m_answeredAt = -1;
    }
    GameRecorder &m_inner;
    QElapsedTimer m_clock;
    qint64 m_answeredAt = -1;
};
