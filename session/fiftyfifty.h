#pragma once
// Fifty-fifty: which two wrong answers lose their captions.

#include <array>

class RandomSource;

/// The two distinct answer buttons (1..4) to blank: never correctButton. Each of the three
/// wrong buttons is equally likely to be the one left readable.
std::array<int, 2> FiftyFiftyBlanks(int correctButton, RandomSource &random);
