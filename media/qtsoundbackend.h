#pragma once
// The program's sound: wave clips played on the default audio output through Qt Multimedia,
// which lives in the module "tallory_sound" (see soundoutput.h).

#include "soundbackend.h"

#include <QString>
#include <QTimer>

#include <memory>

class Pacer;
class SoundOutput;
struct WavHeader;

/// Plays PCM wave files on the default output, one clip at a time. A clip played to its end
/// holds the caller for the duration its header gives, through the pacer.
///
/// The output is opened with the first clip, and opening it loads Qt Multimedia with some
/// twenty libraries and asks the sound server for its devices: about as long as the program
/// takes to build its window. A clip played in the background before the output is open, such
/// as the one the window starts with, therefore starts kOpenDelayMs later, once the window is
/// up (a timer of no delay would fire before the window's first paint: the event loop serves
/// timers before the window system's events). play() says true for such a clip as soon as
/// the file is a playable wave; should no device take it when it starts, it is not heard.
/// Nothing ever waits on a background clip, so no one is misled by that answer.
class QtSoundBackend final : public SoundBackend
{
public:
    /// How long a background clip waits for the output to be opened.
    static constexpr int kOpenDelayMs = 100;

    /// Loads the output from the module at modulePath ("…/tallory_sound", the suffix left to
    /// the system); without one, from the module next to the program.
    explicit QtSoundBackend(Pacer &pacer, const QString &modulePath = QString());
    ~QtSoundBackend() override;
    QtSoundBackend(const QtSoundBackend &) = delete;
    QtSoundBackend &operator=(const QtSoundBackend &) = delete;

    /// Stops the clip playing or waiting, then plays the one at path. False, with nothing
    /// played and nothing waited, when the file is not a PCM wave or no output device takes
    /// it (but see the class for a background clip played before the output is open).
    bool play(const QString &path, bool toEnd) override;
    /// Stops the clip playing or waiting; nothing when there is none.
    void stop();
    /// Whether a background clip waits for the output to be opened.
    bool waiting() const { return m_waiting != nullptr; }
    /// Whether the output has been opened, be there a device or not.
    bool opened() const { return m_opened; }

private:
    struct Clip;
    bool start(const Clip &clip);
    void startWaiting();
    SoundOutput *output();

    Pacer &m_pacer;
    QString m_modulePath;
    std::unique_ptr<SoundOutput> m_output;
    bool m_opened = false;
    std::unique_ptr<Clip> m_waiting;
    QTimer m_openTimer;
};
