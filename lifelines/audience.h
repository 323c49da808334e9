#pragma once
// Ask the audience: the bars that show its votes.

#include "audiencepane.h"
#include "audiencevotes.h"

#include <QList>
#include <QString>
#include <array>

/// The bars of the buttons A..D whose captions (row 0 unused) are not empty, in that order:
/// label "A".."D", the button's votes, red, lime, blue and yellow.
QList<AudienceBar> AudienceBars(const std::array<int, 5> &votes, const std::array<QString, 5> &captions);
