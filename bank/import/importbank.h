#pragma once
// A bank made of imported questions: the source's notes before "[1]", then each level's questions,
// packed by the same packer as a teacher's plain text; or a bank that is there already, with the
// imported questions added to its levels.

#include "bankpacker.h"
#include "importer.h"

#include <array>

/// Packs the questions taken; a question without a level of its own goes to defaultLevel (1 … 15).
PackOutcome PackImported(const ImportOutcome &imported, int defaultLevel);

/// The questions taken as the plain text a teacher writes (UTF-8): the source's notes, then each
/// level's header and questions, as the workbench exports a bank; a question without a level of
/// its own goes to defaultLevel.
QByteArray ImportedPlainText(const ImportOutcome &imported, int defaultLevel);

/// A bank with imported questions added, or why it cannot take them.
struct AppendOutcome {
    PackOutcome packed;  ///< the whole bank, its own lines first on every level
    Diagnostics damage;  ///< what the game cannot read of the bank as it stands; nothing is packed then
    std::array<int, kBankLevels + 1> added{}; ///< the imported questions of levels 1 … 15

    bool ok() const { return damage.empty() && packed.ok(); }
};

/// The bank's bytes with the questions taken added after each level's own; its title, notes
/// and questions stay as they are. A bank the game does not read whole (a NUL, a line it skips,
/// a header that names no level or repeats one, a question that is not five "|" apart) is not
/// packed: written again it would lose what the game skips.
AppendOutcome AppendImported(const QByteArray &bank, const ImportOutcome &imported, int defaultLevel);

/// The name of a format for a teacher: "GIFT", "Aiken", "CSV", "Moodle XML".
QString ImportFormatName(ImportFormat format);
