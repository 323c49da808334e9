#pragma once
// "tallory-results server init|upgrade|check SERVICE": creates, updates and checks Tallory's
// schema on the school's server; "server load SERVICE PATH..." loads the results files kept
// before the school had one.

#include "cmdline.h"

#include <QString>
#include <QStringList>

/// The help lines of the command, for the tool's usage text.
QString ServerCommandUsage();

/// Runs the command on the arguments after "server"; the exit status.
int RunServerCommand(const ToolCommandLine &line, const QStringList &args);
