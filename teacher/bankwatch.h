#pragma once
// The bank file open in the workbench as it was read or last written: whether someone else (a
// second workbench, the bank tool's import) has changed it on disk since.

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

class BankWatch : public QObject
{
    Q_OBJECT

public:
    explicit BankWatch(QObject *parent = nullptr);

    /// Follows the file at path, read or written as bytes with this BankDigest; an empty path
    /// follows nothing.
    void follow(const QString &path, const QByteArray &digest);
    /// The BankDigest of the file as read or written; empty when nothing is followed.
    QByteArray digest() const { return m_digest; }
    /// Whether path names the file followed.
    bool follows(const QString &path) const;
    /// Whether the file was seen to change on disk since it was read or written.
    bool changedOnDisk() const { return m_changed; }

signals:
    /// The file on disk is no longer what was read or written.
    void changed();

private:
    void look();

    QFileSystemWatcher m_watcher;
    QString m_path;
    QByteArray m_digest;
    bool m_changed = false;
};
