#pragma once
// "tallory-results server init|upgrade|check SERVICE": creates, updates and checks Tallory's
// schema on the school's server.

#include "cmdline.h"

#include <QString>
#include <QStringList>

/// The help lines of the command, for the tool's usage text.
QString ServerCommandUsage();

/// Runs the command on the arguments after "server"; the exit status.
int RunServerCommand(const ToolCommandLine &line, const QStringList &args);
