#include "resultsfiles.h"

#include "userfile.h"

#include <QDir>
#include <QFileInfo>

ResultsFiles::ResultsFiles(QObject *parent)
    : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &ResultsFiles::changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &ResultsFiles::onChange);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &ResultsFiles::onChange);
}

void ResultsFiles::setPaths(const QStringList &paths)
{
    QStringList absolute;
    for (const QString &path : paths) {
        const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        if (!absolute.contains(clean))
            absolute.append(clean);
    }
    m_paths = absolute;
    m_settle.stop();
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    watch();
}

std::vector<ResultsSource> ResultsFiles::read() const
{
    const QStringList labels = FileLabels(m_paths);
    std::vector<ResultsSource> sources;
    for (int i = 0; i < m_paths.size(); ++i) {
        ResultsSource source;
        source.path = m_paths[i];
        source.label = labels[i];
        // A lab machine whose pupils have not finished yet has no file: nothing to list.
        source.missing = !QFileInfo::exists(m_paths[i]);
        if (!source.missing) {
            Result<QByteArray> input = ReadInputFile(m_paths[i]);
            source.bytes = std::move(input.value);
            source.error = input.error;
        }
        sources.push_back(std::move(source));
    }
    return sources;
}

void ResultsFiles::onChange()
{
    watch();
    m_settle.start();
}

void ResultsFiles::watch()
{
    // addPaths skips what is watched already; a replaced file has fallen out and comes back.
    QStringList wanted;
    for (const QString &path : std::as_const(m_paths)) {
        const QFileInfo info(path);
        if (info.exists())
            wanted.append(path);
        if (info.absoluteDir().exists())
            wanted.append(info.absolutePath());
    }
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    QStringList missing;
    for (const QString &path : std::as_const(wanted)) {
        if (!watched.contains(path) && !missing.contains(path))
            missing.append(path);
    }
    if (!missing.isEmpty())
        m_watcher.addPaths(missing);
}
