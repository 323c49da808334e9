#include "clips.h"

#include "files.h"
#include "pacer.h"
#include "sound.h"

Clips::Clips(SoundBackend &backend, Pacer &pacer, const QString &programFolder, const QString &installFolder)
    : m_backend(backend)
    , m_pacer(pacer)
    , m_programFolder(programFolder)
    , m_installFolder(installFolder.isEmpty() ? ProgramFolder() : installFolder)
{
}

void Clips::play(const QByteArray &name, ClipPlay how)
{
    const QString path = FindClip(m_programFolder, m_installFolder, QString::fromLatin1(name));
    const bool played = PlaySoundFile(m_backend, path, m_on, how != ClipPlay::Background);
    // The host's banners stay readable without sound: the pause keeps them up.
    if (!played && how == ClipPlay::ToEndOrPause)
        m_pacer.wait(kSilentClipMs);
}
