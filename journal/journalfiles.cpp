#include "journalfiles.h"

#include "recordgroup.h"

#include "lockedfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

namespace {
constexpr int kMaxMachineName = 64;
const QString kSuffix = QStringLiteral(".sqlite");
const QString kDamaged = QStringLiteral(" (повреждённый");
} // namespace

QString JournalFolder(const QString &programFolder)
{
    return programFolder + QStringLiteral("journal/");
}

QString SafeMachineName(const QString &name)
{
    QString safe;
    for (const QChar c : name) {
        const bool kept = c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')
                          || c == QLatin1Char('.');
        safe += kept ? c : QLatin1Char('_');
    }
    while (safe.startsWith(QLatin1Char('.')))
        safe.remove(0, 1);
    safe.truncate(kMaxMachineName);
    return safe.isEmpty() ? QStringLiteral("машина") : safe;
}

QString ThisMachineName()
{
    return SafeMachineName(QSysInfo::machineHostName());
}

QString JournalFilePath(const QString &programFolder, const QString &machine)
{
    return JournalFolder(programFolder) + machine + kSuffix;
}

QStringList JournalFiles(const QString &programFolder)
{
    return JournalFilesIn(JournalFolder(programFolder));
}

QStringList JournalFilesIn(const QString &journalFolder)
{
    const RecordGroupScope records;
    const QDir dir(journalFolder);
    QStringList files;
    for (const QString &name : dir.entryList({QStringLiteral("*.sqlite")}, QDir::Files, QDir::Name)) {
        if (!name.contains(kDamaged))
            files << dir.filePath(name);
    }
    return files;
}

QString SetAsideName(const QString &path)
{
    const QFileInfo info(path);
    const QString stem = info.path() + QLatin1Char('/') + info.completeBaseName() + kDamaged;
    for (int n = 1;; ++n) {
        const QString candidate = stem + (n == 1 ? QString() : QStringLiteral(" %1").arg(n)) + QStringLiteral(")")
                                  + kSuffix;
        // A name is free only when no part of an earlier copy (its write-ahead log too) has it.
        if (!QFileInfo::exists(candidate) && !QFileInfo::exists(candidate + QStringLiteral("-wal")))
            return candidate;
    }
}

QString ProblemNotePath(const QString &programFolder, const QString &machine)
{
    return JournalFolder(programFolder) + machine + QStringLiteral(".problem");
}

QString FallbackProblemNotePath(const QString &programFolder, const QString &machine)
{
    return programFolder + QStringLiteral("journal-") + machine + QStringLiteral(".problem");
}

void WriteProblemNote(const QString &programFolder, const QString &machine, const QDateTime &when,
                      const QString &what)
{
    const QString line = when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(": ")
                         + what + QLatin1Char('\n');
    const QByteArray bytes = line.toUtf8();
    const auto write = [&](const QString &path) {
        return ReplaceFileLocked(path, [&](const auto &) {
                   return Result<std::optional<QByteArray>>::success(bytes);
               }).ok();
    };
    const RecordGroupScope records;
    QDir().mkpath(JournalFolder(programFolder));
    if (!write(ProblemNotePath(programFolder, machine)))
        write(FallbackProblemNotePath(programFolder, machine));
}

QString ReadProblemNote(const QString &programFolder, const QString &machine)
{
    const RecordGroupScope records;
    QString latest;
    QDateTime latestTime;
    for (const QString &path :
         {ProblemNotePath(programFolder, machine), FallbackProblemNotePath(programFolder, machine)}) {
        const QFileInfo info(path);
        const auto bytes = ReadWholeFile(path);
        if (!bytes.ok() || !bytes.value || (latestTime.isValid() && info.lastModified() < latestTime))
            continue;
        latest = QString::fromUtf8(*bytes.value).trimmed();
        latestTime = info.lastModified();
    }
    return latest;
}
