#pragma once
// tallory-bank import: questions from another quiz system into a bank, with a report of what
// was taken, of what a question taken left behind, and of every question left out.

#include "importer.h"

#include <QString>

/// Questions without a level of their own go here unless the teacher names another level.
inline constexpr int kDefaultImportLevel = 1;

/// What becomes of a bank that is there already: a teacher's file changes only when asked.
enum class ExistingBank {
    Refuse,  ///< left as it is, and the teacher told the two ways on
    Append,  ///< the questions added to its levels, its title, notes and questions kept
    Replace, ///< written anew from the source
};

struct ImportRequest {
    QString source;
    QString bankPath;
    int defaultLevel = kDefaultImportLevel;
    ImportFormat format = ImportFormat::Auto;
    ExistingBank existing = ExistingBank::Refuse;
};

/// Imports the source into the bank (written atomically under its lock) and prints the report.
/// 0 when the bank is written, 1 when the source cannot be read or holds no question the bank
/// can take, when the bank is there and may not be changed or is damaged, or cannot be written.
int ImportCommand(const ImportRequest &request);
