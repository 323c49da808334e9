#include "sound.h"

#include "files.h"
#include "soundbackend.h"

#include <QFileInfo>

QString ClipPath(const QString &programFolder, const QString &name)
{
    // Clip files copied from elsewhere keep whatever letter case they were given, and the
    // folder may have been made as "WAV": both are matched on a case-sensitive file system.
    // Where "WAV" and "wav" are both there, the one the start-up fills is looked in first.
    const QString file = name + QStringLiteral(".wav");
    const QStringList folders = SoundFolders(programFolder);
    for (const QString &folder : folders) {
        const QString path = FindNoCase(folder + QLatin1Char('/'), file);
        if (QFileInfo(path).isFile())
            return path;
    }
    const QString folder = QFileInfo(folders.front()).isDir() ? folders.front() : programFolder + QStringLiteral("wav");
    return FindNoCase(folder + QLatin1Char('/'), file);
}

QString FindClip(const QString &programFolder, const QString &installFolder, const QString &name)
{
    // Clip by clip, so that a teacher may put a few clips of their own into a lab folder and
    // keep the installed ones for the rest.
    const QString own = ClipPath(programFolder, name);
    if (installFolder == programFolder || QFileInfo(own).isFile())
        return own;
    const QString installed = ClipPath(installFolder, name);
    return QFileInfo(installed).isFile() ? installed : own;
}

bool PlaySoundFile(SoundBackend &backend, const QString &path, bool enabled, bool wait)
{
    if (!enabled)
        return false;
    return backend.play(path, wait);
}
