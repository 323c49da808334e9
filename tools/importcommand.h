#pragma once
// tallory-bank import: questions from another quiz system into a bank, with a report of what
// was taken and of every question left out.

#include "importer.h"

#include <QString>

/// Questions without a level of their own go here unless the teacher names another level.
inline constexpr int kDefaultImportLevel = 1;

/// Imports source into a new bank at bankPath (written atomically) and prints the report.
/// 0 when the bank is written, 1 when the source cannot be read, holds no question the bank can
/// take, or the bank cannot be written.
int ImportCommand(const QString &source, const QString &bankPath, int defaultLevel, ImportFormat format);
