#pragma once
// Where clips are heard. One clip at a time: starting a clip stops the one playing.

#include <QString>

class SoundBackend
{
public:
    virtual ~SoundBackend() = default;
    /// Plays the wave file at path; with toEnd, returns when the clip has ended. True when the
    /// file was a playable PCM wave and a device took it; false plays nothing at all.
    virtual bool play(const QString &path, bool toEnd) = 0;
};
