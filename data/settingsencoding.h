#pragma once
// The settings file's encoding. The program reads tallory.ini as Windows-1251; one saved by an
// editor in UTF-8 holds Russian names the program never finds ([сервер], a lesson's code, the
// key «Вопросник»), and without a word the game would play with no server and find no lesson.

#include <QByteArrayView>
#include <QString>

/// Whether a settings text was saved in UTF-8 rather than Windows-1251: a byte order mark, or
/// bytes beyond ASCII that are all well-formed UTF-8 (Russian words in Windows-1251 never are).
bool SavedInUtf8(QByteArrayView bytes);

/// Why the settings file of programFolder cannot be read as the program reads it, in Russian,
/// naming the file and what to do; empty when it is Windows-1251 (or plain ASCII, or missing).
/// Reads the file once: cheap enough for every start.
QString SettingsEncodingProblem(const QString &programFolder);
