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
    : QObject(parent), m_watch(kSettleMs, [this] { return wanted(); })
{
    connect(&m_watch, &SettledWatch::changed, this, &JournalWatch::changed);
}

void JournalWatch::setSources(const QStringList &sources)
{
    m_sources = SettledWatch::absolutePaths(sources);
    m_watch.restart();
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

QStringList JournalWatch::wanted() const
{
    QStringList wanted;
    for (const QString &source : m_sources) {
        const QString folder = programFolderOf(source);
        wanted << QDir::cleanPath(folder) << QDir::cleanPath(JournalFolder(folder));
        if (QFileInfo(source).isFile())
            wanted << source;
    }
    for (const QString &journal : journals())
        wanted << journal << journal + QStringLiteral("-wal");
    return wanted;
}
