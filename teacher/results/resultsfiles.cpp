#include "resultsfiles.h"

#include "userfile.h"

#include <QDir>
#include <QFileInfo>

ResultsFiles::ResultsFiles(QObject *parent)
    : QObject(parent), m_watch(kSettleMs, [this] { return wanted(); })
{
    connect(&m_watch, &SettledWatch::changed, this, &ResultsFiles::changed);
}

void ResultsFiles::setPaths(const QStringList &paths)
{
    m_paths = SettledWatch::absolutePaths(paths);
    m_watch.restart();
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

QStringList ResultsFiles::wanted() const
{
    QStringList wanted;
    for (const QString &path : m_paths)
        wanted << path << QFileInfo(path).absolutePath();
    return wanted;
}
