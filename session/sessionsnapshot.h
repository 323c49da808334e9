#pragma once
// What a game in progress needs to go on in another run of the program: its state, the bank it
// reads and the question on screen as it was drawn and shuffled. The class server keeps its
// games across a clean stop with it.

#include "gamerecorder.h"
#include "gamestate.h"

#include <QString>
#include <array>

struct SessionSnapshot {
    GameState state;
    QString bankPath;                 ///< the bank read again on the way back
    QString bankName;
    ShownQuestion shown;              ///< the question on screen, as drawn
    std::array<bool, 5> blanked{};    ///< the buttons fifty-fifty blanked on it
};
