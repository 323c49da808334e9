#pragma once
// A bank made of imported questions: the source's notes before "[1]", then each level's questions,
// packed by the same packer as a teacher's plain text.

#include "bankpacker.h"
#include "importer.h"

/// Packs the questions taken; a question without a level of its own goes to defaultLevel (1 … 15).
PackOutcome PackImported(const ImportOutcome &imported, int defaultLevel);

/// The name of a format for a teacher: "GIFT", "Aiken", "CSV".
QString ImportFormatName(ImportFormat format);
