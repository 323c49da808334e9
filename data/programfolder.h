#pragma once
// The program folder named on the command line. An installed program lies in folders its users
// may not write, so "--folder PATH" puts the settings, banks, results and presenter pictures in a
// folder of the school's choosing (the machine's folder, or a share every lab machine mounts);
// the program, its modules and its clips stay where they were installed. The game and the
// teacher's workbench take the same option.

#include "result.h"

#include <QString>

class QCommandLineParser;

/// Adds the option "--folder PATH" to parser.
void AddFolderOption(QCommandLineParser &parser);

/// The program folder for data once parser has read the command line: the folder given with
/// --folder, made absolute and ending in "/", or ProgramFolder() when none was given. Fails with
/// a message for the user when the folder named is missing, is not a folder or has no settings
/// file: a share that is not mounted must never be stood in for by an empty folder of the same name.
Result<QString> ProgramFolderFromArguments(const QCommandLineParser &parser);
