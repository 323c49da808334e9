#pragma once
// The device side of the program's sound: a clip's samples handed to the default audio
// output. It is built as the module "tallory_sound" next to the program, so that Qt Multimedia
// and the sound server's libraries, some twenty of them, are loaded when the first clip is
// heard and not before the program's window can show.

#include <QByteArray>

struct WavHeader;

/// The default audio output, one clip at a time.
class SoundOutput
{
public:
    virtual ~SoundOutput() = default;
    /// Stops the clip playing and starts these samples, laid out as header says (24-bit
    /// samples widened to 32 bits). False, with nothing playing, when no device takes them.
    virtual bool start(const WavHeader &header, const QByteArray &samples) = 0;
    /// Stops the clip playing; nothing when none is.
    virtual void stop() = 0;
};

/// The module's entry point, found by the name kSoundOutputEntry: a new output that the caller
/// owns.
using SoundOutputEntry = SoundOutput *(*)();
inline constexpr char kSoundOutputEntry[] = "tallory_sound_output";
