#pragma once
// Checking a bank file the way the game reads it: the usable questions of every level and
// every line that the game skips, cannot show, or never reaches.

#include "bankformat.h"
#include "diagnostic.h"
#include "faq.h"

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

/// What keeps the game from reading a bank whole: where a NUL cuts its text, a last line cut off
/// short (a file not written to its end), headers that name no level or repeat one with the lines
/// under them, and lines inside the sections that the game skips. The checker and
/// the workbench both ask this, so a damaged bank is described the same way in both.
struct BankDamage {
    Diagnostics problems;                           ///< each with its line, in line order
    QList<int> unreadLines;                         ///< 1-based: headers naming no level, skipped lines, the
                                                    ///< lines under a header naming no level or repeating one
    int cutLine = 0;                                ///< 1-based: the last line, cut off short, or 0
    std::array<int, kBankLevels + 1> headerLine{};  ///< line of each level's first header, 0 when absent
    int firstHeader = 0;                            ///< 0-based index of the first header-like line

    bool damaged() const { return !problems.empty(); }
};

/// The damage of a bank: fileBytes as read from the file, faq the same bytes split into lines.
BankDamage FindBankDamage(QByteArrayView fileBytes, const FaqText &faq);

/// Whether the text is a bank at all: a header of a level "[1]" … "[15]" stands before any NUL.
/// A program or a picture renamed ".faq" has none.
bool HoldsALevel(const FaqText &faq);

/// Checks the bytes of a bank file. A usable question is a line of the level's section whose
/// unscrambled text holds at least five "|".
CheckOutcome CheckBank(const QByteArray &fileBytes);
