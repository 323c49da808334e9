#include "journalwatch.h"

#include "answeranalysis.h"
#include "journalfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kJournalDir = QStringLiteral("journal");

// The program folder a source belongs to, ending in "/": the folder holding journal/.
QString programFolderOf(const QString &source)
{
    const QFileInfo info(source);
    QDir dir = info.isDir() ? QDir(source) : info.absoluteDir();
    if (dir.dirName() == kJournalDir)
        dir.cdUp();
    return dir.absolutePath() + QLatin1Char('/');
}

// The machines that left a note: journal/<machine>.problem, or journal-<machine>.problem beside
// the journal folder when that folder could not be written.
QStringList notedMachines(const QString &programFolder)
{
    QStringList machines;
    const QString suffix = QStringLiteral(".problem");
    const QDir journal(JournalFolder(programFolder));
    for (const QString &name : journal.entryList({QStringLiteral("*.problem")}, QDir::Files, QDir::Name))
        machines.append(name.chopped(suffix.size()));
    const QString prefix = QStringLiteral("journal-");
    for (const QString &name : QDir(programFolder).entryList({prefix + QStringLiteral("*.problem")}, QDir::Files)) {
        const QString machine = name.mid(prefix.size()).chopped(suffix.size());
        if (!machines.contains(machine))
            machines.append(machine);
    }
    machines.sort();
    return machines;
}

} // namespace

JournalWatch::JournalWatch(QObject *parent)
    : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &JournalWatch::changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &JournalWatch::onChange);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &JournalWatch::onChange);
}

void JournalWatch::setSources(const QStringList &sources)
{
    QStringList absolute;
    for (const QString &path : sources) {
        const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        if (!absolute.contains(clean))
            absolute.append(clean);
    }
    m_sources = absolute;
    m_settle.stop();
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    watch();
}

QStringList JournalWatch::journals() const
{
    QStringList files;
    for (const QString &source : m_sources) {
        for (const QString &file : JournalFilesOf(source)) {
            const QString clean = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
            if (!files.contains(clean))
                files.append(clean);
        }
    }
    return files;
}

QList<MachineProblem> JournalWatch::machineProblems() const
{
    QStringList folders;
    for (const QString &source : m_sources) {
        const QString folder = programFolderOf(source);
        if (!folders.contains(folder))
            folders.append(folder);
    }
    QList<MachineProblem> problems;
    for (const QString &folder : folders) {
        for (const QString &machine : notedMachines(folder)) {
            const QString note = ReadProblemNote(folder, machine);
            if (!note.isEmpty())
                problems.append(MachineProblem{machine, note});
        }
    }
    return problems;
}

namespace {

// Size, time and the log's header, whose salt changes when SQLite starts the log afresh at the
// same size.
QString fileStamp(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("-");
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(32).toHex() : QByteArray();
    return QStringLiteral("%1 %2 %3").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch()).arg(QLatin1String(head));
}

} // namespace

QStringList JournalWatch::stamp() const
{
    QStringList stamp;
    for (const QString &journal : journals())
        stamp << journal << fileStamp(journal) << fileStamp(journal + QStringLiteral("-wal"));
    for (const MachineProblem &p : machineProblems())
        stamp << p.machine << p.note;
    return stamp;
}

void JournalWatch::onChange()
{
    watch();
    m_settle.start();
}

void JournalWatch::watch()
{
    // addPaths skips what is watched already; a log removed and made again comes back.
    QStringList wanted;
    const auto want = [&wanted](const QString &path) {
        if (QFileInfo::exists(path) && !wanted.contains(path))
            wanted.append(path);
    };
    for (const QString &source : std::as_const(m_sources)) {
        const QString folder = programFolderOf(source);
        want(QDir::cleanPath(folder));
        want(QDir::cleanPath(JournalFolder(folder)));
        if (QFileInfo(source).isFile())
            want(source);
    }
    for (const QString &journal : journals()) {
        want(journal);
        want(journal + QStringLiteral("-wal"));
    }
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    QStringList missing;
    for (const QString &path : std::as_const(wanted)) {
        if (!watched.contains(path))
            missing.append(path);
    }
    if (!missing.isEmpty())
        m_watcher.addPaths(missing);
}
