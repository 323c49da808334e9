#pragma once
// What SQLite does to the disk, seen from below: a file-system layer (a VFS) over the system's
// default one, made the default for every connection opened while it lives, that counts and
// times each kind of file's writes and syncs. Qt's SQLite driver links the same shared
// libsqlite3 as the program that includes this, so the journal's own connections go through it
// with nothing changed in them. For the journal's tests and bench_journal.

#include <sqlite3.h>

#include <QElapsedTimer>

#include <array>
#include <functional>
#include <mutex>
#include <thread>

namespace sqlitespy {

/// The files of a database: the file itself, its write-ahead log, and the rest (the log's
/// shared-memory index, temporary files). OnMakersThread counts again what was done to any of
/// them on the thread that made the spy (the window's, where the game makes it).
enum Kind { File = 0, Log = 1, Other = 2, OnMakersThread = 3 };

struct Counts {
    int writes = 0;
    qint64 bytes = 0;
    int syncs = 0;
    qint64 syncNs = 0; ///< the time spent in the syncs
    int truncates = 0;
};

/// What was done since the last take(), per kind of file.
using Tally = std::array<Counts, 4>;

class Spy
{
public:
    Spy()
    {
        m_real = sqlite3_vfs_find(nullptr);
        m_vfs.iVersion = 2;
        m_vfs.szOsFile = static_cast<int>(sizeof(SpyFile)) + m_real->szOsFile;
        m_vfs.mxPathname = m_real->mxPathname;
        m_vfs.zName = "tallory-spy";
        m_vfs.pAppData = this;
        m_vfs.xOpen = &Spy::open;
        m_vfs.xDelete = [](sqlite3_vfs *v, const char *n, int d) { return real(v)->xDelete(real(v), n, d); };
        m_vfs.xAccess = [](sqlite3_vfs *v, const char *n, int f, int *o) { return real(v)->xAccess(real(v), n, f, o); };
        m_vfs.xFullPathname = [](sqlite3_vfs *v, const char *n, int s, char *o) {
            return real(v)->xFullPathname(real(v), n, s, o);
        };
        m_vfs.xDlOpen = [](sqlite3_vfs *v, const char *n) { return real(v)->xDlOpen(real(v), n); };
        m_vfs.xDlError = [](sqlite3_vfs *v, int n, char *o) { real(v)->xDlError(real(v), n, o); };
        m_vfs.xDlSym = [](sqlite3_vfs *v, void *h, const char *n) { return real(v)->xDlSym(real(v), h, n); };
        m_vfs.xDlClose = [](sqlite3_vfs *v, void *h) { real(v)->xDlClose(real(v), h); };
        m_vfs.xRandomness = [](sqlite3_vfs *v, int n, char *o) { return real(v)->xRandomness(real(v), n, o); };
        m_vfs.xSleep = [](sqlite3_vfs *v, int us) { return real(v)->xSleep(real(v), us); };
        m_vfs.xCurrentTime = [](sqlite3_vfs *v, double *t) { return real(v)->xCurrentTime(real(v), t); };
        m_vfs.xGetLastError = [](sqlite3_vfs *v, int n, char *o) { return real(v)->xGetLastError(real(v), n, o); };
        m_vfs.xCurrentTimeInt64 = [](sqlite3_vfs *v, sqlite3_int64 *t) {
            return real(v)->xCurrentTimeInt64(real(v), t);
        };
        sqlite3_vfs_register(&m_vfs, 1);
    }
    ~Spy()
    {
        sqlite3_vfs_unregister(&m_vfs);
        sqlite3_vfs_register(m_real, 1);
    }
    Spy(const Spy &) = delete;
    Spy &operator=(const Spy &) = delete;

    /// Asked before every sync, with the kind of file: an SQLite error code fails the sync
    /// with it, as a failing disk would; 0 lets it go ahead. Set it before the syncs it watches.
    std::function<int(Kind)> beforeSync;

    /// What was done since the last call.
    Tally take()
    {
        std::lock_guard lock(m_mutex);
        Tally t = m_tally;
        m_tally = {};
        return t;
    }

private:
    struct SpyFile {
        sqlite3_file base;
        sqlite3_file *real;
        Spy *spy;
        Kind kind;
    };

    static sqlite3_vfs *real(sqlite3_vfs *v) { return static_cast<Spy *>(v->pAppData)->m_real; }
    static SpyFile *spy(sqlite3_file *f) { return reinterpret_cast<SpyFile *>(f); }
    static sqlite3_file *real(sqlite3_file *f) { return spy(f)->real; }

    template <typename F>
    void count(Kind kind, F change)
    {
        std::lock_guard lock(m_mutex);
        change(m_tally[kind]);
        if (std::this_thread::get_id() == m_maker)
            change(m_tally[OnMakersThread]);
    }

    static int open(sqlite3_vfs *v, const char *name, sqlite3_file *f, int flags, int *outFlags)
    {
        SpyFile *s = spy(f);
        s->real = reinterpret_cast<sqlite3_file *>(s + 1);
        s->spy = static_cast<Spy *>(v->pAppData);
        s->kind = flags & SQLITE_OPEN_MAIN_DB ? File : flags & SQLITE_OPEN_WAL ? Log : Other;
        const int rc = real(v)->xOpen(real(v), name, s->real, flags, outFlags);
        s->base.pMethods = s->real->pMethods ? &kMethods : nullptr;
        return rc;
    }

    static int write(sqlite3_file *f, const void *data, int n, sqlite3_int64 at)
    {
        spy(f)->spy->count(spy(f)->kind, [n](Counts &c) { ++c.writes, c.bytes += n; });
        return real(f)->pMethods->xWrite(real(f), data, n, at);
    }
    static int sync(sqlite3_file *f, int flags)
    {
        if (const auto &before = spy(f)->spy->beforeSync) {
            if (const int failed = before(spy(f)->kind))
                return failed;
        }
        QElapsedTimer t;
        t.start();
        const int rc = real(f)->pMethods->xSync(real(f), flags);
        const qint64 ns = t.nsecsElapsed();
        spy(f)->spy->count(spy(f)->kind, [ns](Counts &c) { ++c.syncs, c.syncNs += ns; });
        return rc;
    }
    static int truncate(sqlite3_file *f, sqlite3_int64 size)
    {
        spy(f)->spy->count(spy(f)->kind, [](Counts &c) { ++c.truncates; });
        return real(f)->pMethods->xTruncate(real(f), size);
    }

    static inline const sqlite3_io_methods kMethods = {
        3,
        [](sqlite3_file *f) { return real(f)->pMethods->xClose(real(f)); },
        [](sqlite3_file *f, void *o, int n, sqlite3_int64 at) { return real(f)->pMethods->xRead(real(f), o, n, at); },
        &Spy::write,
        &Spy::truncate,
        &Spy::sync,
        [](sqlite3_file *f, sqlite3_int64 *size) { return real(f)->pMethods->xFileSize(real(f), size); },
        [](sqlite3_file *f, int l) { return real(f)->pMethods->xLock(real(f), l); },
        [](sqlite3_file *f, int l) { return real(f)->pMethods->xUnlock(real(f), l); },
        [](sqlite3_file *f, int *o) { return real(f)->pMethods->xCheckReservedLock(real(f), o); },
        [](sqlite3_file *f, int op, void *arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); },
        [](sqlite3_file *f) { return real(f)->pMethods->xSectorSize(real(f)); },
        [](sqlite3_file *f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); },
        [](sqlite3_file *f, int r, int size, int extend, void volatile **p) {
            return real(f)->pMethods->xShmMap(real(f), r, size, extend, p);
        },
        [](sqlite3_file *f, int at, int n, int flags) { return real(f)->pMethods->xShmLock(real(f), at, n, flags); },
        [](sqlite3_file *f) { real(f)->pMethods->xShmBarrier(real(f)); },
        [](sqlite3_file *f, int del) { return real(f)->pMethods->xShmUnmap(real(f), del); },
        [](sqlite3_file *f, sqlite3_int64 at, int n, void **p) { return real(f)->pMethods->xFetch(real(f), at, n, p); },
        [](sqlite3_file *f, sqlite3_int64 at, void *p) { return real(f)->pMethods->xUnfetch(real(f), at, p); },
    };

    const std::thread::id m_maker = std::this_thread::get_id();
    sqlite3_vfs *m_real = nullptr;
    sqlite3_vfs m_vfs{};
    std::mutex m_mutex;
    Tally m_tally{};
};

} // namespace sqlitespy
