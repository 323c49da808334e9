#include "pgproxy.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace pgtest {

struct Proxy::Link {
    int client = -1;
    int server = -1;
    QByteArray toServer, toClient;
    QByteArray fromServer; ///< the server's bytes not yet whole messages
    bool greeted = false;  ///< the server's first message has been seen
    void shutBoth();
};

namespace {

bool unixAddress(const std::string &path, sockaddr_un *address)
{
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.size() >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Sends what the peer takes now; the rest waits for POLLOUT. False when the peer is gone.
bool flush(int fd, QByteArray &pending)
{
    while (!pending.isEmpty()) {
        const ssize_t n = ::send(fd, pending.constData(), size_t(pending.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        pending.remove(0, n);
    }
    return true;
}

// Appends what can be read now; false at the end of the stream or on an error.
bool receive(int fd, QByteArray &into)
{
    char buffer[16384];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    into.append(buffer, n);
    return n > 0;
}

void shut(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

void Proxy::Link::shutBoth()
{
    shut(client);
    shut(server);
}

Proxy::Proxy(const QString &serverSocketDir, int port)
    : m_port(port), m_serverPath(QFile::encodeName(serverSocketDir + QStringLiteral("/.s.PGSQL.%1").arg(port)).toStdString())
{
    sockaddr_un address;
    const std::string own = QFile::encodeName(m_dir.filePath(QStringLiteral(".s.PGSQL.%1").arg(port))).toStdString();
    if (!m_dir.isValid() || !unixAddress(own, &address) || ::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_error = QStringLiteral("no folder or pipe for the proxy");
        return;
    }
    m_listen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listen, 64) != 0) {
        m_error = QStringLiteral("the proxy cannot listen at %1: %2")
                      .arg(QFile::decodeName(own.c_str()), QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_thread = std::thread([this] { run(); });
}

Proxy::~Proxy()
{
    m_stop = true;
    if (m_thread.joinable()) {
        wake();
        m_thread.join();
    }
    for (Link &link : m_links)
        link.shutBoth();
    for (int *fd : {&m_listen, &m_wake[0], &m_wake[1]})
        shut(*fd);
}

void Proxy::cutAfterNextCommit(bool autocommitInsert)
{
    m_arm = autocommitInsert ? CommitOrInsert : Commit;
}

void Proxy::cutAll()
{
    if (!m_thread.joinable())
        return; // never listened: nothing to cut
    std::unique_lock<std::mutex> lock(m_mutex);
    const std::uint64_t asked = ++m_cutsAsked;
    wake();
    m_cutDone.wait(lock, [&] { return m_cutsMade >= asked; });
}

void Proxy::wake()
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &byte, 1);
}

void Proxy::run()
{
    while (!m_stop) {
        std::vector<pollfd> polled = {{m_wake[0], POLLIN, 0}, {m_listen, POLLIN, 0}};
        for (const Link &link : m_links) {
            polled.push_back({link.client, short(POLLIN | (link.toClient.isEmpty() ? 0 : POLLOUT)), 0});
            polled.push_back({link.server, short(POLLIN | (link.toServer.isEmpty() ? 0 : POLLOUT)), 0});
        }
        if (::poll(polled.data(), polled.size(), -1) < 0)
            continue;
        // The links in the poll list, before accept() adds any.
        for (std::size_t i = m_links.size(); i-- > 0;) {
            if (!serve(m_links[i], polled[2 + 2 * i].revents, polled[3 + 2 * i].revents)) {
                m_links[i].shutBoth();
                m_links.erase(m_links.begin() + std::ptrdiff_t(i));
            }
        }
        if (polled[1].revents & POLLIN)
            accept();
        if (polled[0].revents & POLLIN) {
            char drain[64];
            while (::read(m_wake[0], drain, sizeof drain) > 0) {}
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_cutsMade < m_cutsAsked) {
                for (Link &link : m_links)
                    link.shutBoth();
                m_links.clear();
                m_cutsMade = m_cutsAsked;
                m_cutDone.notify_all();
            }
        }
    }
}

void Proxy::accept()
{
    Link link;
    link.client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (link.client < 0)
        return;
    sockaddr_un address;
    link.server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_refusing || link.server < 0 || !unixAddress(m_serverPath, &address)
        || ::connect(link.server, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        link.shutBoth();
        return;
    }
    m_links.push_back(std::move(link));
}

// One round for a connection; false when it is over (a side closed, or cut after a commit).
bool Proxy::serve(Link &link, short clientEvents, short serverEvents)
{
    bool open = true;
    if (clientEvents & (POLLIN | POLLHUP | POLLERR))
        open = receive(link.client, link.toServer);
    if (serverEvents & (POLLIN | POLLHUP | POLLERR))
        open = receive(link.server, link.fromServer) && open;
    const bool cut = passServerMessages(link);
    // What came before a cut or a close still reaches its side (a server's last error, say).
    flush(link.server, link.toServer);
    flush(link.client, link.toClient);
    if (cut)
        ++m_commitCuts;
    return open && !cut;
}

// Moves the server's whole messages to the client; true, holding back that message and every
// later one, when one says a transaction was committed while a cut is armed.
bool Proxy::passServerMessages(Link &link)
{
    // Over TCP libpq may first ask for TLS, and a server without it answers with a lone 'N'
    // before any framed message; on a Unix socket libpq does not ask.
    if (!link.greeted && link.fromServer.startsWith('N')) {
        link.toClient.append(link.fromServer.left(1));
        link.fromServer.remove(0, 1);
    }
    while (link.fromServer.size() >= 5) {
        link.greeted = true;
        const qsizetype length = 1 + qFromBigEndian<quint32>(link.fromServer.constData() + 1);
        if (link.fromServer.size() < length)
            break;
        const QByteArray message = link.fromServer.left(length);
        link.fromServer.remove(0, length);
        const int arm = m_arm;
        if (arm != Disarmed && message.startsWith('C')) {
            const QByteArray tag = message.mid(5, message.size() - 6); // without the closing zero
            if (tag == "COMMIT" || (arm == CommitOrInsert && tag == "INSERT 0 1")) {
                m_arm = Disarmed;
                return true;
            }
        }
        link.toClient.append(message);
    }
    return false;
}

} // namespace pgtest
