#pragma once
// The console of the command-line programs: everything they print is UTF-8.

#include <QByteArrayView>
#include <QString>

/// Writes UTF-8 bytes to standard output.
void PrintBytes(QByteArrayView utf8);

/// Writes a text to standard output in UTF-8.
void PrintOut(const QString &text);

/// Writes a text to standard error in UTF-8.
void PrintError(const QString &text);
