#include "classupkeep.h"

#include "counters.h"
#include "journalstore.h"

namespace {

/// The host's counters (question positions, remarks) go to disk at most this often while they
/// change: one locked rewrite for all the games' moves rather than one per move, each of which
/// would hold every student's request behind its syncs. A crash loses at most this much of
/// them, which only repeats a question position or a remark on a later game; a verdict
/// promises nothing about them.
constexpr qint64 kCounterFlushMs = 1000;
/// The journal's log is copied into its file (a checkpoint, one more sync) when the room has
/// had no request for this long: between games, where it holds nobody up. The desktop does it
/// at each game's start, but here one student's start is the others' answer time.
constexpr qint64 kCheckpointQuietMs = 3000;
/// ...and at least this often while the room never falls quiet. Served over HTTP, the room's
/// log is copied as it goes on the writer's thread (ClassWriter), and this one finds little
/// left; a room used without it would otherwise keep its log growing.
constexpr qint64 kCheckpointEveryMs = 5 * 60 * 1000;

/// The counters kept in memory while a room lives; rooms in one process share the one store.
std::shared_ptr<CounterStoreCache> sharedCounters()
{
    static std::weak_ptr<CounterStoreCache> current;
    std::shared_ptr<CounterStoreCache> cache = current.lock();
    if (!cache) {
        cache = std::make_shared<CounterStoreCache>();
        current = cache;
    }
    return cache;
}

} // namespace

ClassUpkeep::ClassUpkeep(std::shared_ptr<JournalStore> store, qint64 nowMs)
    : m_store(std::move(store))
    , m_counters(sharedCounters())
    , m_countersFlushed(nowMs)
    , m_lastRequest(nowMs)
    , m_lastCheckpoint(nowMs)
{
}

ClassUpkeep::~ClassUpkeep() = default;

void ClassUpkeep::requested(qint64 nowMs)
{
    m_lastRequest = nowMs;
    m_journalMoved = true;
}

void ClassUpkeep::tick(qint64 nowMs)
{
    if (m_counters->changed() && nowMs - m_countersFlushed >= kCounterFlushMs) {
        // A failure keeps the values changed in memory: the next tick tries again.
        m_counters->flush();
        m_countersFlushed = nowMs;
    }
    // Inside a batch's open transaction the log cannot be copied: a later tick does it.
    if (m_journalMoved && !m_store->inBatch()
        && (nowMs - m_lastRequest >= kCheckpointQuietMs || nowMs - m_lastCheckpoint >= kCheckpointEveryMs)) {
        m_store->checkpoint();
        m_journalMoved = false;
        m_lastCheckpoint = nowMs;
    }
}

void ClassUpkeep::finish()
{
    m_store->checkpoint();
    m_counters->flush();
}
