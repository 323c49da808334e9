// The sound effects: clicks, whooshes, the hall and the telephone.

#include "clipbook.h"
#include "instruments.h"

#include <algorithm>

void ComposeBtnClick(Track &track)
{
    Click(track, 0.003, 0.8);
    Voice blip = Sine(1500);
    blip.partials = {{1, 1, 1}, {2, 0.3, 2}};
    blip.envelope = {0.001, 0.015, 0.01};
    track.tone(0.003, 0.07, 0.35, blip);
}

void ComposeChange(Track &track)
{
    const double length = track.seconds();
    NoiseColour whoosh{FilterKind::BandPass, 300, 3000, 2.0, {0.35, 0.15, 0.3}};
    track.noise(0, length, 1.0, whoosh);
    NoiseColour air{FilterKind::LowPass, 800, 0, 0.7, {0.3, 0.2, 0.3}};
    track.noise(0, length, 0.3, air);
    Voice glide = Sine(200);
    glide.glideTo = 800;
    glide.envelope = {0.3, 0.15, 0.3};
    track.tone(0, length, 0.06, glide);
}

void ComposeAppl(Track &track)
{
    // A crowd's claps at random moments, thickening quickly and thinning out at the end.
    const double length = track.seconds();
    const Envelope crowd{0.3, 0, 0.9};
    Random &random = track.random();
    for (int i = 0; i < 420; ++i) {
        const double at = random.between(0, length - 0.06);
        const double amp = random.between(0.4, 1.0) * crowd.at(at, length);
        Clap(track, at, amp);
    }
    NoiseColour bed{FilterKind::BandPass, 1500, 0, 0.5, crowd};
    track.noise(0, length, 0.25, bed);
}

void ComposeFiftyFifty(Track &track)
{
    const double starts[] = {0.0, 0.38};
    const double lows[] = {500, 700};
    for (int i = 0; i < 2; ++i) {
        Voice swoosh = Sine(lows[i]);
        swoosh.glideTo = lows[i] * 4;
        swoosh.partials = {{1, 1, 1}, {2, 0.25, 1}};
        swoosh.envelope = {0.02, 0.12, 0.08};
        track.tone(starts[i], 0.3, 0.4, swoosh);
        NoiseColour air{FilterKind::BandPass, 800, 5000, 1.5, {0.05, 0.08, 0.1}};
        track.noise(starts[i], 0.3, 0.5, air);
    }
}

void ComposeZal(Track &track)
{
    // Many indistinct voices: vowels of filtered noise and low hummed pitches, each with its
    // own syllable rhythm, over a soft rumble of the hall.
    const double length = track.seconds();
    Random &random = track.random();
    for (int i = 0; i < 14; ++i) {
        NoiseColour vowel{FilterKind::BandPass, random.between(250, 750), random.between(250, 750),
                        5.0, {0.3, 0, 0.4}, random.between(2.5, 6), 0.9};
        track.noise(random.between(0, 0.2), length, random.between(0.5, 1.0), vowel);
    }
    for (int i = 0; i < 6; ++i) {
        Voice hum = Pluck(random.between(100, 240));
        hum.partials.resize(5);
        hum.envelope = {0.3, 0, 0.4};
        hum.vibratoHz = random.between(3, 6);
        hum.vibratoDepth = 0.03;
        hum.tremoloHz = random.between(3, 5);
        hum.tremoloDepth = 0.95;
        track.tone(random.between(0, 0.3), length, 0.03, hum);
    }
    NoiseColour rumble{FilterKind::LowPass, 400, 0, 0.7, {0.3, 0, 0.4}};
    track.noise(0, length, 0.3, rumble);
}

void ComposeRingOn(Track &track)
{
    // An electric bell: the hammer strikes two gongs in turn twenty-odd times a second.
    const double rings[] = {0.0, 1.3};
    for (double ring : rings) {
        for (int i = 0; i < 36; ++i) {
            const double at = ring + 0.025 * i;
            track.tone(at, 0.25, 0.2, Bell(i % 2 ? 1500 : 1200, 0.07));
        }
    }
}

void ComposeRingOff(Track &track)
{
    const double length = track.seconds();
    Click(track, 0.0, 1.0);
    Click(track, 0.06, 0.6);
    // The busy signal: 425 Hz, a third of a second on and off.
    for (double start = 0.2; start < length; start += 0.7) {
        Voice beep = Sine(425);
        beep.partials = {{1, 1, 1}, {2, 0.08, 1}, {3, 0.04, 1}};
        beep.envelope = {0.01, 0, 0.01};
        track.tone(start, std::min(0.35, length - start), 0.35, beep);
    }
}
