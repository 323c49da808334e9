#pragma once
// The game's twenty clips: their file names, lengths and how each is composed.

#include "track.h"

#include <string>
#include <vector>

/// One clip: written as name + ".wav", seconds long.
struct Clip
{
    std::string name;
    double seconds = 0;
    void (*compose)(Track &track) = nullptr;
};

/// Every clip the game plays, in a fixed order.
const std::vector<Clip> &ClipBook();

/// A clip composed and mastered; its noise is seeded from its name, so it never changes.
Track Render(const Clip &clip);

// The compositions, music first, then effects.
void ComposeBegin(Track &track);
void ComposeGong(Track &track);
void ComposeFon1(Track &track);
void ComposeFon2(Track &track);
void ComposeFon3(Track &track);
void ComposePause(Track &track);
void ComposeSumma(Track &track);
void ComposeYes(Track &track);
void ComposeUgadal(Track &track);
void ComposeWinner(Track &track);
void ComposeMillion(Track &track);
void ComposeFalse(Track &track);
void ComposeFinal(Track &track);
void ComposeBtnClick(Track &track);
void ComposeChange(Track &track);
void ComposeAppl(Track &track);
void ComposeFiftyFifty(Track &track);
void ComposeZal(Track &track);
void ComposeRingOn(Track &track);
void ComposeRingOff(Track &track);
