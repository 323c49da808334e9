#include "sound.h"

#include "files.h"
#include "soundbackend.h"

QString ClipPath(const QString &programFolder, const QString &name)
{
    // Clip files copied from elsewhere keep whatever letter case they were given, and the
    // folder may have been made as "WAV": both are matched on a case-sensitive file system.
    const QString folder = FindNoCase(programFolder, QStringLiteral("wav")) + QLatin1Char('/');
    return FindNoCase(folder, name + QStringLiteral(".wav"));
}

bool PlaySoundFile(SoundBackend &backend, const QString &path, bool enabled, bool wait)
{
    if (!enabled)
        return false;
    return backend.play(path, wait);
}
