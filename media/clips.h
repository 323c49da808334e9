#pragma once
// The game's clips in one place: the sound back end, the pacer that stands in for a clip that
// cannot be heard, the program's clip folder and the sound switch. The main window and the call
// window play through the same object, so one switch silences both.

#include <QByteArray>
#include <QString>

class Pacer;
class SoundBackend;

/// How a clip is played.
enum class ClipPlay {
    Background,    ///< started, and the caller goes on at once
    ToEnd,         ///< the caller waits until the clip has ended; silence costs no time
    ToEndOrPause,  ///< as ToEnd, and a clip that cannot be heard is replaced by a 2000 ms pause
};

class Clips
{
public:
    /// The pause that takes the place of a clip that cannot be heard.
    static constexpr int kSilentClipMs = 2000;

    /// installFolder: where the installed clips lie when the program folder has none; empty
    /// for the folder of the executable.
    Clips(SoundBackend &backend, Pacer &pacer, const QString &programFolder,
          const QString &installFolder = QString());

    /// Plays programFolder + "wav/" + name + ".wav" under the switch, or the installed clip of
    /// that name when the program folder has none.
    void play(const QByteArray &name, ClipPlay how = ClipPlay::Background);

    /// True while sounds are on.
    bool soundSwitch() const { return m_on; }
    void setSoundSwitch(bool on) { m_on = on; }

private:
    SoundBackend &m_backend;
    Pacer &m_pacer;
    QString m_programFolder;
    QString m_installFolder;
    bool m_on = true;
};
