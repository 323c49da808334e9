#pragma once
// The command line read before the program's windows. A QApplication made where there is no
// display (a terminal over ssh, a package check, a script asking for the version) ends the
// program at once with Qt's English complaint about the platform plugin, so the help and the
// version are answered first, by a QCoreApplication that needs no window system.

#include <QCommandLineParser>

#include <functional>

/// Adds a program's options to parser: its help and version options among them.
using DescribeCommandLine = std::function<void(QCommandLineParser &)>;

/// Reads argv with the options describe adds. When it asks for the help or the version, prints
/// the answer with Qt's words in Russian and ends the program with status 0; otherwise returns,
/// and the application with windows may be made. A command line this cannot read is left to
/// that application: it takes Qt's own options off (-platform, -display...), which only it
/// knows. The application's name and version are set before.
void AnswerCommandLineBeforeWindows(int &argc, char **argv, const DescribeCommandLine &describe);
