#include "clips.h"

#include "pacer.h"
#include "sound.h"

Clips::Clips(SoundBackend &backend, Pacer &pacer, const QString &programFolder)
    : m_backend(backend), m_pacer(pacer), m_programFolder(programFolder)
{
}

void Clips::play(const QByteArray &name, ClipPlay how)
{
    const QString path = ClipPath(m_programFolder, QString::fromLatin1(name));
    const bool played = PlaySoundFile(m_backend, path, m_on, how != ClipPlay::Background);
    // The host's banners stay readable without sound: the pause keeps them up.
    if (!played && how == ClipPlay::ToEndOrPause)
        m_pacer.wait(kSilentClipMs);
}
