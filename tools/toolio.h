#pragma once
// Files and the console for the command-line tools: whole-file reads, atomic writes, UTF-8 output.

#include "result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

/// The whole file, or a message naming it: "Нет файла «path»" or why it cannot be read.
Result<QByteArray> ReadInputFile(const QString &path);

/// Writes the bytes in place of the file at once (a crash leaves the old file or none);
/// a message naming the file on failure.
Status WriteOutputFile(const QString &path, const QByteArray &bytes);

/// Writes UTF-8 bytes to standard output.
void PrintBytes(QByteArrayView utf8);

/// Writes a text to standard output in UTF-8.
void PrintOut(const QString &text);

/// Writes a text to standard error in UTF-8.
void PrintError(const QString &text);
