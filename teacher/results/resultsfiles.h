#pragma once
// The open results files, read and watched. The game replaces a results file on every write
// (a new file renamed over the old one), and a watcher loses a path whose file was replaced:
// the folders are watched too, and every path is watched again after each change. A file
// that does not exist yet is picked up when the first game of the lab writes it.

#include "resultsmerge.h"

#include "settledwatch.h"

#include <QObject>
#include <QStringList>

#include <vector>

class ResultsFiles : public QObject
{
    Q_OBJECT

public:
    /// How long a burst of changes (the lock file, the new file, the rename) settles before one
    /// changed() stands for all of it.
    static constexpr int kSettleMs = 100;

    explicit ResultsFiles(QObject *parent = nullptr);

    /// Reads and watches these files in place of the ones before; paths are made absolute,
    /// the same file named twice counts once.
    void setPaths(const QStringList &paths);
    QStringList paths() const { return m_paths; }

    /// Every file as it is now, labelled for the table.
    std::vector<ResultsSource> read() const;

signals:
    /// A watched file or its folder changed, once per burst of changes.
    void changed();

private:
    /// The files and their folders.
    QStringList wanted() const;

    QStringList m_paths;
    SettledWatch m_watch;
};
