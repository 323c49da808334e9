#pragma once
// The game's clips: where each one lies in the program folder, and the switch that silences them.

#include <QString>

class SoundBackend;

/// The clip file programFolder + "wav/" + name + ".wav", the folder and the file matched
/// without regard to letter case ("btnCLICK" finds "wav/BtnClick.wav", "wav" finds "WAV").
/// Where no such file exists, the path as asked.
QString ClipPath(const QString &programFolder, const QString &name);

/// The clip to play: the program folder's own (ClipPath) when it is there, otherwise the one in
/// installFolder, where an installed program keeps its clips while its data lie in another
/// folder. Where neither exists, the program folder's path as asked.
QString FindClip(const QString &programFolder, const QString &installFolder, const QString &name);

/// Plays the wave file at path through backend, to its end when wait is set. False without
/// playing anything when sound is not enabled; otherwise what backend.play says.
bool PlaySoundFile(SoundBackend &backend, const QString &path, bool enabled, bool wait);
