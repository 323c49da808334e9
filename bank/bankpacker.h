#pragma once
// Packing a teacher's plain text into a bank file: headers plain, question lines scrambled,
// CR LF line ends. Every line the bank format cannot hold is refused with its line number.

#include "bankformat.h"
#include "diagnostic.h"
#include "plaintext.h"

#include <QByteArray>

#include <array>

struct PackOutcome {
    QByteArray bank;          ///< the bank file; empty when anything was refused
    Diagnostics diagnostics;  ///< refusals (errors) and warnings
    std::array<int, kBankLevels + 1> counts{}; ///< questions of levels 1 … 15 (index 0 unused)

    bool ok() const { return !HasErrors(diagnostics); }
    int total() const;
};

/// Packs the lines of a plain text. Blank lines are left out; lines before the first header
/// (a title, notes) are stored plain, where the game never reads them; a text without any
/// question still gives a (useless) bank, with a warning for each empty level.
PackOutcome PackBank(const PlainText &text);
