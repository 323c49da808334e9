#pragma once
// Checking a bank file the way the game reads it: the usable questions of every level and
// every line that the game skips, cannot show, or never reaches.

#include "bankformat.h"
#include "diagnostic.h"

#include <QByteArray>
#include <QList>

#include <array>

struct CheckOutcome {
    std::array<int, kBankLevels + 1> usable{};      ///< usable questions of levels 1 … 15
    std::array<int, kBankLevels + 1> headerLine{};  ///< line of the level's header, 0 when absent
    Diagnostics problems;
    Diagnostics notes; ///< the title and notes before the first header, each line as it stands

    /// Whether every level has at least one usable question.
    bool playable() const;
    /// The levels without a usable question.
    QList<int> emptyLevels() const;
};

/// Checks the bytes of a bank file. A usable question is a line of the level's section whose
/// unscrambled text holds at least five "|".
CheckOutcome CheckBank(const QByteArray &fileBytes);
