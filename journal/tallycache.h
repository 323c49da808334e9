#pragma once
// The lessons' tallies of every journal, kept while the journal does not change, read on as
// many threads as the machine has cores, and read ahead in the background: adding up a lesson
// of a big lab takes SQLite far longer than a change of lesson may (every answer of the lesson
// goes through its sorter), so the other lessons are read while the teacher looks at the first,
// and a change of lesson finds them ready. Reading them all in one pass instead would make the
// first lesson wait for the others.

#include "answertally.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TallyCache
{
public:
    /// files: the journals that opened; each thread reads them on connections of its own.
    explicit TallyCache(QStringList files);
    /// Stops reading ahead (after the journal being read) and waits for it.
    ~TallyCache();
    TallyCache(const TallyCache &) = delete;
    TallyCache &operator=(const TallyCache &) = delete;

    struct Found {
        QString file;
        std::shared_ptr<const LessonTally> tally; ///< null when the journal could not be read
        QString problem;
    };
    /// The tallies of a lesson, one per journal in the order of files: kept ones where the
    /// journal has not changed, the rest read now.
    std::vector<Found> lesson(const QString &lesson);

    /// Starts reading these lessons in the background, if it is not reading already.
    void readAhead(const QStringList &lessons);
    /// Whether the background is still reading.
    bool readingAhead() const;

private:
    struct Kept {
        QString stamp;
        std::shared_ptr<const LessonTally> tally;
    };
    /// Reads the lesson from the journals that are not kept as they are now, and keeps them.
    std::vector<Found> read(const QString &lesson);
    void readAll(QStringList lessons);

    const QStringList m_files;
    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    QHash<QString, Kept> m_kept; ///< by file and lesson
    QString m_busy;              ///< the lesson the background is reading
    std::atomic<bool> m_stop{false};
    bool m_reading = false;
    std::thread m_ahead;
};

/// What changes whenever a game writes a journal: the size and time of the file and its log.
QString JournalStamp(const QString &file);
