#include "settledwatch.h"

#include <QDir>
#include <QFileInfo>

SettledWatch::SettledWatch(int settleMs, std::function<QStringList()> wanted, QObject *parent)
    : QObject(parent), m_wanted(std::move(wanted))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &SettledWatch::changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &SettledWatch::onChange);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &SettledWatch::onChange);
}

void SettledWatch::restart()
{
    m_settle.stop();
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    watch();
}

QStringList SettledWatch::absolutePaths(const QStringList &paths)
{
    QStringList absolute;
    for (const QString &path : paths) {
        const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        if (!absolute.contains(clean))
            absolute.append(clean);
    }
    return absolute;
}

void SettledWatch::onChange()
{
    watch();
    m_settle.start();
}

void SettledWatch::watch()
{
    // addPaths skips what is watched already; a replaced file has fallen out and comes back.
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    QStringList missing;
    for (const QString &path : m_wanted()) {
        if (QFileInfo::exists(path) && !watched.contains(path) && !missing.contains(path))
            missing.append(path);
    }
    if (!missing.isEmpty())
        m_watcher.addPaths(missing);
}
