// The musical clips: fanfares, stings, chimes and the three suspense loops.

#include "clipbook.h"
#include "instruments.h"

namespace {

// What sets the three suspense loops apart: the heartbeat's pace, the harmony of the pad and
// the clock's tick, and how much trembling string sits over them.
struct LoopStyle
{
    double beat = 1.0;
    double root = 45;
    std::vector<double> pad;
    double tick = 0.5;
    double tremolo = 0;
    double strings = 0;  // the note of the high trembling strings, 0 for none
    double swell = 1.0;  // seconds the pad takes to rise
};

void Heartbeat(Track &track, const LoopStyle &style)
{
    // Hits are only started where they can finish: the loop's end must not cut one short.
    for (double t = 0.05; t + 0.45 < track.seconds(); t += style.beat) {
        Drum(track, t, Note(style.root), 0.9);
        Drum(track, t + 0.16, Note(style.root) * 0.94, 0.55);
    }
}

void Clock(Track &track, const LoopStyle &style)
{
    bool tock = false;
    for (double t = 0.25; t + 0.1 < track.seconds(); t += style.tick) {
        Tick(track, t, tock ? 1400 : 1900, 0.18);
        tock = !tock;
    }
}

void SuspenseLoop(Track &track, const LoopStyle &style)
{
    const double length = track.seconds();
    Heartbeat(track, style);
    Clock(track, style);
    for (double note : style.pad) {
        Voice voice = Pad(Note(note), style.swell);
        voice.tremoloHz = style.tremolo;
        voice.tremoloDepth = style.tremolo > 0 ? 0.35 : 0;
        track.tone(0, length, 0.16, voice);
    }
    Voice bass = Pad(Note(style.root - 12), style.swell);
    track.tone(0, length, 0.22, bass);
    if (style.strings > 0) {
        Voice strings = Pad(Note(style.strings), style.swell * 2);
        strings.vibratoHz = 6;
        strings.vibratoDepth = 0.006;
        strings.tremoloHz = 11;
        strings.tremoloDepth = 0.6;
        track.tone(0, length, 0.08, strings);
    }
}

} // namespace

void ComposeBegin(Track &track)
{
    const double notes[] = {67, 72, 76};
    for (int i = 0; i < 3; ++i)
        track.tone(0.15 * i, 0.16, 0.5, Brass(Note(notes[i])));
    Voice top = Brass(Note(79));
    top.envelope.release = 0.6;
    track.tone(0.45, 1.55, 0.3, top);
    for (double note : {60.0, 64.0, 67.0, 72.0}) {
        Voice voice = Brass(Note(note));
        voice.envelope.release = 0.6;
        track.tone(0.45, 1.55, 0.18, voice);
    }
    Drum(track, 0.45, 70, 0.8);
    Cymbal(track, 0.45, 1.5, 0.25);
    track.tone(0.5, 1.4, 0.12, Bell(Note(96), 0.5));
    track.tone(0.65, 1.3, 0.1, Bell(Note(91), 0.5));
}

void ComposeGong(Track &track)
{
    const double length = track.seconds();
    Voice gong;
    gong.freq = 62;
    gong.partials = {{1, 1, 1}, {1.52, 0.7, 1.2}, {2.31, 0.5, 1.5}, {2.8, 0.45, 1.7},
                     {3.7, 0.3, 2.2}, {4.6, 0.22, 2.6}, {5.9, 0.15, 3}, {7.3, 0.1, 3.5}};
    gong.envelope = {0.01, 1.1, 0.4};
    gong.tremoloHz = 2.5;
    gong.tremoloDepth = 0.15;
    track.tone(0, length, 0.5, gong);
    gong.freq = 62 * 1.012;  // a second body, slightly apart, makes the slow beating
    track.tone(0, length, 0.3, gong);
    NoiseColour strike{FilterKind::LowPass, 500, 0, 0.7, {0.002, 0.08, 0.05}};
    track.noise(0, 0.4, 0.6, strike);
    NoiseColour shimmer{FilterKind::BandPass, 2400, 1600, 2.5, {0.05, 0.6, 0.5}};
    track.noise(0, length, 0.12, shimmer);
}

void ComposeFon1(Track &track)
{
    SuspenseLoop(track, {1.0, 45, {57, 60, 64}, 0.5, 0, 0, 1.0});
}

void ComposeFon2(Track &track)
{
    // Faster heart, a diminished pad that trembles, and high strings.
    SuspenseLoop(track, {0.8, 45, {57, 60, 63}, 0.4, 5, 81, 1.0});
}

void ComposeFon3(Track &track)
{
    // The tightest: a racing heart, a clash of semitone and tritone, strings swelling in.
    SuspenseLoop(track, {0.5, 46, {58, 59, 64}, 0.25, 8, 82, 2.0});
}

void ComposePause(Track &track)
{
    const double length = track.seconds();
    // A soft stab, then a trembling cluster and a noise riser that swell to the very end.
    Drum(track, 0, 55, 0.4);
    Chord(track, 0, 0.35, 0.08, MutedBrass, {50, 56, 62});
    for (double note : {50.0, 56.0, 62.0, 63.0}) {
        Voice voice = Pad(Note(note), 1.3);
        voice.glideTo = Note(note + 2);
        voice.tremoloHz = 9;
        voice.tremoloDepth = 0.5;
        voice.envelope.release = 0.12;
        track.tone(0.05, length - 0.05, 0.2, voice);
    }
    NoiseColour riser{FilterKind::BandPass, 400, 4000, 2.0, {1.3, 0, 0.15}};
    track.noise(0.05, length - 0.05, 0.6, riser);
}

void ComposeSumma(Track &track)
{
    NoiseColour ching{FilterKind::BandPass, 4200, 0, 1.5, {0.001, 0.06, 0.05}};
    track.noise(0, 0.3, 0.5, ching);
    const double notes[] = {88, 91, 96};
    for (int i = 0; i < 3; ++i)
        track.tone(0.12 * i, 1.0, 0.25, Bell(Note(notes[i]), 0.35));
    track.tone(0.36, 1.64, 0.22, Bell(Note(84), 0.6));
    track.tone(0.36, 1.64, 0.18, Bell(Note(88), 0.6));
    // Coins settling: a scatter of tiny high pings.
    Random &random = track.random();
    for (int i = 0; i < 14; ++i) {
        const double at = random.between(0.02, 0.7);
        track.tone(at, 0.3, 0.05, Bell(random.between(3000, 5200), 0.05));
    }
}

void ComposeYes(Track &track)
{
    const double notes[] = {72, 76, 79, 84};
    for (int i = 0; i < 4; ++i) {
        const double start = 0.1 * i;
        const double decay = i == 3 ? 0.35 : 0.2;
        track.tone(start, 1.2 - start, 0.3, Pluck(Note(notes[i]), decay));
        track.tone(start, 1.2 - start, 0.08, Bell(Note(notes[i] + 12), decay));
    }
}

void ComposeUgadal(Track &track)
{
    const double length = track.seconds();
    track.tone(0, length, 0.3, Bell(Note(88), 0.4));
    track.tone(0.07, length - 0.07, 0.3, Bell(Note(93), 0.4));
    track.tone(0.07, length - 0.07, 0.15, Bell(Note(100), 0.3));
    NoiseColour sparkle{FilterKind::HighPass, 6000, 0, 0.7, {0.002, 0.1, 0.05}};
    track.noise(0.07, 0.4, 0.1, sparkle);
}

void ComposeWinner(Track &track)
{
    for (int i = 0; i < 3; ++i)
        track.tone(0.16 * i, 0.13, 0.3, Brass(Note(67)));
    for (double note : {72.0, 76.0, 79.0}) {
        Voice voice = Brass(Note(note));
        voice.envelope.release = 0.5;
        track.tone(0.48, 1.32, note == 79.0 ? 0.3 : 0.18, voice);
    }
    Drum(track, 0.48, 80, 0.7);
    Cymbal(track, 0.48, 1.2, 0.15);
}

void ComposeMillion(Track &track)
{
    // A timpani roll swelling into four brass chords, the last one crowned by a crash.
    for (int i = 0; i < 16; ++i)
        Drum(track, 0.05 * i, 98, 0.15 + 0.04 * i);
    const std::vector<std::vector<double>> chords = {
        {60, 64, 67, 72}, {65, 69, 72, 77}, {67, 71, 74, 79}};
    for (std::size_t i = 0; i < chords.size(); ++i) {
        const double start = 0.8 + 0.5 * double(i);
        Drum(track, start, 90, 0.8);
        for (double note : chords[i])
            track.tone(start, 0.45, 0.16, Brass(Note(note)));
    }
    for (double note : {60.0, 72.0, 76.0, 79.0, 84.0}) {
        Voice voice = Brass(Note(note));
        voice.envelope.release = 0.9;
        track.tone(2.3, 1.7, 0.15, voice);
    }
    Drum(track, 2.3, 70, 1.0);
    Cymbal(track, 2.3, 1.7, 0.35);
    const double sparkle[] = {96, 100, 103, 108};
    for (int i = 0; i < 4; ++i)
        track.tone(2.35 + 0.1 * i, 1.6 - 0.1 * i, 0.08, Bell(Note(sparkle[i]), 0.4));
}

void ComposeFalse(Track &track)
{
    // Three falling steps and a last note that sags and wobbles: the answer was wrong.
    const double notes[] = {64, 63, 62};
    for (int i = 0; i < 3; ++i)
        track.tone(0.32 * i, 0.3, 0.3, MutedBrass(Note(notes[i] - 12)));
    Voice last = MutedBrass(Note(49));
    last.glideTo = Note(46);
    last.vibratoHz = 6;
    last.vibratoDepth = 0.012;
    last.envelope.release = 0.2;
    track.tone(0.96, 0.54, 0.32, last);
    Drum(track, 0.96, 50, 0.4);
}

void ComposeFinal(Track &track)
{
    const double length = track.seconds();
    for (double note : {36.0, 43.0, 48.0, 52.0, 55.0}) {
        Voice voice = Pad(Note(note), 0.12);
        voice.envelope.release = 1.4;
        track.tone(0, length, note < 45 ? 0.25 : 0.15, voice);
    }
    Drum(track, 0, 45, 0.8);
    track.tone(0, length, 0.06, Bell(Note(72), 0.8));
}
