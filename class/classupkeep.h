#pragma once
// What the room does for its files between requests: the host's counters, kept in memory while
// the room lives, go to disk at most once a second; the journal's log is copied into its file
// when the room falls quiet, and now and then while it never does.

#include <QtGlobal>

#include <memory>

class CounterStoreCache;
class JournalStore;

class ClassUpkeep
{
public:
    ClassUpkeep(std::shared_ptr<JournalStore> store, qint64 nowMs);
    ~ClassUpkeep();
    ClassUpkeep(const ClassUpkeep &) = delete;
    ClassUpkeep &operator=(const ClassUpkeep &) = delete;

    /// A request came at nowMs: the journal may have moved, and the room is not quiet.
    void requested(qint64 nowMs);
    /// The room's clock: what is due now is done.
    void tick(qint64 nowMs);
    /// The room closes: the journal checkpointed and the counters written, whatever is due.
    void finish();

private:
    std::shared_ptr<JournalStore> m_store;
    std::shared_ptr<CounterStoreCache> m_counters;
    qint64 m_countersFlushed = 0;
    qint64 m_lastRequest = 0;
    qint64 m_lastCheckpoint = 0;
    bool m_journalMoved = false; ///< rows written since the last checkpoint
};
