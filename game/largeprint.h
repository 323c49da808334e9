#pragma once
// Large print for partially sighted students: the game's texts and the controls that hold them
// grow by one factor, as large as the screen allows. The layout profile of the screen stays the
// source of the geometry; large print scales what it gives.

#include "layoutprofile.h"

#include <QSize>

/// The largest factor for large print.
inline constexpr double kLargePrintMost = 1.5;

/// Where the question, the answers and the ladder lie for a screen, at a factor.
struct GameLayout {
    double scale = 1.0;
    LayoutProfile profile;  ///< fonts, ladder and board scaled
    LayoutProfile normal;   ///< the profile as the settings give it
    int answerHeight = 28;  ///< each answer button's height
    int answerRows[2] = {}; ///< the tops of the rows A-B and C-D
    int questionHeight = 70;
    int rowHeight = 15;     ///< a ladder row's height
    int ladderHeight = 229; ///< the ladder panel's height, its border included
};

/// The layout at a factor of scale (1 for normal print). The ladder keeps its right edge and
/// the answers their bottom edge; the question moves up when the answers would cover it.
GameLayout LayOutGame(const LayoutProfile &profile, QSize screen, double scale);

/// The largest factor up to kLargePrintMost, in steps of 0.05, at which nothing overlaps or
/// leaves the screen: the ladder above the question, the question above the answers, the
/// ladder inside the screen's width. 1 when even a step up does not fit.
double LargePrintScale(const LayoutProfile &profile, QSize screen);
