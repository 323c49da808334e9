#pragma once
// The program folder, the start-up move of loose sound files, and the file routines under it.
// Paths use "/" on every platform (Qt takes it on Windows too).

#include <QString>
#include <QStringList>

/// The folder of the program's executable, ending in "/". Independent of the current folder.
QString ProgramFolder();

/// The settings file "tallory.ini" of a program folder (ending in "/"): the lessons' banks,
/// the presenter's picture and the layout profiles.
QString SettingsFilePath(const QString &programFolder);

/// Creates every missing level of the folder path; failures are ignored.
void MakeFolderPath(const QString &path);

/// Copies each file matching mask (a folder and a name with "*" and "?", compared without
/// regard to case) into target under the same name; returns the names whose copy succeeded.
QStringList CopyFiles(const QString &mask, const QString &target);

/// Copies one file, replacing the target atomically; false on any failure.
bool CopyOneFile(const QString &source, const QString &target);

/// Sends each file matching mask to the trash, stopping at the first failure. When only is
/// given, files whose name is not in it are left alone. True when every file it tried was
/// removed; false when none matched or a removal failed.
bool DeleteFiles(const QString &mask, const QStringList *only = nullptr);

/// Sends one file to the trash.
bool DeleteOneFile(const QString &path);

/// Makes Russian the active keyboard layout of the program where the platform has per-program
/// layouts (Windows); elsewhere Qt's input takes Cyrillic as it is and nothing is done.
void SelectRussianKeyboard();

/// The entry of folder whose name equals name without regard to case ("wav" finds "WAV"),
/// or folder + name when there is none. folder ends in "/".
QString FindNoCase(const QString &folder, const QString &name);

/// The sound folder of the program: an existing "WAV" folder whatever its letter case.
QString SoundFolder(const QString &programFolder);
/// Every folder of the program folder named "WAV" in any letter case, the sound folder first:
/// on a case-sensitive file system "WAV" and "wav" may both be there.
QStringList SoundFolders(const QString &programFolder);

/// The start-up housekeeping: every loose ".wav" file next to the program is moved into the sound
/// folder, made for them when there is none. A file whose copy failed stays where it is; without
/// loose files nothing is made.
void MoveLooseWaves(const QString &programFolder);

/// The entry names (not folders, not names beginning with ".") that match mask.
QStringList MatchingFiles(const QString &mask);
