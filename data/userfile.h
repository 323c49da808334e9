#pragma once
// A teacher's or a student's file read whole or written at once, with a message that names it:
// what the workbench and the command-line programs say when a file cannot be read or written.

#include "result.h"

#include <QByteArray>
#include <QString>

/// The whole file, or a message naming it: "Нет файла «path»" or why it cannot be read.
Result<QByteArray> ReadInputFile(const QString &path);

/// Writes the bytes in place of the file at once (a crash leaves the old file or none), under
/// the file's lock; a message naming the file on failure.
Status WriteOutputFile(const QString &path, const QByteArray &bytes);

/// Keeps bytes beside path as "name (label).ext", or "name (label 2).ext" and on when that is
/// taken (the workbench's copy of a damaged bank is "(повреждённый)"); the copy's path, or why
/// none could be written.
Result<QString> KeepCopyBeside(const QString &path, const QByteArray &bytes, const QString &label);
