#include "tallycache.h"

#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <functional>

namespace {

QString keyOf(const QString &file, const QString &lesson)
{
    return file + QChar(0) + lesson;
}

// One journal's lesson, on a read-only connection of the calling thread's own: a connection
// may be used only by the thread that made it.
Result<LessonTally> tallyFile(const QString &file, const QString &lesson)
{
    using R = Result<LessonTally>;
    const auto reader = JournalReader::open(file);
    if (!reader.ok())
        return R::failure(reader.error);
    const QString name = QFileInfo(file).fileName();
    auto tally = TallyLesson(reader.value->database(), lesson);
    if (!tally.ok())
        return R::failure(QStringLiteral("%1: %2").arg(name, tally.error));
    auto games = reader.value->games(lesson);
    if (!games.ok())
        return R::failure(QStringLiteral("%1: %2").arg(name, games.error));
    tally.value.games = std::move(games.value);
    return tally;
}

// body(0) .. body(n - 1), on as many threads as the machine has cores, this one among them;
// once stop is set no new one is begun.
void inParallel(int n, const std::atomic<bool> &stop, const std::function<void(int)> &body)
{
    const int threads = std::clamp(QThread::idealThreadCount(), 1, std::max(n, 1));
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int i = next++; i < n && !stop; i = next++)
            body(i);
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread &t : pool)
        t.join();
}

} // namespace

QString JournalStamp(const QString &file)
{
    const QFileInfo db(file);
    const QFileInfo wal(file + QStringLiteral("-wal"));
    return QStringLiteral("%1:%2:%3:%4")
        .arg(db.size())
        .arg(db.lastModified().toMSecsSinceEpoch())
        .arg(wal.exists() ? wal.size() : -1)
        .arg(wal.exists() ? wal.lastModified().toMSecsSinceEpoch() : 0);
}

TallyCache::TallyCache(QStringList files) : m_files(std::move(files)) {}

TallyCache::~TallyCache()
{
    m_stop = true;
    if (m_ahead.joinable())
        m_ahead.join();
}

std::vector<TallyCache::Found> TallyCache::read(const QString &lesson)
{
    const int n = static_cast<int>(m_files.size());
    std::vector<Found> found(static_cast<size_t>(n));
    std::vector<QString> stamps(static_cast<size_t>(n));
    std::vector<int> missing;
    for (int i = 0; i < n; ++i) {
        const QString &file = m_files[i];
        stamps[static_cast<size_t>(i)] = JournalStamp(file);
        std::lock_guard lock(m_mutex);
        const Kept kept = m_kept.value(keyOf(file, lesson));
        if (kept.tally && kept.stamp == stamps[static_cast<size_t>(i)])
            found[static_cast<size_t>(i)] = {file, kept.tally, {}};
        else
            missing.push_back(i);
    }
    inParallel(static_cast<int>(missing.size()), m_stop, [&](int k) {
        const auto i = static_cast<size_t>(missing[static_cast<size_t>(k)]);
        auto tally = tallyFile(m_files[static_cast<qsizetype>(i)], lesson);
        found[i].file = m_files[static_cast<qsizetype>(i)];
        if (tally.ok())
            found[i].tally = std::make_shared<const LessonTally>(std::move(tally.value));
        else
            found[i].problem = tally.error;
    });
    std::lock_guard lock(m_mutex);
    for (int i : missing) {
        const Found &f = found[static_cast<size_t>(i)];
        if (f.tally)
            m_kept.insert(keyOf(f.file, lesson), {stamps[static_cast<size_t>(i)], f.tally});
    }
    return found;
}

std::vector<TallyCache::Found> TallyCache::lesson(const QString &lesson)
{
    {
        // The background may be reading this very lesson: its work is not done twice.
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [&] { return m_busy != lesson; });
    }
    return read(lesson);
}

void TallyCache::readAhead(const QStringList &lessons)
{
    std::lock_guard lock(m_mutex);
    if (m_reading || m_stop)
        return;
    if (m_ahead.joinable())
        m_ahead.join(); // finished: it has cleared m_reading
    m_reading = true;
    m_ahead = std::thread(&TallyCache::readAll, this, lessons);
}

bool TallyCache::readingAhead() const
{
    std::lock_guard lock(m_mutex);
    return m_reading;
}

void TallyCache::readAll(QStringList lessons)
{
    for (const QString &lesson : lessons) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stop)
                break;
            m_busy = lesson;
        }
        read(lesson);
        {
            std::lock_guard lock(m_mutex);
            m_busy.clear();
        }
        m_done.notify_all();
    }
    std::lock_guard lock(m_mutex);
    m_reading = false;
}
