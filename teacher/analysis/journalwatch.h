#pragma once
// The journals the analysis reads, and a watcher that tells when any of them changed. SQLite in
// write-ahead mode writes a game's rows into "<journal>-wal" beside the file, and creates and
// removes that file as the game opens and closes it: the folders, the files and their logs are
// all watched, and every path is watched again after each change, as the results tab does.

#include "settledwatch.h"

#include <QObject>
#include <QStringList>

/// A machine whose journal could not be written, as the game noted it.
struct MachineProblem {
    QString machine;
    QString note; ///< the note's one line: when, which journal and what failed
};

class JournalWatch : public QObject
{
    Q_OBJECT

public:
    /// How long a burst of changes (a game's commit touches the log, the index and the folder)
    /// settles before one changed() stands for all of it.
    static constexpr int kSettleMs = 150;

    explicit JournalWatch(QObject *parent = nullptr);

    /// Program folders, journal folders and journal files, in place of the ones before; paths
    /// are made absolute and the same path named twice counts once.
    void setSources(const QStringList &sources);
    QStringList sources() const { return m_sources; }

    /// Every journal file the sources name, as they are now.
    QStringList journals() const;
    /// The problem notes the machines left in the sources' program folders.
    QList<MachineProblem> machineProblems() const;
    /// What the journals and notes are now, in a few bytes a file: equal stamps, nothing new to
    /// read. Reading a journal stirs its folder too (SQLite's shared-memory file), and that
    /// must not make the tab read again and again.
    QStringList stamp() const;

signals:
    /// A watched folder, journal or log changed, once per burst of changes.
    void changed();

private:
    /// The folders, the journals and their logs.
    QStringList wanted() const;

    QStringList m_sources;
    SettledWatch m_watch;
};
