#pragma once
// A proxy between a libpq client and the test cluster that can lose the server's reply to a
// commit: the server has stored the transaction, the client never hears so. It listens on a socket
// file of libpq's form, "<socketDir()>/.s.PGSQL.<port>", so a service with host=socketDir() and the
// cluster's port reaches the server through it. Bytes go both ways on a thread of its own, for any
// number of connections; the test's thread may block in libpq meanwhile.

#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace pgtest {

class Proxy
{
public:
    /// Forwards to the server at "<serverSocketDir>/.s.PGSQL.<port>"; listens at once.
    explicit Proxy(const QString &serverSocketDir, int port = 5432);
    ~Proxy();
    Proxy(const Proxy &) = delete;
    Proxy &operator=(const Proxy &) = delete;

    /// Empty when listening; otherwise why not.
    const QString &error() const { return m_error; }
    QString socketDir() const { return m_dir.path(); }
    int port() const { return m_port; }

    /// The next connection whose server says a transaction has been committed ("COMMIT", and with
    /// autocommitInsert also a lone statement's "INSERT 0 1") is cut there: that reply and all
    /// after it are dropped and both sides closed. Once.
    void cutAfterNextCommit(bool autocommitInsert = false);
    /// How many connections have been cut after a commit.
    int commitCuts() const { return m_commitCuts; }

    /// Closes every connection now, as a network gone; returns once they are closed.
    void cutAll();
    /// While refusing, a new connection is closed as soon as it comes.
    void setRefusing(bool refusing) { m_refusing = refusing; }

private:
    struct Link;
    void run();
    void accept();
    bool serve(Link &link, short clientEvents, short serverEvents);
    bool passServerMessages(Link &link);
    void wake();

    QTemporaryDir m_dir{QStringLiteral("/tmp/tallory-proxy-XXXXXX")};
    QString m_error;
    int m_port;
    std::string m_serverPath;
    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    std::vector<Link> m_links; ///< the proxy's thread only

    enum Arm { Disarmed, Commit, CommitOrInsert };
    std::atomic<int> m_arm{Disarmed};
    std::atomic<int> m_commitCuts{0};
    std::atomic<bool> m_refusing{false};
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_cutDone;
    std::uint64_t m_cutsAsked = 0, m_cutsMade = 0; ///< cutAll's requests, under m_mutex
    std::thread m_thread;
};

} // namespace pgtest
