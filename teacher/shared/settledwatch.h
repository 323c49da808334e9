#pragma once
// Watching files that the game replaces, creates and removes while the workbench reads them. A
// watcher loses a path whose file was replaced (a new file renamed over the old one), so after
// every change the paths its owner wants are watched again; and a burst of changes (a lock file,
// a new file, a rename, a log) settles before one changed() stands for all of it.

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class SettledWatch : public QObject
{
    Q_OBJECT

public:
    /// wanted gives the files and folders to watch as they are now; those that do not exist
    /// are left out until they do.
    SettledWatch(int settleMs, std::function<QStringList()> wanted, QObject *parent = nullptr);

    /// Forgets what was watched and watches what is wanted now; a pending changed() is dropped.
    void restart();

    /// paths made absolute and clean, each once, in their order.
    static QStringList absolutePaths(const QStringList &paths);

signals:
    /// Something watched changed, once per burst of changes.
    void changed();

private:
    void onChange();
    void watch();

    std::function<QStringList()> m_wanted;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
