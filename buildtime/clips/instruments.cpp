#include "instruments.h"

#include <cmath>

double Note(double midi)
{
    return 440.0 * std::pow(2.0, (midi - 69) / 12);
}

Voice Brass(double freq)
{
    Voice voice;
    voice.freq = freq;
    voice.partials.clear();
    for (int n = 1; n <= 10; ++n)
        voice.partials.push_back({double(n), 1.0 / std::pow(n, 1.2), 1});
    voice.envelope = {0.03, 0, 0.06};
    voice.vibratoHz = 5.5;
    voice.vibratoDepth = 0.003;
    return voice;
}

Voice MutedBrass(double freq)
{
    Voice voice = Brass(freq);
    for (std::size_t n = 0; n < voice.partials.size(); ++n)
        voice.partials[n].amp = 1.0 / std::pow(double(n + 1), 2.0);
    voice.envelope = {0.05, 0, 0.08};
    return voice;
}

Voice Bell(double freq, double decay)
{
    Voice voice;
    voice.freq = freq;
    voice.partials = {{1, 1, 1}, {2.0, 0.45, 1.4}, {2.76, 0.55, 1.8}, {4.07, 0.2, 2.5},
                      {5.4, 0.25, 3}, {8.93, 0.1, 4}};
    voice.envelope = {0.002, decay, 0.05};
    return voice;
}

Voice Pluck(double freq, double decay)
{
    Voice voice;
    voice.freq = freq;
    voice.partials.clear();
    for (int n = 1; n <= 6; ++n)
        voice.partials.push_back({double(n), 1.0 / n, double(n)});
    voice.envelope = {0.004, decay, 0.05};
    return voice;
}

Voice Pad(double freq, double attack)
{
    Voice voice;
    voice.freq = freq;
    voice.partials = {{1, 1, 1}, {1.004, 0.7, 1}, {2, 0.3, 1}, {3, 0.12, 1}, {4.01, 0.05, 1}};
    voice.envelope = {attack, 0, 0.5};
    voice.vibratoHz = 4.5;
    voice.vibratoDepth = 0.002;
    return voice;
}

Voice Sine(double freq)
{
    Voice voice;
    voice.freq = freq;
    voice.envelope = {0.01, 0, 0.02};
    return voice;
}

void Chord(Track &track, double start, double length, double amp, Voice (*instrument)(double),
           std::initializer_list<double> notes)
{
    for (double note : notes)
        track.tone(start, length, amp, instrument(Note(note)));
}

void Drum(Track &track, double start, double freq, double amp)
{
    Voice body = Sine(freq * 1.6);
    body.glideTo = freq;
    body.partials = {{1, 1, 1}, {1.5, 0.3, 2}};
    body.envelope = {0.002, 0.18, 0.05};
    track.tone(start, 0.6, amp, body);
    NoiseColour skin{FilterKind::LowPass, 900, 0, 0.7, {0.001, 0.03, 0.01}};
    track.noise(start, 0.12, amp * 0.6, skin);
}

void Tick(Track &track, double start, double freq, double amp)
{
    NoiseColour snap{FilterKind::HighPass, 3000, 0, 0.7, {0.0005, 0.004, 0.005}};
    track.noise(start, 0.03, amp, snap);
    Voice body = Sine(freq);
    body.partials = {{1, 1, 1}, {2.3, 0.4, 2}};
    body.envelope = {0.001, 0.012, 0.01};
    track.tone(start, 0.06, amp * 0.5, body);
}

void Cymbal(Track &track, double start, double length, double amp)
{
    NoiseColour crash{FilterKind::HighPass, 4500, 0, 0.6, {0.002, length / 3, length / 3}};
    track.noise(start, length, amp, crash);
    NoiseColour body{FilterKind::BandPass, 7000, 5000, 1.2, {0.002, length / 5, length / 4}};
    track.noise(start, length, amp * 0.6, body);
}

void Clap(Track &track, double start, double amp)
{
    Random &random = track.random();
    const double centre = random.between(900, 2200);
    NoiseColour clap{FilterKind::BandPass, centre, 0, random.between(1.0, 2.0),
                   {0.001, random.between(0.008, 0.016), 0.01}};
    track.noise(start, 0.05, amp, clap);
}

void Click(Track &track, double start, double amp)
{
    NoiseColour snap{FilterKind::BandPass, 2500, 0, 1.2, {0.0005, 0.005, 0.005}};
    track.noise(start, 0.03, amp, snap);
    Voice thump = Sine(180);
    thump.envelope = {0.001, 0.015, 0.01};
    track.tone(start, 0.06, amp * 0.6, thump);
}
