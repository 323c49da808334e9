#include "bankwatch.h"

#include "bankfile.h"
#include "lockedfile.h"

#include <QFileInfo>

BankWatch::BankWatch(QObject *parent) : QObject(parent)
{
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &BankWatch::look);
}

void BankWatch::follow(const QString &path, const QByteArray &digest)
{
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    m_path = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    m_digest = path.isEmpty() ? QByteArray() : digest;
    m_changed = false;
    if (!m_path.isEmpty())
        m_watcher.addPath(m_path);
}

bool BankWatch::follows(const QString &path) const
{
    return !m_path.isEmpty() && QFileInfo(path).absoluteFilePath() == m_path;
}

void BankWatch::look()
{
    if (m_path.isEmpty())
        return;
    // A file replaced by a rename, as every program here writes, is a new file: watched anew.
    if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
    // Only what the file holds counts: our own save, or a touch, changes nothing.
    const auto bytes = ReadWholeFile(m_path);
    const bool same = bytes.ok() && bytes.value && BankDigest(*bytes.value) == m_digest;
    if (same || m_changed)
        return;
    m_changed = true;
    emit changed();
}
