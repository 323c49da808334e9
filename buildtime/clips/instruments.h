#pragma once
// The instruments the clips are played on: pitched timbres as voices, and percussion written
// straight into a track.

#include "track.h"

#include <initializer_list>

/// The frequency of a MIDI note number (69 is A4, 440 Hz).
double Note(double midi);

/// A bright brass-like tone: a full row of harmonics, a quick swell and a little vibrato.
Voice Brass(double freq);
/// A softer, darker brass for sad phrases.
Voice MutedBrass(double freq);
/// A struck bell or chime: inharmonic partials, the high ones dying first.
Voice Bell(double freq, double decay = 0.6);
/// A plucked or mallet tone with a fast fall.
Voice Pluck(double freq, double decay = 0.25);
/// A soft sustained pad: few harmonics and a slightly detuned double that beats slowly.
Voice Pad(double freq, double attack = 0.6);
/// A pure sine with a short attack.
Voice Sine(double freq);

/// The notes of a chord on one instrument, all from start for length seconds.
void Chord(Track &track, double start, double length, double amp, Voice (*instrument)(double),
           std::initializer_list<double> notes);

/// A low drum thump whose pitch drops as it sounds.
void Drum(Track &track, double start, double freq, double amp);
/// A clock tick: a short high click with a ringing body.
void Tick(Track &track, double start, double freq, double amp);
/// A crash cymbal: bright noise that shimmers away over length seconds.
void Cymbal(Track &track, double start, double length, double amp);
/// One hand clap: a short band of noise.
void Clap(Track &track, double start, double amp);
/// A switch click, as of a button or a telephone cradle.
void Click(Track &track, double start, double amp);
